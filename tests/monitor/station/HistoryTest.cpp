// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The readings' history: one summary a second, gaps left as gaps, and a ring that keeps
// the last 24 hours in the memory it took at the start.
#include "History.h"

#include <gtest/gtest.h>

using namespace tovana::station;

namespace {

std::array<double, kMeterCount> all(double value)
{
    std::array<double, kMeterCount> readings;
    readings.fill(value);
    return readings;
}

constexpr std::int64_t kStart = 1'700'000'000'000; // ms, on a whole second

} // namespace

TEST(History, SummarisesEachSecondLeavesGapsAndKeepsOnlyTheLastDayInFixedMemory)
{
    History history;
    history.add(kStart + 100, all(1));
    history.add(kStart + 500, all(2));
    history.add(kStart + 900, all(6));
    history.add(kStart + 3000, all(4)); // second 1 and 2 had no reading
    history.add(kStart + 4000, all(0)); // closes second 3
    const std::vector<SecondSummary> seconds = history.since(3, 0);
    ASSERT_EQ(seconds.size(), 2u);
    EXPECT_EQ(seconds[0].second, kStart / 1000);
    EXPECT_EQ(seconds[0].min, 1);
    EXPECT_EQ(seconds[0].mean, 3);
    EXPECT_EQ(seconds[0].max, 6);
    EXPECT_EQ(seconds[1].second, kStart / 1000 + 3);
    EXPECT_EQ(history.since(3, kStart / 1000 + 1).size(), 1u);

    const std::size_t memory = history.memoryBytes();
    EXPECT_LT(memory, 10u << 20);
    for (std::int64_t s = 5; s < History::kSeconds + 100; ++s)
        history.add(kStart + s * 1000, all(double(s)));
    EXPECT_EQ(history.memoryBytes(), memory) << "a day and more takes no more room";
    const std::vector<SecondSummary> day = history.since(0, 0);
    ASSERT_EQ(day.size(), std::size_t(History::kSeconds));
    EXPECT_EQ(day.front().second, kStart / 1000 + 99) << "the oldest are overwritten";
    EXPECT_EQ(day.back().mean, float(History::kSeconds + 98));
}
