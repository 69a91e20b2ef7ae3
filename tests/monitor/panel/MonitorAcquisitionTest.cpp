// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The main window's acquisition: readings on the gauges, the activity lamps, the response
// setting, re-activation, and a board that goes away under the running cycle.
#include "BoardScript.h"
#include "Eventually.h"
#include "BoardSimProcess.h"
#include "MessageBoxes.h"
#include "MonitorFixture.h"
#include "MonitorPanel.h"
#include "StationHost.h"

#include <QLabel>

using namespace tovana;

namespace {

constexpr int kTimeoutMs = 10000;

class Acquisition : public MonitorFixture {
protected:
    bool lampA() const { return !window->panel()->activityLampA()->isHidden(); }
    bool lampB() const { return !window->panel()->activityLampB()->isHidden(); }

    QList<double> needles() const
    {
        QList<double> values;
        for (int i = 0; i < 8; ++i)
            values << window->gauge(i)->NeedleValue();
        return values;
    }

    BoardScript script{board};
};

} // namespace

TEST_F(Acquisition, ReadingsShowOnTheirOwnGaugesWithEachMetersScale)
{
    startWith({{"ScaleMin-Gauge2", "-10"},
               {"ScaleMax-Gauge2", "10"},
               {"Multiplier2", "2"},
               {"ScaleMin-Gauge5", "1"},
               {"ScaleMax-Gauge5", "3"},
               {"Multiplier5", "0"},
               {"ScaleMin-Gauge7", "100"},
               {"ScaleMax-Gauge7", "0"}});
    const std::array<int, 8> readings = {23, 43, 63, 0, 255, 123, 143, 51};
    ASSERT_TRUE(script.answerCycle(readings));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs)) << "the display phase never came";

    // scale minimum + reading x multiplier x span / 255
    EXPECT_DOUBLE_EQ(window->gauge(0)->NeedleValue(), 23 * 5.0 / 255);
    EXPECT_DOUBLE_EQ(window->gauge(1)->NeedleValue(), 43 * 5.0 / 255);
    EXPECT_NEAR(window->gauge(2)->NeedleValue(), -10 + 63 * 2 * 20.0 / 255, 1e-9) << "meter 2: -10..10, x2";
    EXPECT_DOUBLE_EQ(window->gauge(3)->NeedleValue(), 0) << "a reply 0x00 is a reading of 0";
    EXPECT_DOUBLE_EQ(window->gauge(4)->NeedleValue(), 5) << "255 is the scale maximum";
    EXPECT_DOUBLE_EQ(window->gauge(5)->NeedleValue(), 1) << "a zero multiplier shows the scale minimum";
    EXPECT_DOUBLE_EQ(window->gauge(6)->NeedleValue(), 143 * 5.0 / 255);
    EXPECT_NEAR(window->gauge(7)->NeedleValue(), 100 - 51 * 100.0 / 255, 1e-9) << "a falling scale";
}

TEST_F(Acquisition, GaugesAndLampsChangeOnlyAfterACompleteReadPhase)
{
    startWith();
    EXPECT_FALSE(lampA());
    EXPECT_FALSE(lampB());
    for (int channel = 1; channel <= 7; ++channel)
        ASSERT_TRUE(script.answer(channel, QByteArray(1, '\xFF')));
    ASSERT_TRUE(script.expect(0x00)) << "channel 8 is queried with 0";
    QTest::qWait(200);
    EXPECT_EQ(needles(), QList<double>(8, 0)) << "seven readings are not shown yet";
    EXPECT_FALSE(lampA());
    EXPECT_FALSE(lampB());

    board.send(QByteArray(1, '\xFF'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs));
    EXPECT_FALSE(lampB());
    EXPECT_EQ(needles(), QList<double>(8, 5)) << "all eight gauges together";

    ASSERT_TRUE(script.answerCycle({51, 51, 51, 51, 51, 51, 51, 51}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampB(); }, kTimeoutMs));
    EXPECT_FALSE(lampA()) << "the lamps light in turn";
    EXPECT_EQ(needles(), QList<double>(8, 1));

    // The board falls silent at channel 1: everything stays as it was.
    ASSERT_TRUE(script.expect(0x01));
    QTest::qWait(300);
    EXPECT_TRUE(script.unread().isEmpty()) << "no further query without a reply";
    EXPECT_TRUE(lampB());
    EXPECT_FALSE(lampA());
    EXPECT_EQ(needles(), QList<double>(8, 1));
    EXPECT_TRUE(window->station().protocol().isRunning()) << "a silent board does not end the cycle";
}

TEST_F(Acquisition, LampsKeepAlternatingWhileTheWindowIsHidden)
{
    startWith();
    ASSERT_TRUE(script.answerCycle({1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs));

    window->hide(); // as behind the setup dialog: acquisition goes on
    ASSERT_TRUE(script.answerCycle({1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampB(); }, kTimeoutMs));
    EXPECT_FALSE(lampA());
    ASSERT_TRUE(script.answerCycle({255, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs));
    EXPECT_FALSE(lampB());
    EXPECT_DOUBLE_EQ(window->gauge(0)->NeedleValue(), 5) << "the gauges follow while hidden";
}

TEST_F(Acquisition, SilentBoardIsToldBesideComPortUntilItAnswersAgain)
{
    frmMonitor &w = startWith();
    QLabel *notice = find<QLabel>("Label3");
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(script.answerCycle({51, 51, 51, 51, 51, 51, 51, 51}));
    ASSERT_TRUE(script.answer(1, "\x40"));
    ASSERT_TRUE(script.expect(2)); // and the board falls silent

    ASSERT_EVENTUALLY(!notice->isHidden(), kTimeoutMs);
    EXPECT_EQ(notice->text(), "No reply from the board");
    EXPECT_GT(notice->x(), 0);
    EXPECT_EQ(notice->geometry().right() < find("Label1")->x(), true) << "beside \"Com Port\"";
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(w.gauge(i)->noReading()) << i;
    EXPECT_TRUE(script.unread().isEmpty()) << "the cycle goes on waiting and asks nothing more";

    board.send("\x80");
    ASSERT_EVENTUALLY(notice->isHidden(), kTimeoutMs);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(w.gauge(i)->noReading()) << i;
    ASSERT_TRUE(script.expect(3)) << "and goes on where it waited";
}

TEST_F(Acquisition, ResponseSettingReachesTheRunningCycle)
{
    writeStore({{"Meter Response", "150"}});
    frmMonitor &w = start();
    EXPECT_EQ(w.station().protocol().settleDelay(), 150) << "the stored response";
    ASSERT_TRUE(script.answer(1, "\x10"));

    w.setupForm()->setResponse(0); // the setup dialog's slider
    EXPECT_EQ(w.station().meterResponse(), 0);
    EXPECT_EQ(w.station().protocol().settleDelay(), 0);
    EXPECT_TRUE(w.station().protocol().isRunning()) << "the cycle goes on with the new delay";
    for (int channel = 2; channel <= 8; ++channel)
        ASSERT_TRUE(script.answer(channel % 8, "\x10"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs));

    w.setupForm()->setResponse(32767);
    EXPECT_EQ(w.station().protocol().settleDelay(), 32767);
    w.relayButton(1)->click(); // a restart keeps the setting
    EXPECT_EQ(w.station().protocol().settleDelay(), 32767);
}

TEST_F(Acquisition, ShowingTheWindowAgainReplacesTheRunningCycle)
{
    startWith();
    ASSERT_TRUE(script.answer(1, "\x40"));
    ASSERT_TRUE(script.answer(2, "\x40"));
    ASSERT_TRUE(script.expect(3));

    window->hide();
    window->show(); // as when the setup dialog or the about box closes
    ASSERT_TRUE(window->MSComm1()->isOpen());
    ASSERT_TRUE(script.expectBytes(panelStartState(*window))) << "the port opened again gets the panel's state";
    ASSERT_TRUE(script.answerCycle({1, 2, 3, 4, 5, 6, 7, 8})) << "a new cycle from channel 1";
    ASSERT_TRUE(QTest::qWaitFor([&] { return lampA(); }, kTimeoutMs));
    ASSERT_TRUE(script.expect(1));
    QTest::qWait(300);
    EXPECT_TRUE(script.unread().isEmpty()) << "one cycle only: " << script.unread().toHex().constData();
    EXPECT_FALSE(lampB()) << "the lamps changed once for one completed cycle";
    EXPECT_DOUBLE_EQ(window->gauge(1)->NeedleValue(), 2 * 5.0 / 255);
}

TEST_F(Acquisition, BoardPulledAwayIsToldAndItsLastReadingsNoLongerLookLive)
{
    frmMonitor &w = startWith();
    ASSERT_TRUE(script.answerCycle({255, 255, 255, 255, 255, 255, 255, 255}));
    ASSERT_TRUE(script.answer(1, QByteArray(1, '\0')));
    ASSERT_TRUE(script.expect(2));

    board.hangUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.MSComm1()->isOpen(); }, kTimeoutMs));
    EXPECT_FALSE(w.station().protocol().isRunning());
    EXPECT_EQ(MessageBoxes::mentioning("COM"), 0) << "no box: the panel says it";
    const QLabel *notice = find<QLabel>("Label3");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "The board is gone");
    EXPECT_TRUE(notice->toolTip().startsWith("COM1 failed: ")) << qPrintable(notice->toolTip());
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(w.gauge(i)->noReading()) << "gauge " << i;

    w.relayButton(1)->click();
    EXPECT_NE(MessageBoxes::saying("Relay1 was not switched: COM1 is not open."), nullptr)
        << "the window still answers a click";
    EXPECT_TRUE(w.relayLamp(1)->isHidden());
}

TEST_F(Acquisition, SimulatorStoppedAndStartedAgainOnItsLinkIsTakenUpByItself)
{
    const QStringList options{"--port", "2", "--baud", "19200", "--channel", "1=const:255", "--channel", "8=const:0"};
    auto sim = std::make_unique<BoardSimProcess>(options);
    ASSERT_TRUE(sim->waitUntilReady());
    writeStore({{"Meter-ComPort", "2"}, {"Meter Response", "0"}});
    window = std::make_unique<tovana::frmMonitor>(bus.address());
    frmMonitor &w = *window;
    w.show();
    ASSERT_TRUE(w.MSComm1()->isOpen()) << qPrintable(w.MSComm1()->errorString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.gauge(0)->NeedleValue() == 5; }, kTimeoutMs));
    EXPECT_DOUBLE_EQ(w.gauge(7)->NeedleValue(), 0);
    EXPECT_DOUBLE_EQ(w.gauge(2)->NeedleValue(), 48 * 5.0 / 255) << "the simulator's default for channel 3";

    w.relayButton(2)->click();
    EXPECT_TRUE(sim->waitForLine("relay 2 on"));

    EXPECT_EQ(sim->terminate(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.MSComm1()->isOpen(); }, kTimeoutMs)) << "no hang on a vanished line";
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.gauge(0)->noReading(); }, kTimeoutMs));
    EXPECT_EQ(MessageBoxes::mentioning("COM"), 0);

    // A new board on the same link: the port opens again, the relay it lost is switched on
    // again, and the readings are live once more.
    sim = std::make_unique<BoardSimProcess>(options);
    ASSERT_TRUE(sim->waitUntilReady());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.gauge(0)->noReading(); }, kTimeoutMs));
    EXPECT_TRUE(sim->waitForLine("relay 2 on")) << "the panel's relays go to the board that came back";
    EXPECT_TRUE(w.MSComm1()->isOpen());
    EXPECT_EQ(w.gauge(0)->NeedleValue(), 5);
    EXPECT_FALSE(find<QLabel>("Label3")->isVisible());
}

TEST_F(Acquisition, BoardMissingAtStartIsToldOnceAndTakenUpWhenItAppears)
{
    // Port 99: no link to a board yet, and no /dev/ttyS98 to fall back on.
    writeStore({{"Meter-ComPort", "99"}, {"Meter Response", "0"}});
    window = std::make_unique<tovana::frmMonitor>(bus.address());
    frmMonitor &w = *window;
    w.show();
    QMessageBox *box = MessageBoxes::awaitSaying(
        "COM 99: not available. Check Comm Port setting.\n/dev/ttyS98: No such file or directory.", kTimeoutMs);
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Ok)->click();
    QTest::qWait(2 * tovana::StationHost::kReopenMs + 500); // a try or two while it is still missing

    BoardSimProcess sim({"--port", "99", "--baud", "19200", "--channel", "1=const:255"});
    ASSERT_TRUE(sim.waitUntilReady());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.gauge(0)->NeedleValue() == 5; }, kTimeoutMs))
        << "the board plugged in later is read without a click";
    EXPECT_TRUE(w.MSComm1()->isOpen());
    EXPECT_EQ(MessageBoxes::mentioning("COM"), 0) << "the tries in between say nothing";
}
