// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's tables against the sheet: band codes and their relay bytes, and the port
// settings text.
#include "BandTable.h"
#include "PortSettings.h"
#include "WireFormat.h"

#include <gtest/gtest.h>

using namespace tovana::station;

TEST(BandTable, EveryPositionHasItsCaptionCodeAndBytes)
{
    struct Row {
        const char *caption, *code, *bytes;
    };
    const Row sheet[] = {
        {"160", "1000", "9:<>"}, {"80", "0100", "8;<>"}, {"40", "1100", "9;<>"},
        {"30", "0010", "8:=>"},  {"20", "1010", "9:=>"}, {"17", "0110", "8;=>"},
        {"15", "1110", "9;=>"},  {"12", "0001", "8:<?"}, {"10", "1001", "9:<?"},
    };
    for (int k = 1; k <= kBandCount; ++k) {
        const BandPosition &band = bandTable()[static_cast<std::size_t>(k - 1)];
        SCOPED_TRACE(k);
        EXPECT_EQ(band.position, k);
        EXPECT_STREQ(band.caption, sheet[k - 1].caption);
        EXPECT_EQ(band.code, sheet[k - 1].code);
        EXPECT_EQ(band.bytes, sheet[k - 1].bytes);
    }
    EXPECT_EQ(relayByte(1, true), '!');
    EXPECT_EQ(relayByte(12, false), '\x36');
    EXPECT_EQ(queryByte(8), '\0');
}

TEST(PortSettings, TakesTheParityLetterInEitherCaseAndRefusesGarbageNamingTheText)
{
    std::string error;
    const auto lower = PortSettings::parse("19200,n,8,1", &error);
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->baudRate, 19200);
    EXPECT_EQ(lower->parity, PortSettings::Parity::None);
    const auto upper = PortSettings::parse("9600,E,7,2", &error);
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->parity, PortSettings::Parity::Even);
    EXPECT_EQ(upper->dataBits, 7);
    EXPECT_EQ(upper->stopBits, PortSettings::StopBits::Two);
    EXPECT_EQ(PortSettings::parse("1200,s,8,1.5", &error)->parity, PortSettings::Parity::Space);

    for (const std::string text : {"", "fast", "19200,n,8", "19200,x,8,1", "19200,n,9,1", "-5,n,8,1", "19200,n,8,3",
                                   "19200,nn,8,1", "19200,n,8,1,0", "19200.5,n,8,1"}) {
        EXPECT_FALSE(PortSettings::parse(text, &error)) << text;
        EXPECT_NE(error.find("\"" + text + "\""), std::string::npos) << error;
    }
}
