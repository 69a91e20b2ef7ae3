// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The amateur bands the link server numbers (1 = 160 m ... 10 = 6 m): each band's edges and
// the frequency the bridge tunes to when a client asks for the band. One table drives both
// directions, frequency to band number and band number to tuning frequency.
#pragma once

#include <QtGlobal>
#include <optional>
#include <span>

struct Band {
    int number;       // as published in the link server's Band field
    const char *name; // "20m"
    qint64 lowHz;     // lower edge, inclusive
    qint64 highHz;    // upper edge, inclusive
    qint64 tuneHz;    // where SetBand tunes to
};

namespace BandTable {
std::span<const Band> bands();
// Band number of a frequency, 0 when it lies outside every band in the table.
int bandOf(qint64 hz);
// The band with this number, if there is one.
std::optional<Band> band(int number);
} // namespace BandTable
