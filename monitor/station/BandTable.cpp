// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandTable.h"

#include "WireFormat.h"

namespace tovana::station {

namespace {

constexpr int kCodeBits = 4;
constexpr const char *kCaptions[kBandCount] = {"160", "80", "40", "30", "20", "17", "15", "12", "10"};

BandPosition makePosition(int k)
{
    BandPosition band{k, kCaptions[k - 1], {}, {}};
    for (int bit = 0; bit < kCodeBits; ++bit) {
        const bool on = (k >> bit) & 1;
        band.code += on ? '1' : '0';
        band.bytes += relayByte(kFirstBandRelay + bit, on);
    }
    return band;
}

} // namespace

const std::array<BandPosition, kBandCount> &bandTable()
{
    static const std::array<BandPosition, kBandCount> table = [] {
        std::array<BandPosition, kBandCount> positions;
        for (int k = 1; k <= kBandCount; ++k)
            positions[static_cast<std::size_t>(k - 1)] = makePosition(k);
        return positions;
    }();
    return table;
}

int bandPositionForLinkBand(int band)
{
    // The tenth link band has no indicator of its own and shares the last position.
    if (band == 10)
        return kBandCount;
    return band >= 1 && band <= kBandCount ? band : 0;
}

} // namespace tovana::station
