// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Loading the store into the records the windows apply, including hand-edited files.
#include "SettingsStore.h"
#include "StoreFixture.h"

using namespace tovana;
using namespace tovana::station;

TEST_F(StoreTest, FreshStoreLoadsTheDefaults)
{
    seed();
    const SettingsStore store;
    const Preferences p = GetPreferences(store, {1, 1});

    EXPECT_EQ(p.position.left, 1200);
    EXPECT_EQ(p.position.top, 900);
    EXPECT_EQ(p.port.number, 1);
    EXPECT_EQ(p.port.settings, "19200,n,8,1");
    EXPECT_EQ(p.meterResponse, 15000);
    for (int n = 0; n < kRelayCount; ++n) {
        EXPECT_EQ(p.relays[n].label, "Relay" + std::to_string(n + 1));
        EXPECT_FALSE(p.relays[n].status);
    }
    for (bool shown : p.bandStatus)
        EXPECT_FALSE(shown);
    for (const MeterConfig &m : p.meters) {
        EXPECT_EQ(m.caption, "Volts DC");
        EXPECT_EQ(m.scaleMin, 0);
        EXPECT_EQ(m.scaleMax, 5);
        EXPECT_EQ(m.ticSubCount, 4);
        const Annulus expected[3] = {{0, 3, 32768}, {3, 4, 65535}, {4, 5, 255}};
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(m.bands[b].start, expected[b].start);
            EXPECT_EQ(m.bands[b].stop, expected[b].stop);
            EXPECT_EQ(m.bands[b].color, expected[b].color);
        }
    }
}

TEST_F(StoreTest, HandEditedNonsenseFallsBackValueByValueAndLeavesTheFileAlone)
{
    seed();
    auto keys = home.readStore();
    keys["ScaleMin-Gauge0"] = "abc";
    keys["ScaleMax-Gauge0"] = "7";
    keys["TicSubCount-Gauge1"] = "99999";
    keys["Color-Annular3-Gauge2"] = "-5";
    keys["Color-Annular2-Gauge2"] = "16777216";
    keys["Stop-Annular4-Gauge2"] = "nan";
    keys["Meter-ComPort"] = "COM3";
    keys["Meter Response"] = "1.5e3";
    keys["RelayStatus3"] = "yes";
    keys["RelayStatus4"] = "true";
    keys["BandStatus2"] = " TRUE ";
    keys["Position-Left"] = "left";
    keys["Position-Top"] = "1e99"; // beyond single precision
    handEdit(keys);
    const QByteArray edited = home.storeBytes();
    const TempConfigHome::Stamp stamp = home.storeStamp();

    Preferences p;
    {
        const SettingsStore store;
        p = GetPreferences(store, {11, 22});
    }
    EXPECT_EQ(p.meters[0].scaleMin, 0);
    EXPECT_EQ(p.meters[0].bands[0].start, 0);
    EXPECT_EQ(p.meters[0].scaleMax, 7);
    EXPECT_EQ(p.meters[1].ticSubCount, 4);
    EXPECT_EQ(p.meters[2].bands[1].color, 65535u);
    EXPECT_EQ(p.meters[2].bands[0].color, 32768u);
    EXPECT_EQ(p.meters[2].bands[2].stop, 5);
    EXPECT_EQ(p.port.number, 1);
    EXPECT_EQ(p.meterResponse, 1500);
    EXPECT_FALSE(p.relays[2].status);
    EXPECT_TRUE(p.relays[3].status);
    EXPECT_TRUE(p.bandStatus[1]);
    EXPECT_EQ(p.position.left, 11);
    EXPECT_EQ(p.position.top, 22);

    EXPECT_EQ(home.storeBytes(), edited);
    EXPECT_EQ(home.storeStamp(), stamp);
}

TEST_F(StoreTest, KeyGivenTwiceKeepsItsFirstCopyThatConverts)
{
    home.writeStore("[StartUp]\n"
                    "ScaleMax-Gauge0=7\n"
                    "Meter%20Response=1200\n"
                    "Relay3=\"Antenna, 40 m\"\n"
                    "Multiplier2=2,5\n"
                    "ScaleMax-Gauge0=junk\n"
                    "Meter%20Response=\n"
                    "Relay3=Dummy load\n"
                    "Multiplier2=x\n"
                    "Caption-Gauge1=nonsense is a caption too\n"
                    "Caption-Gauge1=Volts 13.8\n");
    {
        SettingsStore store;
        ASSERT_TRUE(RegInit(store, firstRunSeed())) << store.errorString().toStdString();
        const Preferences p = GetPreferences(store, {0, 0});
        EXPECT_EQ(p.meters[0].scaleMax, 7);
        EXPECT_EQ(p.meterResponse, 1200);
        EXPECT_EQ(p.relays[2].label, "Antenna, 40 m");
        EXPECT_EQ(p.meters[1].caption, "nonsense is a caption too") << "any text is a caption: the first wins";
        ASSERT_TRUE(SaveSettings(store, p));
    }
    // The good copies are what the file keeps, once each.
    const QMap<QString, QString> keys = home.readStore();
    EXPECT_EQ(keys.value("ScaleMax-Gauge0"), "7");
    EXPECT_EQ(keys.value("Meter Response"), "1200");
    EXPECT_EQ(keys.value("Relay3"), "Antenna, 40 m");
    EXPECT_EQ(keys.value("Multiplier2"), "2,5") << "kept though only the setup dialog saves it";
    EXPECT_EQ(home.storeBytes().count("ScaleMax-Gauge0="), 1);
}

TEST_F(StoreTest, CommaDecimalsLoadAsNumbers)
{
    seed();
    auto keys = home.readStore();
    keys["ScaleMax-Gauge0"] = "4,5"; // unquoted in an editor: QSettings sees a list
    keys["Stop-Annular2-Gauge0"] = "2,25";
    keys["Position-Left"] = "100,5";
    keys["ScaleMin-Gauge1"] = "1.234,5"; // both separators: ambiguous, not a number
    keys["Multiplier0"] = "1,5";
    handEdit(keys);

    const SettingsStore store;
    const Preferences p = GetPreferences(store, {});
    EXPECT_EQ(p.meters[0].scaleMax, 4.5);
    EXPECT_EQ(p.meters[0].bands[0].stop, 2.25);
    EXPECT_EQ(p.position.left, 100.5);
    EXPECT_EQ(p.meters[1].scaleMin, 0);
    std::array<MeterConfig, kMeterCount> meters{};
    meters[0].scaleMax = 4.5;
    const ScalingTable t = GetMultiplier(store, meters);
    EXPECT_EQ(t.multipliers[0], "1,5");
    EXPECT_DOUBLE_EQ(t.scaling[0].factor, 1.5 * 4.5 / 255);
}

TEST_F(StoreTest, LoadingKeepsBothTenMetreEntriesAndIgnoresTheStoredBandStart)
{
    seed();
    auto keys = home.readStore();
    keys["BandStatus9"] = "True";
    keys["BandStatus10"] = "False";
    keys["ScaleMin-Gauge3"] = "-2";
    keys["Start-Annular2-Gauge3"] = "1.5";
    handEdit(keys);

    const SettingsStore store;
    const Preferences p = GetPreferences(store, {});
    // The window applies entry 10 after entry 9, so the "10" indicator ends hidden.
    EXPECT_TRUE(p.bandStatus[8]);
    EXPECT_FALSE(p.bandStatus[9]);
    EXPECT_EQ(p.meters[3].bands[0].start, -2);
}
