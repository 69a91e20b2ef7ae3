// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Turning raw one-byte readings into scale values, and storing a meter's multiplier.
#include "SettingsStore.h"
#include "StoreFixture.h"

#include <cmath>

using namespace tovana;
using namespace tovana::station;

namespace {

// Every meter on this scale.
std::array<MeterConfig, kMeterCount> metersOn(double min, double max)
{
    std::array<MeterConfig, kMeterCount> meters;
    for (MeterConfig &meter : meters) {
        meter.scaleMin = min;
        meter.scaleMax = max;
    }
    return meters;
}

} // namespace

TEST_F(StoreTest, ReadingsSpanTheScaleTimesTheMultiplier)
{
    seed();
    SettingsStore store;
    ASSERT_TRUE(SaveMultiplier(store, 4, 2));

    std::array<MeterConfig, kMeterCount> scales = metersOn(0, 5);
    scales[4].scaleMin = -10;
    scales[4].scaleMax = 10;
    const ScalingTable t = GetMultiplier(store, scales);

    EXPECT_EQ(t.multipliers[4], "2");
    EXPECT_EQ(t.multipliers[0], "1.0");
    const MeterScaling &m = t.scaling[4];
    ASSERT_TRUE(m.valid);
    EXPECT_DOUBLE_EQ(m.factor, 2.0 * 20 / 255);
    EXPECT_DOUBLE_EQ(m.offset, -63.75);
    EXPECT_NEAR(m.value(0), -10, 1e-12);
    EXPECT_NEAR(m.value(255), 30, 1e-12);
    EXPECT_DOUBLE_EQ(t.scaling[0].factor, 5.0 / 255);
    EXPECT_EQ(t.scaling[0].offset, 0);
    EXPECT_NEAR(t.scaling[0].value(255), 5, 1e-12);
}

TEST_F(StoreTest, MetersThatCannotScaleShowTheirMinimumWithoutDividingByZero)
{
    seed();
    auto keys = home.readStore();
    keys["Multiplier1"] = "0";
    keys["Multiplier2"] = "abc";
    keys["Multiplier3"] = "";
    handEdit(keys);

    std::array<MeterConfig, kMeterCount> scales = metersOn(1, 5);
    scales[0].scaleMin = scales[0].scaleMax = 3; // zero span
    const SettingsStore store;
    const ScalingTable t = GetMultiplier(store, scales);

    for (int k = 0; k < 4; ++k) {
        const MeterScaling &m = t.scaling[k];
        EXPECT_FALSE(m.valid) << k;
        EXPECT_TRUE(std::isfinite(m.factor) && std::isfinite(m.offset)) << k;
        EXPECT_EQ(m.value(0), scales[k].scaleMin) << k;
        EXPECT_EQ(m.value(200), scales[k].scaleMin) << k;
    }
    EXPECT_EQ(t.multipliers[2], "abc");
    EXPECT_TRUE(t.scaling[4].valid);
    EXPECT_NEAR(t.scaling[4].value(255), 5, 1e-12);
}

TEST_F(StoreTest, MultiplierIsStoredAtOnceInItsShortestForm)
{
    seed();
    SettingsStore store;
    ASSERT_TRUE(SaveMultiplier(store, 2, 1.5));
    ASSERT_TRUE(SaveMultiplier(store, 7, 1.0));
    EXPECT_FALSE(SaveMultiplier(store, 8, 2));
    EXPECT_FALSE(SaveMultiplier(store, -1, 2));
    EXPECT_FALSE(SaveMultiplier(store, 0, std::nan("")));

    const auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 143);
    EXPECT_EQ(keys.value("Multiplier2"), "1.5");
    EXPECT_EQ(keys.value("Multiplier7"), "1");
    EXPECT_EQ(keys.value("Multiplier0"), "1.0");
}
