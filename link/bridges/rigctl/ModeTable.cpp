// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ModeTable.h"

#include <algorithm>
#include <array>

namespace {

struct ModeRow {
    const char *hamlib;
    int code;
};

// The two FSK codes follow the published enumeration (8 = FSK lower, 9 = FSK upper):
// Hamlib's RTTY is the conventional lower-sideband shift, RTTYR the reversed one.
constexpr std::array<ModeRow, 11> kModes{{
    {"LSB", 0},
    {"USB", 1},
    {"CW", 2},
    {"CWR", 3},
    {"AM", 4},
    {"FM", 6},
    {"RTTY", 8},
    {"RTTYR", 9},
    {"PKTLSB", 10},
    {"PKTUSB", 10},
    {"PKTFM", 11},
}};

} // namespace

namespace ModeTable {

std::optional<int> codeOf(const QString &hamlibMode)
{
    const auto it = std::find_if(kModes.begin(), kModes.end(),
                                 [&](const ModeRow &r) { return hamlibMode == QLatin1String(r.hamlib); });
    if (it == kModes.end())
        return std::nullopt;
    return it->code;
}

std::optional<QString> modeFor(int code)
{
    const auto it = std::find_if(kModes.begin(), kModes.end(), [code](const ModeRow &r) { return r.code == code; });
    if (it == kModes.end())
        return std::nullopt;
    return QString::fromLatin1(it->hamlib);
}

} // namespace ModeTable
