// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Relay buttons Command2..Command13: the byte each click sends, the lamp, the full save,
// the restart of the acquisition cycle, and a click that finds the port closed.
#include "BoardScript.h"
#include "MessageBoxes.h"
#include "MonitorFixture.h"
#include "MonitorPanel.h"

#include <QDir>
#include <QPointer>

using namespace tovana;

namespace {

constexpr int kTimeoutMs = 10000;

class Relays : public MonitorFixture {
protected:
    // What the board received besides channel queries (0x00..0x07): the relay commands.
    QByteArray relayBytes() const
    {
        QByteArray commands;
        for (char byte : board.received()) {
            if (static_cast<unsigned char>(byte) > 0x07)
                commands += byte;
        }
        return commands;
    }

    bool clickAndWaitFor(int relay, const QByteArray &expectedCommands)
    {
        QTest::mouseClick(window->relayButton(relay), Qt::LeftButton);
        return QTest::qWaitFor([&] { return relayBytes() == expectedCommands; }, kTimeoutMs);
    }

    bool lampOn(int relay) const { return !window->relayLamp(relay)->isHidden(); }

    BoardScript script{board};
};

} // namespace

TEST_F(Relays, EachButtonSwitchesItsOwnRelayWithItsOwnBytes)
{
    startWith();
    QByteArray sent;
    for (int n = 1; n <= 12; ++n) {
        EXPECT_EQ(window->findChild<QPushButton *>(QString("Command%1").arg(n + 1)), window->relayButton(n));
        sent += char(0x1F + 2 * n);
        ASSERT_TRUE(clickAndWaitFor(n, sent)) << "relay " << n << " on: " << relayBytes().toHex().constData();
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(lampOn(m), m <= n) << "after the click on relay " << n << ", lamp " << m;
    }
    for (int n = 12; n >= 1; --n) {
        sent += char(0x1E + 2 * n);
        ASSERT_TRUE(clickAndWaitFor(n, sent)) << "relay " << n << " off";
        EXPECT_FALSE(lampOn(n));
    }
}

TEST_F(Relays, RelayNineSendsOneThenZeroAndRelayOneSendsBangThenBlank)
{
    startWith();
    ASSERT_TRUE(clickAndWaitFor(9, "1"));
    EXPECT_TRUE(lampOn(9));
    ASSERT_TRUE(clickAndWaitFor(9, "10"));
    EXPECT_FALSE(lampOn(9));
    ASSERT_TRUE(clickAndWaitFor(1, "10!"));
    EXPECT_TRUE(lampOn(1));
    ASSERT_TRUE(clickAndWaitFor(1, "10! "));
    EXPECT_FALSE(lampOn(1));
}

TEST_F(Relays, TwoClicksRestoreTheLampAndTheStoredState)
{
    startWith({{"RelayStatus4", "True"}});
    ASSERT_TRUE(lampOn(4));
    ASSERT_TRUE(clickAndWaitFor(4, "\x26"));
    EXPECT_FALSE(lampOn(4));
    EXPECT_EQ(home.readStore().value("RelayStatus4"), "False");
    ASSERT_TRUE(clickAndWaitFor(4, "\x26\x27"));
    EXPECT_TRUE(lampOn(4));
    EXPECT_EQ(home.readStore().value("RelayStatus4"), "True");
}

TEST_F(Relays, EveryClickWritesTheWholeSettingsFile)
{
    startWith({{"Relay6", "Preamp"}, {"Caption-Gauge3", "SWR"}});
    const QMap<QString, QString> seeded = home.readStore();
    home.writeStore("[StartUp]\nRelay1=Relay1\n"); // the file loses everything else

    ASSERT_TRUE(clickAndWaitFor(6, "\x2B"));
    const QMap<QString, QString> saved = home.readStore();
    for (auto it = seeded.begin(); it != seeded.end(); ++it) {
        if (!it.key().startsWith("Multiplier")) { // not the window's to save
            EXPECT_TRUE(saved.contains(it.key())) << qPrintable(it.key());
        }
    }
    EXPECT_EQ(saved.value("RelayStatus6"), "True");
    EXPECT_EQ(saved.value("Relay6"), "Preamp");
    EXPECT_EQ(saved.value("Caption-Gauge3"), "SWR");
    EXPECT_EQ(saved.value("Meter Response"), "0");

    const TempConfigHome::Stamp before = home.storeStamp();
    ASSERT_TRUE(clickAndWaitFor(6, "\x2B\x2A"));
    EXPECT_NE(home.storeStamp(), before) << "the second click saves again";
    EXPECT_EQ(home.readStore().value("RelayStatus6"), "False");
}

TEST_F(Relays, RelayStoredAsOnShowsGreenWithNothingSentAndItsFirstClickSwitchesItOff)
{
    startWith({{"RelayStatus3", "True"}});
    EXPECT_TRUE(lampOn(3));
    ASSERT_TRUE(script.expect(0x01)) << "the cycle starts";
    QTest::qWait(200);
    EXPECT_TRUE(relayBytes().isEmpty()) << "loading tells the board nothing";

    ASSERT_TRUE(clickAndWaitFor(3, "\x24"));
    EXPECT_FALSE(lampOn(3));
}

TEST_F(Relays, ClickMidCycleSendsItsByteAndRestartsAtChannelOne)
{
    startWith();
    for (int channel = 1; channel <= 4; ++channel)
        ASSERT_TRUE(script.answer(channel, QByteArray(1, char(10 + channel))));
    ASSERT_TRUE(script.expect(5)); // the cycle now waits for channel 5

    QTest::mouseClick(window->relayButton(2), Qt::LeftButton);
    ASSERT_TRUE(script.expect(0x23)) << "the relay byte first";
    ASSERT_TRUE(script.expect(0x01)) << "then a new cycle from channel 1";
    EXPECT_TRUE(lampOn(2));
    EXPECT_TRUE(window->panel()->activityLampA()->isHidden()) << "no display phase for the abandoned cycle";
    EXPECT_EQ(window->gauge(0)->NeedleValue(), 0);

    // The late reply to the channel 5 query comes after the discard read: it is taken
    // for channel 1, and every later reading of this cycle shifts by one channel.
    board.send("\x37"); // 55
    for (int query = 2; query <= 7; ++query)
        ASSERT_TRUE(script.answer(query, QByteArray(1, char(100 + query - 1))));
    // The replies to queries 7 and 8 together: the second is surplus, and the discard read
    // that opens the next cycle takes it up.
    ASSERT_TRUE(script.answer(0, "\x6B\x6C"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->panel()->activityLampA()->isHidden(); }, kTimeoutMs));
    EXPECT_DOUBLE_EQ(window->gauge(0)->NeedleValue(), 55 * 5.0 / 255);
    for (int meter = 1; meter < 8; ++meter)
        EXPECT_DOUBLE_EQ(window->gauge(meter)->NeedleValue(), (100 + meter) * 5.0 / 255) << "meter " << meter;

    ASSERT_TRUE(script.answerCycle({1, 2, 3, 4, 5, 6, 7, 8})) << "the next cycle is in step again";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->panel()->activityLampB()->isHidden(); }, kTimeoutMs));
    for (int meter = 0; meter < 8; ++meter)
        EXPECT_DOUBLE_EQ(window->gauge(meter)->NeedleValue(), (meter + 1) * 5.0 / 255) << "meter " << meter;
}

TEST_F(Relays, ClickOnAClosedPortTellsTheUserAndChangesNothing)
{
    frmMonitor &w = startWith({{"RelayStatus5", "True"}});
    ASSERT_TRUE(script.expect(0x01));
    w.MSComm1()->close(); // as the setup dialog's "Apply" does
    ASSERT_FALSE(w.station().protocol().isRunning());
    const QByteArray sentBefore = board.received();
    const TempConfigHome::Stamp storeBefore = home.storeStamp();

    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(w.relayButton(5), Qt::LeftButton);
        QPointer<QMessageBox> box = MessageBoxes::awaitSaying("Relay5 was not switched: COM1 is not open.");
        ASSERT_NE(box, nullptr) << "click " << click;
        EXPECT_EQ(box->windowTitle(), "Tovana");
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(lampOn(5)) << "the lamp keeps the relay's last state";
        box->button(QMessageBox::Ok)->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !box || !box->isVisible(); }, kTimeoutMs));
    }
    QTest::qWait(100);
    EXPECT_EQ(board.received(), sentBefore) << "nothing was sent";
    EXPECT_EQ(home.storeStamp(), storeBefore) << "nothing changed, nothing saved";
    EXPECT_FALSE(w.MSComm1()->isOpen());
    EXPECT_FALSE(w.station().protocol().isRunning()) << "no cycle on a closed port";
}

TEST_F(Relays, ClickAfterTheActivationCouldNotOpenThePortTellsTheUser)
{
    frmMonitor &w = startWith({{"Meter-ComPort", "998"}});
    QPointer<QMessageBox> opening = MessageBoxes::awaitSaying(
        "COM 998: not available. Check Comm Port setting.\n/dev/ttyS997: No such file or directory.");
    ASSERT_NE(opening, nullptr);
    opening->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opening || !opening->isVisible(); }, kTimeoutMs));

    QTest::mouseClick(w.relayButton(12), Qt::LeftButton);
    EXPECT_NE(MessageBoxes::awaitSaying("Relay12 was not switched: COM998 is not open."), nullptr);
    EXPECT_FALSE(lampOn(12));
    EXPECT_TRUE(board.received().isEmpty());
}
