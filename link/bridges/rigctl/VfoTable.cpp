// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "VfoTable.h"

#include <algorithm>
#include <array>

namespace {

struct VfoRow {
    const char *hamlib;
    int code;
};

// First row per code is the name sent to the radio.
constexpr std::array<VfoRow, 7> kVfos{{
    {"VFOA", 0},
    {"Main", 0},
    {"MainA", 0},
    {"VFOB", 1},
    {"Sub", 1},
    {"MainB", 1},
    {"MEM", 2},
}};

} // namespace

namespace VfoTable {

std::optional<int> codeOf(const QString &hamlibVfo)
{
    const auto it =
        std::find_if(kVfos.begin(), kVfos.end(), [&](const VfoRow &r) { return hamlibVfo == QLatin1String(r.hamlib); });
    if (it == kVfos.end())
        return std::nullopt;
    return it->code;
}

std::optional<QString> vfoFor(int code)
{
    const auto it = std::find_if(kVfos.begin(), kVfos.end(), [code](const VfoRow &r) { return r.code == code; });
    if (it == kVfos.end())
        return std::nullopt;
    return QString::fromLatin1(it->hamlib);
}

} // namespace VfoTable
