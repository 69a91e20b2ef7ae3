// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Seeding, loading and saving over a store in memory: the keys and their forms, and reals
// read with either decimal separator and written with the one given.
#include "KeyCatalogue.h"
#include "MemoryStore.h"
#include "Settings.h"
#include "Station.h"
#include "TextForms.h"

#include <gtest/gtest.h>

using namespace tovana::station;

namespace {

int keysIn(const MemoryStore &store, const std::string &section)
{
    int count = 0;
    for (const auto &[key, value] : store.values)
        count += key.first == section;
    return count;
}

std::string valueOf(const MemoryStore &store, const std::string &key, const std::string &section = kStartUpSection)
{
    return store.get(section, key).value_or("<none>");
}

} // namespace

TEST(StationSettings, SeedingWritesTheWholeCatalogueAndTheFirstSaveAddsTheBandStarts)
{
    MemoryStore store;
    Station station;
    station.setWindow({1200, 900}, {});
    ASSERT_TRUE(RegInit(store, station.seedValues()));
    EXPECT_EQ(keysIn(store, kStartUpSection), 143);
    EXPECT_EQ(valueOf(store, "Relay7"), "Relay7") << "labels are seeded from the station";
    EXPECT_EQ(valueOf(store, "Position-Left"), "1200");
    EXPECT_EQ(valueOf(store, "Multiplier3"), "1.0");
    EXPECT_EQ(valueOf(store, "Meter-ComSettings"), "19200,n,8,1");

    store.values[{kStartUpSection, "Relay7"}] = "PA";
    ASSERT_TRUE(RegInit(store, station.seedValues()));
    EXPECT_EQ(valueOf(store, "Relay7"), "PA") << "a stored value is never reseeded";

    const Preferences loaded = GetPreferences(store, {});
    station.load(loaded, GetMultiplier(store, loaded.meters));
    ASSERT_TRUE(SaveSettings(store, station.preferences()));
    EXPECT_EQ(keysIn(store, kStartUpSection), 151) << "the eight Start-Annular2-Gauge keys join the seeded ones";
    EXPECT_EQ(valueOf(store, "Start-Annular2-Gauge5"), "0");
    EXPECT_EQ(valueOf(store, kHoldWhileTxKey, kInterlockSection), "False") << "the hold in a section of its own";
}

TEST(StationSettings, RealsReadWithEitherSeparatorAndAreWrittenWithTheOneGiven)
{
    MemoryStore store;
    ASSERT_TRUE(RegInit(store, Station().seedValues()));
    // As the earlier program wrote them under a comma locale.
    store.values[{kStartUpSection, "ScaleMax-Gauge0"}] = "2,5";
    store.values[{kStartUpSection, "Stop-Annular2-Gauge0"}] = "1.25";
    store.values[{kStartUpSection, "Multiplier0"}] = "0,5";
    store.values[{kStartUpSection, "Position-Left"}] = "1234,5";
    const Preferences loaded = GetPreferences(store, {});
    EXPECT_EQ(loaded.meters[0].scaleMax, 2.5);
    EXPECT_EQ(loaded.meters[0].bands[0].stop, 1.25);
    EXPECT_EQ(loaded.position.left, 1234.5);
    const ScalingTable scaling = GetMultiplier(store, loaded.meters);
    EXPECT_DOUBLE_EQ(scaling.scaling[0].value(255), 0.5 * 2.5) << "the comma multiplier scales";

    for (const char separator : {',', '.'}) {
        MemoryStore written;
        ASSERT_TRUE(SaveSettings(written, loaded, separator));
        EXPECT_EQ(valueOf(written, "ScaleMax-Gauge0"), std::string("2") + separator + "5");
        EXPECT_EQ(valueOf(written, "Position-Left"), std::string("1234") + separator + "5");
        EXPECT_EQ(valueOf(written, "Meter-ComSettings"), "19200,n,8,1") << "texts are not numbers";
        EXPECT_EQ(GetPreferences(written, {}).meters[0].scaleMax, 2.5) << "read back with '" << separator << "'";
    }
}

TEST(StationSettings, TextEditedIntoNonsenseCostsOnlyThatValue)
{
    MemoryStore store;
    ASSERT_TRUE(RegInit(store, Station().seedValues()));
    store.values[{kStartUpSection, "ScaleMin-Gauge0"}] = "abc";
    store.values[{kStartUpSection, "ScaleMax-Gauge0"}] = "7";
    store.values[{kStartUpSection, "Color-Annular2-Gauge2"}] = "16777216";
    store.values[{kStartUpSection, "Meter Response"}] = "1.5e3";
    store.values[{kStartUpSection, "RelayStatus4"}] = " true ";
    store.values[{kStartUpSection, "Meter-ComPort"}] = "COM3";
    store.values[{kStartUpSection, "2,5.0"}] = "ambiguous";
    store.values[{kWindowSection, kWindowWidthKey}] = "wide";
    store.values[{kWindowSection, kWindowHeightKey}] = "100";
    const MemoryStore before = store;
    const Preferences p = GetPreferences(store, {10, 20});
    EXPECT_EQ(p.meters[0].scaleMin, 0);
    EXPECT_EQ(p.meters[0].scaleMax, 7);
    EXPECT_EQ(p.meters[2].bands[0].color, 32768u);
    EXPECT_EQ(p.meterResponse, 1500);
    EXPECT_TRUE(p.relays[3].status);
    EXPECT_EQ(p.port.number, 1);
    EXPECT_FALSE(p.size.isValid());
    EXPECT_EQ(store.values, before.values) << "loading writes nothing back";
    EXPECT_FALSE(parseReal("2,5.0")) << "both separators at once";
    EXPECT_FALSE(parseReal("inf"));
}
