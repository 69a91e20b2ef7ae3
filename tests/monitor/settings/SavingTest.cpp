// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The full save: what it writes, in which text forms, and that it loads back.
#include "SettingsStore.h"
#include "StoreFixture.h"

using namespace tovana;
using namespace tovana::station;

namespace {

Preferences busyStation()
{
    Preferences p;
    p.position = {1440.5, -60};
    p.size = {6960, 14580.5};
    p.interlock.holdWhileTx = true;
    for (int n = 0; n < kRelayCount; ++n)
        p.relays[n] = {"Relay" + std::to_string(n + 1), n % 3 == 0};
    p.relays[1].label = " Beam, \"long\" \\ 20 m ";
    p.relays[2].label = "Ωmega @ antenna";
    p.relays[3].label = "@Variant(x)";
    p.bandStatus[4] = true;
    p.bandStatus[8] = p.bandStatus[9] = true; // both read from the "10" indicator
    p.port = {7, "9600,N,8,1"};
    p.meterResponse = 32767;
    for (int i = 0; i < kMeterCount; ++i) {
        MeterConfig &m = p.meters[i];
        m.caption = "Meter " + std::to_string(i) + "; 100%";
        m.scaleMin = -10.5 + i;
        m.scaleMax = 20.25;
        m.ticSubCount = 9;
        m.bands = {{{m.scaleMin, 0.6, 0xFF8040}, {0.6, 12, 0}, {12, 20.25, 0xFFFFFF}}};
    }
    return p;
}

} // namespace

TEST_F(StoreTest, FirstSaveAddsTheStartOfEachFirstBand)
{
    seed();
    SettingsStore store;
    ASSERT_TRUE(SaveSettings(store, GetPreferences(store, {})));

    const auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 151);
    for (int i = 0; i < kMeterCount; ++i)
        EXPECT_EQ(keys.value(QStringLiteral("Start-Annular2-Gauge%1").arg(i)), "0");
    EXPECT_EQ(keys.value("Meter-ComSettings"), "19200,n,8,1");
    EXPECT_TRUE(home.readStore("Window").isEmpty()) << "no window size is known yet";
}

TEST_F(StoreTest, SaveWritesNumbersInTheirShortestText)
{
    seed();
    Preferences p = busyStation();
    p.meters[0].bands[1].stop = 0.6 * 3; // 1.7999999999999998 in binary
    p.meters[0].scaleMax = 3;
    p.position = {1440.123456, 0.1};
    SettingsStore store;
    ASSERT_TRUE(SaveSettings(store, p));

    const auto keys = home.readStore();
    EXPECT_EQ(keys.value("Stop-Annular2-Gauge0"), "0.6");
    EXPECT_EQ(keys.value("Stop-Annular3-Gauge0"), "1.8");
    EXPECT_EQ(keys.value("ScaleMax-Gauge0"), "3");
    EXPECT_EQ(keys.value("ScaleMin-Gauge1"), "-9.5");
    EXPECT_EQ(keys.value("Color-Annular2-Gauge0"), "16744512");
    EXPECT_EQ(keys.value("Color-Annular4-Gauge0"), "16777215");
    EXPECT_EQ(keys.value("Position-Left"), "1440.123");
    EXPECT_EQ(keys.value("Position-Top"), "0.1");
    EXPECT_EQ(keys.value("Meter Response"), "32767");
    EXPECT_EQ(keys.value("RelayStatus1"), "True");
    EXPECT_EQ(keys.value("RelayStatus2"), "False");
    EXPECT_EQ(keys.value("BandStatus9"), keys.value("BandStatus10"));
    EXPECT_EQ(keys.value("BandStatus10"), "True");
    EXPECT_EQ(keys.size(), 151) << "[StartUp] keeps its keys";
    EXPECT_EQ(home.readStore("Window"), (QMap<QString, QString>{{"Width", "6960"}, {"Height", "14580.5"}}));
}

TEST_F(StoreTest, SavedStateLoadsBackUnchanged)
{
    seed();
    const Preferences saved = busyStation();
    {
        SettingsStore store;
        ASSERT_TRUE(SaveSettings(store, saved));
    }
    const SettingsStore store;
    const Preferences p = GetPreferences(store, {});

    EXPECT_EQ(p.position.left, saved.position.left);
    EXPECT_EQ(p.position.top, saved.position.top);
    EXPECT_EQ(p.size.width, saved.size.width);
    EXPECT_EQ(p.size.height, saved.size.height);
    EXPECT_TRUE(p.interlock.holdWhileTx);
    for (int n = 0; n < kRelayCount; ++n) {
        EXPECT_EQ(p.relays[n].label, saved.relays[n].label) << n;
        EXPECT_EQ(p.relays[n].status, saved.relays[n].status) << n;
    }
    EXPECT_EQ(p.bandStatus, saved.bandStatus);
    EXPECT_EQ(p.port.number, 7);
    EXPECT_EQ(p.port.settings, "9600,N,8,1");
    EXPECT_EQ(p.meterResponse, 32767);
    for (int i = 0; i < kMeterCount; ++i) {
        const MeterConfig &a = p.meters[i], &b = saved.meters[i];
        EXPECT_EQ(a.caption, b.caption);
        EXPECT_EQ(a.scaleMin, b.scaleMin);
        EXPECT_EQ(a.scaleMax, b.scaleMax);
        EXPECT_EQ(a.ticSubCount, b.ticSubCount);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(a.bands[k].start, b.bands[k].start) << i << ' ' << k;
            EXPECT_EQ(a.bands[k].stop, b.bands[k].stop) << i << ' ' << k;
            EXPECT_EQ(a.bands[k].color, b.bands[k].color) << i << ' ' << k;
        }
    }
}

TEST_F(StoreTest, SaveLeavesTheMultipliersAndRepeatsItselfExactly)
{
    seed();
    SettingsStore store;
    ASSERT_TRUE(SaveMultiplier(store, 1, 2.5));
    const Preferences p = busyStation();
    ASSERT_TRUE(SaveSettings(store, p));
    const QByteArray first = home.storeBytes();
    ASSERT_TRUE(SaveSettings(store, p));

    EXPECT_EQ(home.storeBytes(), first);
    const auto keys = home.readStore();
    EXPECT_EQ(keys.value("Multiplier1"), "2.5");
    EXPECT_EQ(keys.value("Multiplier0"), "1.0");
}
