// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Limits end to end: the board's channel 1 (meter 0, "Volts DC", 0..5 V) moved beyond its
// limit trips after the set number of readings in a row, and the action's relay bytes reach
// the line; the trip stays latched, its relays refuse a click, and the acknowledgement is
// refused while the reading is beyond and accepted once it is back. A limit counted only
// under transmit trips only once the radio publishes PTT 1.
#include "BandFixture.h"
#include "Eventually.h"
#include "AGauge.h"
#include "StationHost.h"
#include "TripBar.h"

#include <deque>

namespace {

const QByteArray kLimit = "[Limits]\nLimit0=Above\nValue0=3\nReadings0=3\nWhileTx0=False\nAction0=1=Off 2=On\n";
const QByteArray kTripBytes = "\x20\x23"; // relay 1 off, relay 2 on
constexpr char kChannel1 = '\x01';
constexpr char kBeyond = char(200); // 3.92 V
constexpr char kWithin = char(100); // 1.96 V

class LimitTrip : public BandFixture {
protected:
    void SetUp() override
    {
        BandFixture::SetUp();
        board.setAnswer([this](char byte) {
            if (byte != kChannel1)
                return byte >= 0 && byte < 8 ? QByteArray(1, '\x40') : QByteArray();
            char value = level;
            if (!script.empty()) {
                value = script.front();
                script.pop_front();
            }
            return QByteArray(1, value);
        });
    }
    // Waits until channel 1 has been asked `count` more times (and so answered).
    ::testing::AssertionResult waitForQueries(int count)
    {
        const qsizetype target = board.received().count(kChannel1) + count;
        if (QTest::qWaitFor([&] { return board.received().count(kChannel1) >= target; }, kWaitMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "channel 1 was not asked " << count << " more times";
    }
    QString takeMessage()
    {
        QMessageBox *box = nullptr;
        if (!QTest::qWaitFor([&] { return (box = messageBox()) != nullptr; }, kWaitMs))
            return QStringLiteral("(no message)");
        const QString text = box->text();
        box->button(QMessageBox::Ok)->click();
        return text;
    }
    QPushButton *acknowledge() const { return window->tripBar()->acknowledgeButton(); }

    char level = kWithin;
    std::deque<char> script; // answers for channel 1 before `level` again
};

} // namespace

TEST_F(LimitTrip, TripsOnTheThirdReadingInARowAndHoldsItsRelaysUntilAcknowledgedBackWithin)
{
    home.writeStore(kLimit);
    start();
    script = {kBeyond, kWithin, kBeyond, kBeyond, kWithin};
    ASSERT_TRUE(waitForQueries(8));
    EXPECT_FALSE(board.received().contains(kTripBytes)) << "noise and two in a row do not trip";
    EXPECT_FALSE(window->gauge(0)->tripped());

    const qsizetype from = board.received().size();
    level = kBeyond;
    ASSERT_EVENTUALLY(board.received().indexOf(kTripBytes, from) >= 0, kWaitMs);
    const qsizetype tripped = board.received().indexOf(kTripBytes, from);
    EXPECT_EQ(board.received().mid(from, tripped - from).count(kChannel1), 3) << "the third reading beyond trips";
    EXPECT_TRUE(window->gauge(0)->tripped());
    EXPECT_FALSE(window->gauge(1)->tripped());
    ASSERT_FALSE(window->tripBar()->isHidden());
    EXPECT_TRUE(window->tripBar()->line()->text().startsWith("Volts DC above 3: 3.92 at "))
        << qPrintable(window->tripBar()->line()->text());
    EXPECT_TRUE(window->relayLamp(1)->isHidden());
    EXPECT_FALSE(window->relayLamp(2)->isHidden());
    EXPECT_EQ(home.readStore().value("RelayStatus2"), "True") << "the relays' new state is saved";

    acknowledge()->click();
    EXPECT_EQ(takeMessage(),
              "Volts DC is still above 3 (3.922): the trip stays until the reading is back within its limit.");
    level = kWithin;
    ASSERT_TRUE(waitForQueries(2));
    EXPECT_TRUE(window->gauge(0)->tripped()) << "back within, still latched";
    window->relayButton(1)->click();
    EXPECT_EQ(takeMessage(), "Relay1 is kept by the Volts DC limit until the trip is acknowledged.");
    EXPECT_TRUE(window->relayLamp(1)->isHidden());

    acknowledge()->click();
    EXPECT_EQ(messageBox(), nullptr);
    EXPECT_FALSE(window->gauge(0)->tripped());
    EXPECT_TRUE(window->tripBar()->isHidden());
    const qsizetype before = board.received().size();
    window->relayButton(1)->click();
    ASSERT_EVENTUALLY(board.received().indexOf('\x21', before) >= 0, kWaitMs);
    EXPECT_FALSE(window->relayLamp(1)->isHidden()) << "the relay is free again";
}

TEST_F(LimitTrip, LimitCountedUnderTransmitTripsOnlyWhilePttIsOne)
{
    QByteArray limit = kLimit;
    limit.replace("WhileTx0=False", "WhileTx0=True");
    home.writeStore(limit);
    level = kBeyond;
    start();
    ASSERT_EVENTUALLY(window->station().tx() == tovana::station::Tx::Receive, kWaitMs);
    ASSERT_TRUE(waitForQueries(6));
    EXPECT_FALSE(board.received().contains(kTripBytes)) << "under receive nothing counts";

    ASSERT_TRUE(radio.setPtt(1));
    ASSERT_EVENTUALLY(board.received().contains(kTripBytes), kWaitMs);
    EXPECT_TRUE(window->gauge(0)->tripped());
}

TEST_F(LimitTrip, LimitsAreSavedApartAndLeaveStartUpAsItWas)
{
    start();
    ASSERT_TRUE(window->host()->save()) << "the first save completes [StartUp]";
    const QMap<QString, QString> before = home.readStore();
    tovana::station::LimitConfig limit;
    limit.kind = tovana::station::LimitKind::Below;
    limit.value = 11.5;
    limit.action[2] = tovana::station::RelayMove::On;
    window->host()->perform(window->station().setLimit(4, limit));

    EXPECT_EQ(home.readStore(), before);
    EXPECT_EQ(home.readStore("Limits").value("Limit4"), "Below");
    EXPECT_EQ(home.readStore("Limits").value("Value4"), "11.5");
    EXPECT_EQ(home.readStore("Limits").value("Action4"), "3=On");

    window.reset();
    QByteArray edited = home.storeBytes();
    ASSERT_TRUE(edited.contains("Action4=\"3=On\"")) << edited.constData();
    home.writeStore(edited.replace("Action4=\"3=On\"", "Action4=3=Onn"));
    window = std::make_unique<tovana::frmMonitor>(bus.address());
    window->show();
    EXPECT_EQ(takeMessage(), "These limits could not be read and are off:\nAction4=3=Onn");
    EXPECT_EQ(window->station().limits()[4].kind, tovana::station::LimitKind::Off);
    // Saved again, the operator's texts stay for them to mend; only a limit set anew replaces them.
    ASSERT_TRUE(window->host()->save());
    EXPECT_EQ(home.readStore("Limits").value("Limit4"), "Below");
    EXPECT_EQ(home.readStore("Limits").value("Action4"), "3=Onn");
}
