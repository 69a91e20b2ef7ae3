// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandTable.h"

#include <algorithm>
#include <array>

namespace {

// Edges are the widest IARU allocations; tuning frequencies are the usual FT8 dial
// frequencies, a quiet and commonly wanted spot in each band.
constexpr std::array<Band, 10> kBands{{
    {1, "160m", 1'800'000, 2'000'000, 1'840'000},
    {2, "80m", 3'500'000, 4'000'000, 3'573'000},
    {3, "40m", 7'000'000, 7'300'000, 7'074'000},
    {4, "30m", 10'100'000, 10'150'000, 10'136'000},
    {5, "20m", 14'000'000, 14'350'000, 14'074'000},
    {6, "17m", 18'068'000, 18'168'000, 18'100'000},
    {7, "15m", 21'000'000, 21'450'000, 21'074'000},
    {8, "12m", 24'890'000, 24'990'000, 24'915'000},
    {9, "10m", 28'000'000, 29'700'000, 28'074'000},
    {10, "6m", 50'000'000, 54'000'000, 50'313'000},
}};

} // namespace

namespace BandTable {

std::span<const Band> bands()
{
    return kBands;
}

int bandOf(qint64 hz)
{
    const auto it =
        std::find_if(kBands.begin(), kBands.end(), [hz](const Band &b) { return hz >= b.lowHz && hz <= b.highHz; });
    return it == kBands.end() ? 0 : it->number;
}

std::optional<Band> band(int number)
{
    const auto it = std::find_if(kBands.begin(), kBands.end(), [number](const Band &b) { return b.number == number; });
    if (it == kBands.end())
        return std::nullopt;
    return *it;
}

} // namespace BandTable
