// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle as a machine: the query order, the discard read, the settle delay
// and the reply patience, fed bytes and timer expiries.
#include "BoardProtocol.h"

#include <gtest/gtest.h>

using namespace tovana::station;
using Kind = LineAction::Kind;

namespace {

std::string written(const BoardProtocol::Result &result)
{
    std::string bytes;
    for (const LineAction &action : result.line)
        if (action.kind == Kind::Write)
            bytes += action.bytes;
    return bytes;
}

bool has(const BoardProtocol::Result &result, Kind kind, int amount = -1)
{
    for (const LineAction &action : result.line)
        if (action.kind == kind && (amount < 0 || action.amount == amount))
            return true;
    return false;
}

} // namespace

TEST(BoardProtocol, CycleQueriesTheChannelsInOrderAndHandsOverTheEightReadings)
{
    BoardProtocol protocol;
    BoardProtocol::Result started = protocol.restart();
    EXPECT_TRUE(has(started, Kind::DiscardInput));
    EXPECT_EQ(written(started), "\x01");
    std::string queries;
    for (int channel = 1; channel <= 8; ++channel) {
        BoardProtocol::Result step = protocol.bytesReceived(std::string(1, char(10 * channel)));
        queries += written(step);
        if (channel < 8) {
            EXPECT_FALSE(step.readings) << channel;
            continue;
        }
        ASSERT_TRUE(step.readings);
        EXPECT_EQ(*step.readings, (BoardProtocol::Readings{10, 20, 30, 40, 50, 60, 70, 80}));
        EXPECT_TRUE(has(step, Kind::DiscardInput)) << "the next cycle begins with its discard read";
    }
    EXPECT_EQ(queries, std::string("\x02\x03\x04\x05\x06\x07\x00\x01", 8)) << "channel 8 is queried with 0";
}

TEST(BoardProtocol, RestartMidCycleDropsWhatWaitsAndBeginsAtChannelOne)
{
    BoardProtocol protocol;
    protocol.restart();
    protocol.bytesReceived("\x05");
    protocol.bytesReceived("\x06\x07\x08"); // channel 2's reply and a surplus
    const BoardProtocol::Result restarted = protocol.restart();
    EXPECT_TRUE(has(restarted, Kind::DiscardInput));
    EXPECT_EQ(written(restarted), "\x01");
    EXPECT_EQ(protocol.channel(), 1);
    EXPECT_FALSE(protocol.bytesReceived({}).readings);
    protocol.bytesReceived("\x09");
    EXPECT_EQ(protocol.reading(1), 9) << "not a byte of before the restart";
}

TEST(BoardProtocol, ShortSettleIsSpunOnTheSpotAndALongOneWaitsForItsTimer)
{
    BoardProtocol protocol;
    protocol.setSettleDelay(150);
    protocol.restart();
    const BoardProtocol::Result spun = protocol.bytesReceived("\x01");
    EXPECT_TRUE(has(spun, Kind::SpinSettle, 150));
    EXPECT_EQ(written(spun), "\x02");

    protocol.setSettleDelay(40000);
    EXPECT_EQ(protocol.settleDelay(), BoardProtocol::kMaxSettleMicros);
    const BoardProtocol::Result waiting = protocol.bytesReceived("\x02");
    EXPECT_TRUE(has(waiting, Kind::StartSettleTimer, 33));
    EXPECT_EQ(written(waiting), "") << "nothing is read before the settle delay";
    protocol.bytesReceived("\x99"); // comes during the delay; the read takes one byte
    EXPECT_EQ(written(protocol.settleElapsed()), "\x03");
    EXPECT_EQ(protocol.reading(2), 2);
}

TEST(BoardProtocol, SilentBoardMakesTheReplyOverdueUntilItAnswers)
{
    BoardProtocol protocol;
    EXPECT_TRUE(has(protocol.restart(), Kind::StartReplyTimer));
    const BoardProtocol::Result silent = protocol.replyTimeout();
    ASSERT_TRUE(silent.overdue);
    EXPECT_TRUE(*silent.overdue);
    EXPECT_FALSE(protocol.replyTimeout().overdue) << "told once";
    const BoardProtocol::Result answered = protocol.bytesReceived("\x01");
    ASSERT_TRUE(answered.overdue);
    EXPECT_FALSE(*answered.overdue);
    EXPECT_TRUE(has(answered, Kind::StopReplyTimer));

    protocol.stop();
    EXPECT_FALSE(protocol.isRunning());
    EXPECT_TRUE(protocol.bytesReceived("\x01").line.empty()) << "a stopped cycle takes nothing";
}

// A reply still on its way when a click restarts the cycle cannot be told from channel 1's:
// it is read as channel 1's, and a doubled reply as the next channel's reading.
TEST(BoardProtocol, LateAndDoubledRepliesShiftTheReadingsAsOnTheLine)
{
    BoardProtocol protocol;
    protocol.restart();
    protocol.bytesReceived("\x11");
    protocol.restart();             // channel 2's query is out, its reply not yet in
    protocol.bytesReceived("\x22"); // channel 2's late reply
    EXPECT_EQ(protocol.reading(1), 0x22);
    protocol.bytesReceived(std::string("\x01\x02", 2)); // channel 2's reply, and a second one
    EXPECT_EQ(protocol.reading(2), 0x01);
    EXPECT_EQ(protocol.reading(3), 0x02) << "the doubled byte answers channel 3 as soon as it is asked";
    EXPECT_EQ(protocol.channel(), 4);
}
