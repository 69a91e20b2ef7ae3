// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The band, mode and VFO tables and the reading of rigctld's answers.
#include "BandTable.h"
#include "ModeTable.h"
#include "RigctlReply.h"
#include "VfoTable.h"

#include <gtest/gtest.h>

TEST(RigBandTable, FrequenciesInsideEachBandGiveItsNumber)
{
    const struct {
        qint64 hz;
        int band;
    } cases[] = {
        {1'800'000, 1},  {1'999'999, 1},  {3'573'000, 2},   {7'074'000, 3},   {7'300'000, 3},
        {10'136'000, 4}, {14'000'000, 5}, {14'350'000, 5},  {18'100'000, 6},  {21'074'000, 7},
        {24'940'000, 8}, {29'600'000, 9}, {50'313'000, 10}, {53'999'000, 10},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BandTable::bandOf(c.hz), c.band) << c.hz << " Hz";
}

TEST(RigBandTable, FrequenciesOutsideEveryBandGiveZero)
{
    for (qint64 hz : {qint64(0), qint64(-7'074'000), qint64(1'799'999), qint64(5'357'000), qint64(14'350'001),
                      qint64(27'555'000), qint64(54'000'001), qint64(145'000'000)})
        EXPECT_EQ(BandTable::bandOf(hz), 0) << hz << " Hz";
}

TEST(RigBandTable, NumbersRunFrom160mToSixMetresAndEachTuningFrequencyLiesInItsBand)
{
    const char *names[] = {"160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m"};
    ASSERT_EQ(BandTable::bands().size(), std::size(names));
    for (int n = 1; n <= 10; ++n) {
        const auto band = BandTable::band(n);
        ASSERT_TRUE(band) << n;
        EXPECT_STREQ(band->name, names[n - 1]);
        EXPECT_EQ(BandTable::bandOf(band->tuneHz), n) << band->name;
    }
    EXPECT_FALSE(BandTable::band(0));
    EXPECT_FALSE(BandTable::band(11));
    EXPECT_FALSE(BandTable::band(42));
}

TEST(RigModeTable, RadioModesMapToLinkCodes)
{
    const struct {
        const char *mode;
        int code;
    } cases[] = {
        {"LSB", 0},  {"USB", 1},   {"CW", 2},      {"CWR", 3},     {"AM", 4},     {"FM", 6},
        {"RTTY", 8}, {"RTTYR", 9}, {"PKTLSB", 10}, {"PKTUSB", 10}, {"PKTFM", 11},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ModeTable::codeOf(QString::fromLatin1(c.mode)), c.code) << c.mode;
}

TEST(RigModeTable, ModesWithoutCodeAndCodesWithoutModeAreRefused)
{
    for (const char *mode : {"PKTAM", "WFM", "usb", "", "DSB"})
        EXPECT_FALSE(ModeTable::codeOf(QString::fromLatin1(mode))) << mode;
    for (int code : {-1, 5, 7, 12, 1000})
        EXPECT_FALSE(ModeTable::modeFor(code)) << code;
}

TEST(RigModeTable, EveryCodeRequestsAModeThatReadsBackAsTheSameCode)
{
    for (int code : {0, 1, 2, 3, 4, 6, 8, 9, 10, 11}) {
        const auto mode = ModeTable::modeFor(code);
        ASSERT_TRUE(mode) << code;
        EXPECT_EQ(ModeTable::codeOf(*mode), code) << mode->toStdString();
    }
}

TEST(RigVfoTable, VfoNamesOfBothKindsOfRadioMapToCodes)
{
    EXPECT_EQ(VfoTable::codeOf(QStringLiteral("VFOA")), 0);
    EXPECT_EQ(VfoTable::codeOf(QStringLiteral("Main")), 0);
    EXPECT_EQ(VfoTable::codeOf(QStringLiteral("VFOB")), 1);
    EXPECT_EQ(VfoTable::codeOf(QStringLiteral("Sub")), 1);
    EXPECT_EQ(VfoTable::codeOf(QStringLiteral("MEM")), 2);
    EXPECT_FALSE(VfoTable::codeOf(QStringLiteral("VFOC")));
    EXPECT_EQ(VfoTable::vfoFor(0), QStringLiteral("VFOA"));
    EXPECT_EQ(VfoTable::vfoFor(1), QStringLiteral("VFOB"));
    EXPECT_EQ(VfoTable::vfoFor(2), QStringLiteral("MEM"));
    EXPECT_FALSE(VfoTable::vfoFor(3));
}

TEST(RigctlReply, ReadsFieldsAndStatusOfAnExtendedAnswer)
{
    const RigctlReply reply = RigctlReply::parse({QStringLiteral("get_split_vfo:"), QStringLiteral("Split: 1"),
                                                  QStringLiteral("TX VFO: VFOB"), QStringLiteral("RPRT 0")});
    EXPECT_TRUE(reply.ok());
    EXPECT_EQ(reply.value(QStringLiteral("Split")), QStringLiteral("1"));
    EXPECT_EQ(reply.value(QStringLiteral("TX VFO")), QStringLiteral("VFOB"));
    EXPECT_EQ(reply.value(QStringLiteral("Mode")), QString());

    const RigctlReply caps = RigctlReply::parse(
        {QStringLiteral("dump_caps:"), QStringLiteral("Model name:\tIC-7300"), QStringLiteral("RPRT 0")});
    EXPECT_EQ(caps.value(QStringLiteral("Model name")), QStringLiteral("IC-7300"));
}

TEST(RigctlReply, ErrorsAreFailuresWithHamlibsText)
{
    const RigctlReply refused = RigctlReply::parse({QStringLiteral("set_ptt: 1"), QStringLiteral("RPRT -11")});
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.answered);
    EXPECT_EQ(refused.describe(), QStringLiteral("RPRT -11 (feature not available)"));

    const RigctlReply garbled = RigctlReply::parse({QStringLiteral("get_freq:"), QStringLiteral("RPRT x")});
    EXPECT_FALSE(garbled.ok());
    EXPECT_EQ(RigctlReply::parse({QStringLiteral("RPRT -99")}).describe(), QStringLiteral("RPRT -99 (unknown error)"));

    EXPECT_FALSE(RigctlReply::unanswered().ok());
    EXPECT_FALSE(RigctlReply::unanswered().answered);
}
