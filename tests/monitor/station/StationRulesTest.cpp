// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's rules: what each operation puts on the line and in what order, what it
// saves, and what it refuses. Relay n's bytes are 0x1E + 2n (off) and 0x1F + 2n (on); a
// band's code goes to relays 13..16, so 20 m is 39 3A 3D 3E.
#include "MemoryStore.h"
#include "Settings.h"
#include "Station.h"

#include <gtest/gtest.h>

using namespace tovana::station;

namespace {

const std::string k20 = "\x39\x3A\x3D\x3E";
const std::string k40 = "\x39\x3B\x3C\x3E";
const std::string k10 = "\x39\x3A\x3C\x3F";

// The bytes an outcome writes, in order.
std::string written(const Outcome &outcome)
{
    std::string bytes;
    for (const LineAction &action : outcome.line)
        if (action.kind == LineAction::Kind::Write)
            bytes += action.bytes;
    return bytes;
}

bool discardsInput(const Outcome &outcome)
{
    for (const LineAction &action : outcome.line)
        if (action.kind == LineAction::Kind::DiscardInput)
            return true;
    return false;
}

// A station loaded from these preferences, its port open and its start state taken.
Station &opened(Station &station, Preferences prefs = {})
{
    prefs.meterResponse = 0;
    for (int n = 1; n <= kRelayCount; ++n)
        prefs.relays[n - 1].label = "Relay" + std::to_string(n);
    MemoryStore store;
    station.load(prefs, GetMultiplier(store, prefs.meters));
    station.portOpened();
    return station;
}

} // namespace

TEST(StationRules, OpeningThePortGivesTheBoardThePanelsRelaysAndBandThenStartsTheCycle)
{
    Preferences prefs;
    prefs.relays[1].status = true;
    prefs.bandStatus[4] = true; // 20 m
    prefs.meterResponse = 0;
    Station station;
    MemoryStore store;
    station.load(prefs, GetMultiplier(store, prefs.meters));
    const Outcome outcome = station.portOpened();
    EXPECT_EQ(written(outcome), std::string("\x20\x23\x24\x26\x28\x2A\x2C\x2E\x30\x32\x34\x36") + k20 + "\x01");
    EXPECT_TRUE(discardsInput(outcome));
    EXPECT_EQ(station.bandCode(), "1010");
}

TEST(StationRules, RelayClickSendsItsByteSavesAndRestartsTheCycleAtChannelOne)
{
    Station station;
    opened(station);
    station.bytesReceived("\x10");
    station.bytesReceived("\x11"); // the cycle waits for channel 3 now
    ASSERT_EQ(station.protocol().channel(), 3);

    const Outcome outcome = station.switchRelay(5);
    EXPECT_EQ(written(outcome), "\x29\x01") << "the relay's byte, then channel 1 anew";
    EXPECT_TRUE(discardsInput(outcome));
    EXPECT_TRUE(outcome.save);
    EXPECT_TRUE(station.relay(5).status);
    EXPECT_EQ(written(station.switchRelay(5)), "\x28\x01");

    station.portClosed(false);
    const Outcome refused = station.switchRelay(5);
    EXPECT_EQ(refused.refusal, "Relay5 was not switched: COM1 is not open.");
    EXPECT_TRUE(refused.line.empty());
    EXPECT_FALSE(refused.save);
    EXPECT_FALSE(station.relay(5).status) << "a closed port changes nothing";
}

TEST(StationRules, FollowingTakesTheLinksBandOnceAndTheTenthSharesTheNinth)
{
    Station station;
    opened(station);
    EXPECT_EQ(written(station.linkBand(5)), "") << "not while following is off";
    station.setFollowing(true);
    const Outcome followed = station.linkBand(5);
    EXPECT_EQ(written(followed), k20);
    EXPECT_FALSE(followed.save) << "a followed band is stored with the next full save";
    EXPECT_FALSE(discardsInput(followed)) << "the cycle goes on";
    EXPECT_EQ(station.bandCode(), "1010");
    EXPECT_EQ(written(station.linkBand(5)), "") << "the band shown already";
    EXPECT_EQ(written(station.linkBand(10)), k10);
    EXPECT_TRUE(station.bandShown(9));
    EXPECT_EQ(written(station.linkBand(0)), "");
    EXPECT_EQ(written(station.linkBand(11)), "");

    const Outcome chosen = station.chooseBand(3);
    EXPECT_FALSE(station.following()) << "a band chosen by hand ends following";
    EXPECT_EQ(written(chosen), k40 + "\x01");
    EXPECT_TRUE(chosen.save);
}

TEST(StationRules, TheHoldKeepsTheBandRelaysWhileTransmittingAndSendsTheCodeOnReceive)
{
    Station station;
    opened(station);
    station.setHoldWhileTx(true);
    station.setFollowing(true);
    station.linkPtt(1);
    ASSERT_TRUE(station.holds());
    EXPECT_EQ(written(station.linkBand(3)), "") << "nothing goes out under transmit";
    EXPECT_TRUE(station.bandShown(3)) << "the wanted band is shown";
    EXPECT_TRUE(station.codePending());
    EXPECT_EQ(written(station.tick()), "");

    const Outcome refused = station.chooseBand(5);
    EXPECT_EQ(refused.refusal, "The band relays are held while the radio transmits.");
    EXPECT_FALSE(refused.save);
    EXPECT_TRUE(station.bandShown(3));

    EXPECT_EQ(written(station.linkPtt(0)), k40) << "released: the code goes out at once, once";
    EXPECT_EQ(written(station.tick()), "");

    station.linkPtt(7);
    EXPECT_TRUE(station.holds()) << "any value but 0 may be a transmitter keyed";
    station.linkBand(5);
    EXPECT_EQ(written(station.setLinkAway(true)), k20) << "with PTT unknown nothing is held";
    EXPECT_EQ(station.tx(), Tx::Unknown);
}

TEST(StationRules, BandChosenWithThePortClosedIsSavedAndGoesOutOnceThePortOpens)
{
    Station station;
    MemoryStore store;
    Preferences prefs;
    station.load(prefs, GetMultiplier(store, prefs.meters));
    const Outcome chosen = station.chooseBand(4);
    EXPECT_TRUE(chosen.save);
    EXPECT_EQ(chosen.notice, "The band code was not sent: COM1 is not open.");
    EXPECT_EQ(written(chosen), "");
    EXPECT_TRUE(station.codePending());
    const std::string opening = written(station.portOpened());
    EXPECT_EQ(opening.substr(12, 4), "\x38\x3A\x3D\x3E") << "30 m, after the relays";
    EXPECT_FALSE(station.codePending());
}
