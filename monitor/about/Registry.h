// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Read access to a store of keys and typed values laid out like the Windows registry,
// with the calls, codes and buffer rules of advapi32's ANSI functions. Every key that
// openKey() hands out must be given back with closeKey(). A failure is a status other
// than NoError; nothing throws.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <span>

class Registry {
public:
    using Handle = quintptr;

    // Root keys, access masks, value types and status codes carry advapi32's numbers.
    static constexpr quint32 LocalMachine = 0x80000002;
    static constexpr quint32 CurrentUser = 0x80000001;

    static constexpr quint32 ReadAccess = 0x20019;
    static constexpr quint32 AllAccess = 0xF003F;

    static constexpr quint32 StringType = 1;
    static constexpr quint32 ExpandStringType = 2;
    static constexpr quint32 BinaryType = 3;
    static constexpr quint32 DwordType = 4;

    static constexpr long NoError = 0;
    static constexpr long FileNotFound = 2;
    static constexpr long AccessDenied = 5;
    static constexpr long InvalidHandle = 6;
    static constexpr long MoreData = 234;

    virtual ~Registry() = default;

    // Opens the key at path under root for the access asked; on NoError key is set.
    virtual long openKey(quint32 root, const QByteArray &path, quint32 access, Handle &key) = 0;

    // Reads value name of key into buffer. On NoError type is set and length is the
    // number of bytes written; on MoreData length is the number of bytes the value needs.
    virtual long queryValue(Handle key, const QByteArray &name, quint32 &type, std::span<char> buffer,
                            quint32 &length) = 0;

    virtual void closeKey(Handle key) = 0;
};
