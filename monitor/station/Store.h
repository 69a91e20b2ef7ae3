// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The per-user settings store as the station sees it: two calls, as the platform's own
// store offers them (read a text, create or overwrite a text), under the application's
// sections and keys. Texts are UTF-8. Adapters: an INI file through QSettings on Linux, the
// registry under HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Tovana2 on Windows,
// a map in memory for tests. Neither call may throw; a refused save says why in error().
// A store that collects saves (the INI file, replaced as a whole) writes them in commit();
// one that writes each save at once (the registry) needs no commit.
#pragma once

#include <optional>
#include <string>

namespace tovana::station {

class Store {
public:
    virtual ~Store() = default;

    // The text stored under section and key, or nothing when there is none.
    virtual std::optional<std::string> get(const std::string &section, const std::string &key) const = 0;
    // Creates or overwrites the text; false when the store refused it.
    virtual bool save(const std::string &section, const std::string &key, const std::string &value) = 0;
    // Why the store cannot be read or the last save was refused; empty when all is well.
    virtual std::string error() const = 0;
    // Makes every save so far durable, at once; false when the store refused it.
    virtual bool commit() { return error().empty(); }
};

} // namespace tovana::station
