// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A settings store held in memory: for tests, and for a station that is told not to keep
// its settings. Saves are seen at once; `refuse` makes every later save fail, as a full
// disk or a read-only store would.
#pragma once

#include "Store.h"

#include <map>
#include <utility>

namespace tovana::station {

class MemoryStore : public Store {
public:
    std::optional<std::string> get(const std::string &section, const std::string &key) const override
    {
        const auto found = values.find({section, key});
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool save(const std::string &section, const std::string &key, const std::string &value) override
    {
        if (refuse)
            return false;
        values[{section, key}] = value;
        return true;
    }
    std::string error() const override { return refuse ? "the store is read-only" : std::string(); }

    std::map<std::pair<std::string, std::string>, std::string> values; // by section and key
    bool refuse = false;
};

} // namespace tovana::station
