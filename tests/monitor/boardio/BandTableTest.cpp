// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The band table and the relay bytes checked against the code sheet of the band switch.
#include "BandTable.h"
#include "WireFormat.h"

#include <gtest/gtest.h>

using namespace tovana;

namespace {

TEST(WireFormat, RelayAndQueryBytes)
{
    EXPECT_EQ(relayOffByte(1), ' ');
    EXPECT_EQ(relayOnByte(1), '!');
    EXPECT_EQ(relayOnByte(9), '1');
    EXPECT_EQ(relayOffByte(9), '0');
    EXPECT_EQ(relayOnByte(12), '\x37');
    EXPECT_EQ(relayOffByte(16), '>');
    EXPECT_EQ(relayByte(16, true), '?');
    EXPECT_EQ(queryByte(1), '\x01');
    EXPECT_EQ(queryByte(7), '\x07');
    EXPECT_EQ(queryByte(8), '\x00');
}

TEST(BandTable, EveryPositionHasItsNamesCodeAndBytes)
{
    struct Row {
        const char *caption, *button, *indicator, *code, *bytes;
    };
    const Row sheet[] = {
        {"160", "Command1", "Command14", "1000", "9:<>"}, {"80", "Command22", "Command15", "0100", "8;<>"},
        {"40", "Command23", "Command16", "1100", "9;<>"}, {"30", "Command24", "Command17", "0010", "8:=>"},
        {"20", "Command25", "Command18", "1010", "9:=>"}, {"17", "Command26", "Command19", "0110", "8;=>"},
        {"15", "Command27", "Command20", "1110", "9;=>"}, {"12", "Command28", "Command21", "0001", "8:<?"},
        {"10", "Command29", "Command30", "1001", "9:<?"},
    };
    const auto &table = bandTable();
    for (int k = 1; k <= kBandPositionCount; ++k) {
        const BandPosition &band = table[static_cast<std::size_t>(k - 1)];
        const Row &row = sheet[k - 1];
        SCOPED_TRACE(k);
        EXPECT_EQ(band.position, k);
        EXPECT_STREQ(band.caption, row.caption);
        EXPECT_STREQ(band.button, row.button);
        EXPECT_STREQ(band.indicator, row.indicator);
        EXPECT_EQ(band.code, QString::fromLatin1(row.code));
        EXPECT_EQ(band.bytes, QByteArray(row.bytes));
    }
}

TEST(BandTable, LinkBandTextSelectsAPosition)
{
    for (int band = 1; band <= 9; ++band)
        EXPECT_EQ(bandPositionForLinkBand(QString::number(band)), band);
    EXPECT_EQ(bandPositionForLinkBand("10"), 9);
    for (const QString text : {"0", "11", "-1", "", " 5", "05", "5.0", "2147483647"})
        EXPECT_EQ(bandPositionForLinkBand(text), 0) << text.toStdString();
}

} // namespace
