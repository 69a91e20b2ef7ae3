// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The settings store in the per-user registry, where the platform's GetSetting and
// SaveSetting kept the earlier program's settings, so they carry over both ways: a section is
// the key HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, a
// setting one REG_SZ value in it. UTF-8 here, UTF-16 in the registry, so every text keeps
// its characters. error() tells why the last call failed; an absent setting is no failure.
#pragma once

#include "Store.h"

#include <string>

namespace tovana::win32 {

class RegistryStore final : public station::Store {
public:
    explicit RegistryStore(std::string application = "Tovana2");

    std::optional<std::string> get(const std::string &section, const std::string &key) const override;
    bool save(const std::string &section, const std::string &key, const std::string &value) override;
    std::string error() const override { return m_error; }

private:
    // The registry path of a section under HKEY_CURRENT_USER.
    std::string sectionPath(const std::string &section) const;

    std::string m_application;
    mutable std::string m_error;
};

} // namespace tovana::win32
