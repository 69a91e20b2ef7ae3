// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle against a board played by the test (exact bytes and order) and
// against tovana-boardsim (a whole line end to end).
#include "AcquisitionCycle.h"
#include "BoardSimProcess.h"
#include "CommPort.h"
#include "Eventually.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "WireFormat.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using tovana::AcquisitionCycle;
using tovana::CommPort;

namespace {

constexpr int kTimeoutMs = 10000;
const QByteArray kOneCycle("\x01\x02\x03\x04\x05\x06\x07\x00", 8);

QList<int> readingsOf(const QSignalSpy &spy, qsizetype index)
{
    return spy.at(index).at(0).value<QList<int>>();
}

class AcquisitionCycleTest : public ::testing::Test {
protected:
    TempConfigHome home;
    PtyBoard board;
    CommPort port;
    AcquisitionCycle cycle{&port};
    QSignalSpy display{&cycle, &AcquisitionCycle::displayPhase};
    QSignalSpy lamps{&cycle, &AcquisitionCycle::lampsToggled};
    QSignalSpy ended{&cycle, &AcquisitionCycle::ended};

    void SetUp() override
    {
        ASSERT_TRUE(board.isOpen());
        ASSERT_TRUE(board.linkAs(1));
        port.setPortNumber(1);
        ASSERT_TRUE(port.open()) << port.errorString().toStdString();
        port.setInputLength(1);
        cycle.setSettleDelay(0);
    }

    // Answers every query with 0xA0 + channel, as a well-behaved board.
    void answerEveryQuery()
    {
        board.setAnswer([](char query) {
            const int channel = query == 0 ? 8 : query;
            return query <= 7 ? QByteArray(1, static_cast<char>(0xA0 + channel)) : QByteArray();
        });
    }
};

TEST_F(AcquisitionCycleTest, QueriesChannelsOneToEightEachOnlyAfterThePreviousReply)
{
    cycle.PollMeters();
    for (int i = 0; i < kOneCycle.size(); ++i) {
        ASSERT_EVENTUALLY_EQ(board.received(), kOneCycle.left(i + 1), kTimeoutMs);
        QTest::qWait(30);  // time enough for a wrongly eager next query to show up
        ASSERT_EQ(board.received(), kOneCycle.left(i + 1)) << "sent before the reply to query " << i + 1;
        EXPECT_EQ(display.count(), 0);
        board.send(QByteArray(1, static_cast<char>(i)));
    }
    ASSERT_EVENTUALLY_EQ(display.count(), 1, kTimeoutMs);
    ASSERT_EVENTUALLY_EQ(board.received(), kOneCycle + QByteArray("\x01", 1), kTimeoutMs);
    EXPECT_EQ(cycle.channel(), 1);
}

TEST_F(AcquisitionCycleTest, ReadingsLandInTheirChannelsSlotsAndZeroIsAReading)
{
    answerEveryQuery();
    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 1, kTimeoutMs);
    EXPECT_EQ(readingsOf(display, 0), (QList<int>{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8}));
    EXPECT_EQ(cycle.reading(8), 0xA8);
    EXPECT_EQ(cycle.reading(0), 0);
    EXPECT_EQ(cycle.reading(9), 0);

    // Channel 3 now reads 0: a real reading, not a missing reply that keeps 0xA3.
    board.setAnswer([](char query) {
        return query == 3 ? QByteArray(1, '\0') : QByteArray(1, static_cast<char>(0x10 + (query == 0 ? 8 : query)));
    });
    const qsizetype seen = display.count();
    ASSERT_EVENTUALLY(display.count() >= seen + 2, kTimeoutMs);
    EXPECT_EQ(readingsOf(display, display.count() - 1), (QList<int>{0x11, 0x12, 0, 0x14, 0x15, 0x16, 0x17, 0x18}));
    EXPECT_EQ(cycle.reading(3), 0);
}

TEST_F(AcquisitionCycleTest, DisplayAndLampsWaitForACompleteReadPhase)
{
    cycle.PollMeters();
    for (int i = 0; i < 7; ++i) {
        ASSERT_EVENTUALLY_EQ(board.received().size(), i + 1, kTimeoutMs);
        board.send(QByteArray(1, static_cast<char>(0x40 + i)));
    }
    // The board falls silent at channel 8: the gauges and lamps stay as they were.
    ASSERT_EVENTUALLY_EQ(board.received(), kOneCycle, kTimeoutMs);
    QTest::qWait(100);
    EXPECT_EQ(display.count(), 0);
    EXPECT_EQ(lamps.count(), 0);
    EXPECT_TRUE(cycle.isRunning());
    EXPECT_EQ(cycle.channel(), 8);

    board.send(QByteArray(1, '\x47'));
    ASSERT_EVENTUALLY_EQ(lamps.count(), 1, kTimeoutMs);
    EXPECT_EQ(display.count(), 1);
    EXPECT_EQ(readingsOf(display, 0), (QList<int>{0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47}));
}

TEST_F(AcquisitionCycleTest, RelayCommandMidCycleRestartsAtChannelOneAndALateReplyShiftsReadings)
{
    cycle.PollMeters();
    for (int i = 0; i < 4; ++i) {
        ASSERT_EVENTUALLY_EQ(board.received().size(), i + 1, kTimeoutMs);
        board.send(QByteArray(1, static_cast<char>(0x30 + i)));
    }
    ASSERT_EVENTUALLY_EQ(board.received(), kOneCycle.left(5), kTimeoutMs);

    // A relay click while the cycle waits for channel 5: its byte, then a fresh cycle.
    // The channel 5 reply comes late, after the new cycle's discard read.
    bool lateReplySent = false;
    board.setAnswer([&](char query) {
        const int channel = query == 0 ? 8 : query;
        QByteArray reply(1, static_cast<char>(0xB0 + channel));
        if (query == 1 && !lateReplySent) {
            lateReplySent = true;
            reply.prepend('\x55');
        }
        return query <= 7 ? reply : QByteArray();
    });
    ASSERT_TRUE(port.output(QByteArray(1, tovana::relayOnByte(4))));
    cycle.PollMeters();

    ASSERT_EVENTUALLY(display.count() >= 1, kTimeoutMs);
    const QByteArray expectedStart = kOneCycle.left(5) + QByteArray("\x27", 1) + kOneCycle;
    // The surplus reply can complete the cycle before the board has read the last query.
    ASSERT_EVENTUALLY_EQ(board.received().left(expectedStart.size()), expectedStart, kTimeoutMs);
    // The late byte is channel 1's reading; each later channel gets its predecessor's reply.
    EXPECT_EQ(readingsOf(display, 0), (QList<int>{0x55, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7}));
    EXPECT_EQ(ended.count(), 0);
}

TEST_F(AcquisitionCycleTest, RestartDuringTheSettleDelayDiscardsTheReplyAlreadyThere)
{
    cycle.setSettleDelay(AcquisitionCycle::kMaxSettleMicros);
    answerEveryQuery();
    // A relay click handled just after channel 5's reply came in, while the cycle settles.
    bool clicked = false;
    QObject::connect(&port, &CommPort::readyRead, &port, [&] {
        if (!clicked && board.received() == kOneCycle.left(5) && port.waitingCount() == 1) {
            clicked = true;
            ASSERT_TRUE(port.output(QByteArray(1, tovana::relayOffByte(2))));
            cycle.PollMeters();
        }
    });
    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 1, kTimeoutMs);
    ASSERT_TRUE(clicked);
    EXPECT_EQ(board.received().left(14), kOneCycle.left(5) + QByteArray("\x22", 1) + kOneCycle);
    EXPECT_EQ(readingsOf(display, 0), (QList<int>{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8}));
}

TEST_F(AcquisitionCycleTest, DoubledReplyIsTakenAsTheNextChannelsReading)
{
    bool doubled = false;
    board.setAnswer([&](char query) {
        const int channel = query == 0 ? 8 : query;
        QByteArray reply(1, static_cast<char>(0xC0 + channel));
        if (query == 3 && !doubled) {
            doubled = true;
            reply.append('\x99');
        }
        return query <= 7 ? reply : QByteArray();
    });
    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 1, kTimeoutMs);
    EXPECT_EQ(readingsOf(display, 0), (QList<int>{0xC1, 0xC2, 0xC3, 0x99, 0xC4, 0xC5, 0xC6, 0xC7}));
}

TEST_F(AcquisitionCycleTest, BacklogOfSurplusRepliesIsGoneByTheNextCycle)
{
    // One cycle's worth of tripled replies: sixteen surplus bytes, then the board heals. The
    // settle delay waits on a timer, so every reply has come in before the cycle reads on.
    cycle.setSettleDelay(1000);
    int queries = 0;
    board.setAnswer([&](char query) {
        const int channel = query == 0 ? 8 : query;
        const int copies = ++queries <= 8 ? 3 : 1;
        return query <= 7 ? QByteArray(copies, static_cast<char>(0xA0 + channel)) : QByteArray();
    });
    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 2, kTimeoutMs);
    EXPECT_EQ(readingsOf(display, 1), (QList<int>{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8}));
    ASSERT_EVENTUALLY(board.received().size() >= 16, kTimeoutMs);
    EXPECT_EQ(board.received().mid(8, 8), kOneCycle) << "a healthy board still gets one query per reading";
}

TEST_F(AcquisitionCycleTest, RestartsRepeatedlyWithoutNestingOrExtraQueries)
{
    // A storm of restarts while the board is silent: each sends one channel 1 query and
    // leaves one live cycle waiting.
    for (int i = 0; i < 500; ++i)
        cycle.PollMeters();
    ASSERT_EVENTUALLY_EQ(board.received().size(), 500, kTimeoutMs);
    EXPECT_EQ(board.received(), QByteArray(500, '\x01'));
    answerEveryQuery();
    board.send(QByteArray(1, '\x01'));
    ASSERT_EVENTUALLY(display.count() >= 2, kTimeoutMs);
    EXPECT_EQ(ended.count(), 0);
}

TEST_F(AcquisitionCycleTest, BoardGoingAwayEndsTheCycleWithThePortClosed)
{
    cycle.PollMeters();
    ASSERT_EVENTUALLY_EQ(board.received().size(), 1, kTimeoutMs);
    board.hangUp();
    ASSERT_EVENTUALLY_EQ(ended.count(), 1, kTimeoutMs);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(cycle.isRunning());
    EXPECT_FALSE(ended.at(0).at(0).toString().isEmpty());
}

TEST_F(AcquisitionCycleTest, ClosingThePortUnderTheWaitingCycleEndsIt)
{
    cycle.PollMeters();
    ASSERT_EVENTUALLY_EQ(board.received().size(), 1, kTimeoutMs);
    port.close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(cycle.isRunning());
    // A reply arriving now changes nothing.
    board.send(QByteArray(1, '\x42'));
    QTest::qWait(50);
    EXPECT_EQ(cycle.reading(1), 0);

    // Reopened, the next start runs again.
    ASSERT_TRUE(port.open());
    answerEveryQuery();
    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 1, kTimeoutMs);
}

TEST_F(AcquisitionCycleTest, StartingOnAClosedPortEndsAtOnce)
{
    port.close();
    cycle.PollMeters();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(cycle.isRunning());
    EXPECT_TRUE(board.received().isEmpty());
}

TEST_F(AcquisitionCycleTest, SettleDelayCountsAreClampedToTheResponseRange)
{
    cycle.setSettleDelay(-1);
    EXPECT_EQ(cycle.settleDelay(), 0);
    cycle.setSettleDelay(40000);
    EXPECT_EQ(cycle.settleDelay(), AcquisitionCycle::kMaxSettleMicros);
}

// End to end with the simulated board, across the settle delays the response slider gives.
class AcquisitionWithSimulatorTest : public ::testing::TestWithParam<int> {
protected:
    TempConfigHome home;
};

TEST_P(AcquisitionWithSimulatorTest, CompletesCyclesWithTheBoardsReadings)
{
    BoardSimProcess sim({"--port", "2", "--baud", "19200", "--channel", "3=const:0", "--channel", "6=const:250"});
    ASSERT_TRUE(sim.waitUntilReady());
    CommPort port;
    port.setPortNumber(2);
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    port.setInputLength(1);
    AcquisitionCycle cycle(&port);
    cycle.setSettleDelay(GetParam());
    QSignalSpy display(&cycle, &AcquisitionCycle::displayPhase);
    QSignalSpy lamps(&cycle, &AcquisitionCycle::lampsToggled);

    cycle.PollMeters();
    ASSERT_EVENTUALLY(display.count() >= 3, kTimeoutMs);
    EXPECT_EQ(readingsOf(display, 2), (QList<int>{16, 32, 0, 64, 80, 250, 112, 128}));
    EXPECT_GE(lamps.count(), 3);

    // The simulator goes away under the running cycle: it ends, nothing hangs.
    QSignalSpy ended(&cycle, &AcquisitionCycle::ended);
    EXPECT_EQ(sim.terminate(), 0);
    ASSERT_EVENTUALLY_EQ(ended.count(), 1, kTimeoutMs);
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(SettleDelays, AcquisitionWithSimulatorTest, ::testing::Values(0, 150, 5000, 32767));

} // namespace
