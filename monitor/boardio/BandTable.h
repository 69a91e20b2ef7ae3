// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The nine band positions of the band switch: caption, band button, indicator, the link
// bands that select the position, and the 4-bit code on relays 13..16. The code of
// position k is k in base 2, least significant bit first; it is computed, never typed.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace tovana {

constexpr int kBandPositionCount = 9;
constexpr int kFirstBandRelay = 13;

struct BandPosition {
    int position;           // 1..9
    const char *caption;    // "160" .. "10"
    const char *button;     // objectName of the band button
    const char *indicator;  // objectName of the green indicator over it
    QString code;           // as shown in Label2, relay 13 first: "1000" for position 1
    QByteArray bytes;       // the four relay bytes for relays 13..16, in that order
};

// The table, position 1 first.
const std::array<BandPosition, kBandPositionCount> &bandTable();

// The position that a link band selects, from the band's decimal text: "1".."9" give
// their own position and "10" gives 9; any other text gives 0 (no position).
int bandPositionForLinkBand(const QString &bandText);

} // namespace tovana
