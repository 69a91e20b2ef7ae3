// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The Windows registry itself, through advapi32 (Windows builds only).
#pragma once

#ifdef _WIN32

#include "Registry.h"

class WindowsRegistry : public Registry {
public:
    long openKey(quint32 root, const QByteArray &path, quint32 access, Handle &key) override;
    long queryValue(Handle key, const QByteArray &name, quint32 &type, std::span<char> buffer,
                    quint32 &length) override;
    void closeKey(Handle key) override;
};

#endif
