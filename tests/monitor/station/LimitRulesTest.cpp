// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Limits in the station core: counting readings in a row, the trip's bytes ahead of the next
// query, the latch and its acknowledgement; and the [Limits] section, kept apart from
// [StartUp], read without harm when edited into nonsense.
#include "KeyCatalogue.h"
#include "LimitSettings.h"
#include "MemoryStore.h"
#include "Settings.h"
#include "Station.h"

#include <gtest/gtest.h>

using namespace tovana::station;

namespace {

// Meter 0 reads raw / 255 * 5 (scale 0..5, multiplier 1).
struct LimitStation {
    LimitStation()
    {
        Preferences prefs;
        prefs.meterResponse = 0;
        for (int n = 1; n <= kRelayCount; ++n)
            prefs.relays[n - 1].label = "Relay" + std::to_string(n);
        prefs.relays[0].label = "PA POWER";
        prefs.relays[0].status = true;
        prefs.meters[0].caption = "SWR";
        MemoryStore store;
        store.values[{kStartUpSection, "Multiplier0"}] = "1";
        station.load(prefs, GetMultiplier(store, prefs.meters));
        station.setClock([this] { return now; });
        station.portOpened();
        LimitConfig swr;
        swr.kind = LimitKind::Above;
        swr.value = 3;
        swr.action[0] = RelayMove::Off; // PA POWER
        swr.action[1] = RelayMove::On;  // TX INHIBIT
        station.setLimit(0, swr);
    }
    // One cycle with channel 1 at `raw`, every other channel 0.
    Outcome cycle(int raw)
    {
        Outcome last;
        for (int channel = 0; channel < kChannelCount; ++channel)
            last = station.bytesReceived(std::string(1, char(channel == 0 ? raw : 0)));
        return last;
    }
    Station station;
    std::int64_t now = 1'700'000'000'000;
};

std::string written(const Outcome &outcome)
{
    std::string bytes;
    for (const LineAction &action : outcome.line)
        if (action.kind == LineAction::Kind::Write)
            bytes += action.bytes;
    return bytes;
}

constexpr int kBeyond = 200; // 3.92
constexpr int kWithin = 100; // 1.96

} // namespace

TEST(LimitRules, TripsOnTheThirdReadingInARowLatchesAndIsAcknowledgedOnlyOnceWithin)
{
    LimitStation s;
    s.cycle(kBeyond);
    s.cycle(kWithin); // one noisy reading starts the count afresh
    s.cycle(kBeyond);
    s.cycle(kBeyond);
    EXPECT_FALSE(s.station.trip(0).latched);
    s.now += 5000;
    const Outcome tripped = s.cycle(kBeyond);
    ASSERT_TRUE(s.station.trip(0).latched);
    ASSERT_FALSE(tripped.line.empty());
    EXPECT_EQ(tripped.line.front().bytes, "\x20\x23") << "relay 1 off, relay 2 on, ahead of the next query";
    EXPECT_EQ(written(tripped), "\x20\x23\x01");
    EXPECT_TRUE(tripped.save);
    EXPECT_FALSE(s.station.relay(1).status);
    EXPECT_TRUE(s.station.relay(2).status);
    EXPECT_EQ(s.station.lastLimitEvent().kind, LimitEvent::Kind::Tripped);
    EXPECT_EQ(s.station.lastLimitEvent().at, s.now);
    EXPECT_NEAR(s.station.trip(0).reading, 200 * 5 / 255.0, 1e-9);
    EXPECT_EQ(written(s.cycle(kBeyond)), "\x01") << "a latched trip acts once";

    EXPECT_EQ(s.station.acknowledge(0).refusal,
              "SWR is still above 3 (3.922): the trip stays until the reading is back within its limit.");
    s.cycle(kWithin);
    EXPECT_TRUE(s.station.trip(0).latched) << "back within, the trip stays";
    EXPECT_EQ(s.station.switchRelay(1).refusal, "PA POWER is kept by the SWR limit until the trip is acknowledged.");
    EXPECT_EQ(written(s.station.switchRelay(3)).front(), '\x25') << "a relay outside the action is free";

    s.now += 1000;
    EXPECT_EQ(s.station.acknowledge(0).refusal, "");
    EXPECT_FALSE(s.station.trip(0).latched);
    EXPECT_EQ(s.station.lastLimitEvent().kind, LimitEvent::Kind::Acknowledged);
    EXPECT_EQ(s.station.lastLimitEvent().at, s.now);
    EXPECT_EQ(written(s.station.switchRelay(1)).front(), '\x21') << "free again";
}

TEST(LimitRules, PanelLineNamesTheLatestTripAndHowManyMoreWait)
{
    LimitStation s;
    for (int i = 0; i < 3; ++i)
        s.cycle(kBeyond);
    ASSERT_EQ(s.station.latestTrip(), 0);
    EXPECT_EQ(s.station.latestTripLine("16:01:16"), "SWR above 3: 3.92 at 16:01:16");

    LimitConfig low;
    low.kind = LimitKind::Below;
    low.value = 0.25;
    s.station.setLimit(1, low);
    s.now += 1000;
    for (int i = 0; i < 3; ++i)
        s.cycle(kBeyond);
    ASSERT_EQ(s.station.latestTrip(), 1);
    EXPECT_EQ(s.station.latestTripLine("16:01:17"),
              s.station.meter(1).caption + " below 0.25: 0 at 16:01:17 (1 more tripped)");
}

TEST(LimitRules, OnlyWhileTransmittingCountsNothingUnderReceiveAndAsksForTheTransmitState)
{
    LimitStation s;
    LimitConfig limit = s.station.limits()[0];
    limit.onlyWhileTx = true;
    limit.readings = 1;
    EXPECT_FALSE(s.station.wantsTx());
    s.station.setLimit(0, limit);
    EXPECT_TRUE(s.station.wantsTx()) << "the link is to be asked for PTT";
    s.station.linkPtt(0);
    s.cycle(kBeyond);
    EXPECT_FALSE(s.station.trip(0).latched);
    s.station.linkPtt(1);
    EXPECT_FALSE(s.station.holds()) << "the band hold stays off";
    s.cycle(kBeyond);
    EXPECT_TRUE(s.station.trip(0).latched);
}

TEST(LimitSettings, KeptInTheirOwnSectionAndNonsenseLeavesOnlyThatLimitOff)
{
    LimitTable limits;
    limits[0].kind = LimitKind::Above;
    limits[0].value = 2.5;
    limits[0].readings = 4;
    limits[0].onlyWhileTx = true;
    limits[0].action[0] = RelayMove::Off;
    limits[0].action[11] = RelayMove::On;
    limits[6].kind = LimitKind::Below;
    limits[6].value = 11.5;
    MemoryStore store;
    saveLimits(store, limits, ',');
    for (const auto &[where, value] : store.values)
        EXPECT_EQ(where.first, kLimitsSection) << where.second;
    EXPECT_EQ(store.values[std::pair(kLimitsSection, std::string("Value0"))], "2,5");
    EXPECT_EQ(store.values[std::pair(kLimitsSection, std::string("Action0"))], "1=Off 12=On");

    std::vector<std::string> problems;
    const LimitTable read = loadLimits(store, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(read[0].kind, LimitKind::Above);
    EXPECT_EQ(read[0].value, 2.5);
    EXPECT_EQ(read[0].readings, 4);
    EXPECT_TRUE(read[0].onlyWhileTx);
    EXPECT_EQ(read[0].action, limits[0].action);
    EXPECT_EQ(read[6].kind, LimitKind::Below);

    store.values[{kLimitsSection, "Action0"}] = "1=Of";
    store.values[{kLimitsSection, "Limit3"}] = "Sideways";
    const LimitTable mended = loadLimits(store, problems);
    EXPECT_EQ(problems, (std::vector<std::string>{"Action0=1=Of", "Limit3=Sideways"}));
    EXPECT_EQ(mended[0].kind, LimitKind::Off) << "a half-read limit could switch the wrong relay";
    EXPECT_EQ(mended[3].kind, LimitKind::Off);
    EXPECT_EQ(mended[6].kind, LimitKind::Below) << "the others stand";
}
