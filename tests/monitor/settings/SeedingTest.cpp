// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// First-run defaults and the seeding that runs on every activation of the main window.
#include "SettingsStore.h"
#include "StoreFixture.h"

using namespace tovana;
using namespace tovana::station;

TEST_F(StoreTest, FirstRunFillsAnEmptyStoreWithEveryDefault)
{
    SettingsStore store;
    SeedValues seed = firstRunSeed();
    seed.position = {1234.56789, 907.25};
    ASSERT_TRUE(RegInit(store, seed));

    const auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 143);
    EXPECT_EQ(keys.value("Meter-ComPort"), "1");
    EXPECT_EQ(keys.value("Meter-ComSettings"), "19200,n,8,1");
    EXPECT_EQ(keys.value("Meter Response"), "15000");
    EXPECT_EQ(keys.value("Stop-Annular2-Gauge0"), "3");
    EXPECT_EQ(keys.value("Color-Annular2-Gauge0"), "32768");
    EXPECT_EQ(keys.value("Color-Annular3-Gauge4"), "65535");
    EXPECT_EQ(keys.value("Stop-Annular4-Gauge7"), "5");
    EXPECT_EQ(keys.value("Color-Annular4-Gauge7"), "255");
    EXPECT_EQ(keys.value("TicSubCount-Gauge3"), "4");
    EXPECT_EQ(keys.value("Caption-Gauge5"), "Volts DC");
    EXPECT_EQ(keys.value("Multiplier6"), "1.0");
    EXPECT_EQ(keys.value("Relay1"), "Relay1");
    EXPECT_EQ(keys.value("Relay12"), "Relay12");
    EXPECT_EQ(keys.value("Position-Left"), "1234.568"); // single precision
    EXPECT_EQ(keys.value("Position-Top"), "907.25");
    EXPECT_EQ(keys.value("RelayStatus12"), "False");
    EXPECT_EQ(keys.value("BandStatus10"), "False");
    for (int i = 0; i < kMeterCount; ++i)
        EXPECT_FALSE(keys.contains(QStringLiteral("Start-Annular2-Gauge%1").arg(i)));
    for (const char *stray : {"Multiplier8", "Relay0", "Relay13", "RelayStatus0", "BandStatus11"})
        EXPECT_FALSE(keys.contains(stray)) << stray;
}

TEST_F(StoreTest, SeedingRefillsEmptyValuesAndKeepsAnyText)
{
    seed();
    auto keys = home.readStore();
    keys["Meter-ComPort"] = "";
    keys["Caption-Gauge1"] = "";
    keys["Relay4"] = "";
    keys["ScaleMax-Gauge2"] = "abc";
    keys["Position-Left"] = "";
    handEdit(keys);

    SettingsStore store;
    SeedValues seed = firstRunSeed();
    seed.relayLabels[3] = "Linear"; // what button 4 shows at this moment
    seed.position = {300, 400};
    ASSERT_TRUE(RegInit(store, seed));

    keys = home.readStore();
    EXPECT_EQ(keys.size(), 143);
    EXPECT_EQ(keys.value("Meter-ComPort"), "1");
    EXPECT_EQ(keys.value("Caption-Gauge1"), "Volts DC");
    EXPECT_EQ(keys.value("Relay4"), "Linear");
    EXPECT_EQ(keys.value("ScaleMax-Gauge2"), "abc");
    EXPECT_EQ(keys.value("Position-Left"), "300");
    EXPECT_EQ(keys.value("Position-Top"), "900");
}

TEST_F(StoreTest, PartialStoreIsCompletedKeyByKey)
{
    handEdit({{"Meter Response", "20000"},
              {"Meter-ComSettings", "9600,N,8,1"}, // unquoted, as typed in an editor
              {"Relay3", "Beam,Dipole"},
              {"BandStatus5", "True"},
              {"Notes", "kept too"}});

    SettingsStore store;
    ASSERT_TRUE(RegInit(store, firstRunSeed()));

    const auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 144);
    EXPECT_EQ(keys.value("Meter Response"), "20000");
    EXPECT_EQ(keys.value("Meter-ComSettings"), "9600,N,8,1");
    EXPECT_EQ(keys.value("Relay3"), "Beam,Dipole");
    EXPECT_EQ(keys.value("BandStatus5"), "True");
    EXPECT_EQ(keys.value("BandStatus4"), "False");
    EXPECT_EQ(keys.value("Relay2"), "Relay2");
    EXPECT_EQ(keys.value("Notes"), "kept too");
}

TEST_F(StoreTest, SeedingACompleteStoreDoesNotRewriteTheFile)
{
    seed();
    const QByteArray before = home.storeBytes();
    const TempConfigHome::Stamp stamp = home.storeStamp();
    ASSERT_NE(stamp.inode, 0u);

    SettingsStore store;
    SeedValues other = firstRunSeed();
    other.relayLabels[0] = "Changed";
    other.position = {1, 2};
    EXPECT_TRUE(RegInit(store, other));

    EXPECT_EQ(home.storeBytes(), before);
    EXPECT_EQ(home.storeStamp(), stamp);
}
