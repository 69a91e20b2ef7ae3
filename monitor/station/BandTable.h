// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The nine band positions of the band switch: caption, the link bands that select the
// position, and the 4-bit code on relays 13..16. The code of position k is k in base 2,
// least significant bit first; it is computed, never typed.
#pragma once

#include "Records.h"

#include <array>
#include <string>

namespace tovana::station {

constexpr int kFirstBandRelay = 13;

struct BandPosition {
    int position;        // 1..9
    const char *caption; // "160" .. "10"
    std::string code;    // as shown beside the band buttons, relay 13 first: "1000" for position 1
    std::string bytes;   // the four relay bytes for relays 13..16, in that order
};

// The table, position 1 first.
const std::array<BandPosition, kBandCount> &bandTable();

// The position that a link band selects: 1..9 give their own position and 10 gives 9; any
// other band gives 0 (no position).
int bandPositionForLinkBand(int band);

} // namespace tovana::station
