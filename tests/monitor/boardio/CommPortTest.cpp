// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The serial port control on real pseudo-terminals: which device a port number opens,
// what a bad settings string or a missing device says, and what a vanished board does.
#include "CommPort.h"
#include "Eventually.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using tovana::CommPort;

namespace {

constexpr int kTimeoutMs = 10000;

class CommPortTest : public ::testing::Test {
protected:
    TempConfigHome home;
    PtyBoard board;
    CommPort port;

    void SetUp() override
    {
        ASSERT_TRUE(board.isOpen());
        ASSERT_TRUE(board.linkAs(3));
        port.setPortNumber(3);
    }
};

TEST_F(CommPortTest, PortNumberOpensItsLinkOrTheSerialDevice)
{
    EXPECT_EQ(CommPort::deviceFor(3), board.slavePath());
    EXPECT_EQ(CommPort::deviceFor(2), "/dev/ttyS1");
}

TEST_F(CommPortTest, OpeningAMissingPortFailsWithAMessage)
{
    port.setPortNumber(200);
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.errorString(), "/dev/ttyS199: No such file or directory.") << "the device and the system's reason";
}

TEST_F(CommPortTest, LinkToAVanishedDeviceFailsNamingThatDevice)
{
    const QString gone = home.path() + "/unplugged-adapter";
    const QString link = home.path() + "/Tovana2/ports/COM5";
    ASSERT_TRUE(QFile::link(gone, link));
    port.setPortNumber(5);
    EXPECT_FALSE(port.open());
    EXPECT_TRUE(port.errorString().contains(gone)) << port.errorString().toStdString();
}

TEST_F(CommPortTest, BadSettingsStringFailsAtOpenAndLeavesThePortClosed)
{
    port.setSettings("19200,q,8,1");
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.errorString().contains("19200,q,8,1"));
    port.setSettings("9600,N,8,1");
    EXPECT_TRUE(port.open()) << port.errorString().toStdString();
}

TEST_F(CommPortTest, BytesTravelBothWaysAndInputHonoursTheReadLength)
{
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    ASSERT_TRUE(port.output(QByteArray("\x21\x00\x3F", 3)));
    ASSERT_EVENTUALLY_EQ(board.received(), QByteArray("\x21\x00\x3F", 3), kTimeoutMs);

    board.send(QByteArray("\x00\xAB\xCD", 3));
    ASSERT_EVENTUALLY_EQ(port.waitingCount(), 3, kTimeoutMs);
    QByteArray bytes;
    port.setInputLength(1);
    ASSERT_TRUE(port.input(&bytes));
    EXPECT_EQ(bytes, QByteArray(1, '\0'));
    EXPECT_EQ(port.waitingCount(), 2);
    port.setInputLength(0); // everything that waits
    ASSERT_TRUE(port.input(&bytes));
    EXPECT_EQ(bytes, QByteArray("\xAB\xCD", 2));
    ASSERT_TRUE(port.input(&bytes));
    EXPECT_TRUE(bytes.isEmpty());
}

TEST_F(CommPortTest, FullOutputBufferHoldsTheBytesAndKeepsThePortOpen)
{
    ASSERT_TRUE(port.open());
    QSignalSpy failed(&port, &CommPort::portFailed);
    board.setReading(false);
    // Far more than the line's buffers take while nobody reads them.
    QByteArray sent;
    for (int i = 0; i < 64; ++i) {
        const QByteArray chunk(4096, static_cast<char>(i));
        ASSERT_TRUE(port.output(chunk)) << "chunk " << i << ": " << port.errorString().toStdString();
        sent += chunk;
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(failed.count(), 0) << failed.value(0).value(0).toString().toStdString();

    board.setReading(true);
    ASSERT_EVENTUALLY_EQ(board.received().size(), sent.size(), kTimeoutMs);
    EXPECT_EQ(board.received(), sent);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(CommPortTest, ClosedPortRefusesReadsAndWritesWithAMessage)
{
    QByteArray bytes;
    EXPECT_FALSE(port.output("!"));
    EXPECT_TRUE(port.errorString().contains("COM3"));
    EXPECT_FALSE(port.input(&bytes));
    EXPECT_EQ(port.waitingCount(), 0);

    ASSERT_TRUE(port.open());
    EXPECT_FALSE(port.open()) << "a second open of the same control";
    QSignalSpy closed(&port, &CommPort::closed);
    port.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(port.output("!"));
    EXPECT_TRUE(board.received().isEmpty());
}

TEST_F(CommPortTest, PortHeldByAnotherProgramSaysSo)
{
    ASSERT_TRUE(port.open()) << port.errorString().toStdString();
    CommPort second;
    second.setPortNumber(3);
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.errorString(),
              board.slavePath() + ": another program holds COM3; close the port there, or choose another port.");
}

TEST_F(CommPortTest, BoardGoingAwayClosesThePortAndSaysSo)
{
    ASSERT_TRUE(port.open());
    QSignalSpy failed(&port, &CommPort::portFailed);
    board.hangUp();
    ASSERT_EVENTUALLY_EQ(failed.count(), 1, kTimeoutMs);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("COM3"));
    EXPECT_FALSE(port.output("!"));
    // The failure is reported once; a dead line does not keep the loop busy with errors.
    QTest::qWait(100);
    EXPECT_EQ(failed.count(), 1);
}

} // namespace
