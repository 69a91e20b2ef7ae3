// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandTable.h"

#include "WireFormat.h"

namespace tovana {

namespace {

constexpr int kCodeBits = 4;

struct BandNames {
    const char *caption;
    const char *button;
    const char *indicator;
};

constexpr BandNames kNames[kBandPositionCount] = {
    {"160", "Command1", "Command14"},  {"80", "Command22", "Command15"},
    {"40", "Command23", "Command16"},  {"30", "Command24", "Command17"},
    {"20", "Command25", "Command18"},  {"17", "Command26", "Command19"},
    {"15", "Command27", "Command20"},  {"12", "Command28", "Command21"},
    {"10", "Command29", "Command30"},
};

BandPosition makePosition(int k)
{
    const BandNames &names = kNames[k - 1];
    BandPosition band{k, names.caption, names.button, names.indicator, {}, {}};
    for (int bit = 0; bit < kCodeBits; ++bit) {
        const bool on = (k >> bit) & 1;
        band.code.append(on ? u'1' : u'0');
        band.bytes.append(relayByte(kFirstBandRelay + bit, on));
    }
    return band;
}

} // namespace

const std::array<BandPosition, kBandPositionCount> &bandTable()
{
    static const std::array<BandPosition, kBandPositionCount> table = [] {
        std::array<BandPosition, kBandPositionCount> positions;
        for (int k = 1; k <= kBandPositionCount; ++k)
            positions[static_cast<std::size_t>(k - 1)] = makePosition(k);
        return positions;
    }();
    return table;
}

int bandPositionForLinkBand(const QString &bandText)
{
    // The tenth link band has no indicator of its own and shares the last position.
    if (bandText == u"10")
        return kBandPositionCount;
    for (const BandPosition &band : bandTable()) {
        if (bandText == QString::number(band.position))
            return band.position;
    }
    return 0;
}

} // namespace tovana
