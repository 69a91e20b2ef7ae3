// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The transmit interlock: with "Hold band relays while transmitting" on, no band code goes
// out while the radio publishes PTT 1, neither from following nor from a band button; the
// band that following wanted goes out once, at once, on PTT 0. Off, PTT changes nothing;
// without a link server nothing is held and the "TX" indicator says the state is unknown.
#include "BandFixture.h"
#include "MonitorPanel.h"
#include "PanelControls.h"

using TxHold = BandFixture;
using tovana::TxIndicator;

namespace {

const QByteArray k80 = "\x38\x3B\x3C\x3E";
const QByteArray k20 = "\x39\x3A\x3D\x3E";
const QByteArray kInterlockOn = "[Interlock]\nHoldWhileTx=True\n";

} // namespace

TEST_F(TxHold, BandWantedUnderTransmitGoesOutOnceWhenThePttReturnsToReceive)
{
    home.writeStore(kInterlockOn);
    start();
    TxIndicator *tx = window->panel()->txIndicator();
    ASSERT_TRUE(radio.setBand(2));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80; }, kWaitMs));
    EXPECT_FALSE(tx->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return tx->state() == TxIndicator::State::Receive; }, kWaitMs));

    ASSERT_TRUE(radio.setPtt(1));
    ASSERT_TRUE(waitForHold(true));
    EXPECT_EQ(tx->state(), TxIndicator::State::Held);
    ASSERT_TRUE(radio.setBand(5));
    ASSERT_TRUE(waitForReadOf(5));
    ASSERT_TRUE(waitForReads(2));
    EXPECT_EQ(bandBytes(), k80) << "nothing goes out under transmit";
    EXPECT_EQ(window->Label2()->text(), "0100") << "Label2 shows the code the relays have";

    QString codeOnReceive;
    QObject::connect(window->link(), &tovana::LinkFollower::pttSeen, window.get(), [&](qint32 ptt) {
        if (ptt == 0 && codeOnReceive.isNull())
            codeOnReceive = window->Label2()->text();
    });
    ASSERT_TRUE(radio.setPtt(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80 + k20; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(codeOnReceive, "1010") << "sent on the first news of receive, not on a later tick";
    EXPECT_EQ(tx->state(), TxIndicator::State::Receive);
    ASSERT_TRUE(waitForReads(3));
    EXPECT_EQ(bandBytes(), k80 + k20) << "sent once";
}

TEST_F(TxHold, BandButtonUnderTransmitIsRefusedAndChangesNothing)
{
    home.writeStore(kInterlockOn);
    start();
    followingOn();
    ASSERT_TRUE(radio.setPtt(1));
    ASSERT_TRUE(waitForHold(true));
    const TempConfigHome::Stamp stored = home.storeStamp();

    window->findChild<QPushButton *>("Command25")->click();
    QMessageBox *box = messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tovana");
    EXPECT_EQ(box->text(), "The band relays are held while the radio transmits.");
    EXPECT_EQ(visibleIndicators(), QList<int>{});
    EXPECT_TRUE(window->station().following()) << "band following stays as it was";
    EXPECT_EQ(home.storeStamp(), stored) << "nothing is saved";
    box->button(QMessageBox::Ok)->click();

    ASSERT_TRUE(radio.setPtt(0));
    ASSERT_TRUE(waitForHold(false));
    ASSERT_TRUE(waitForReads(3));
    EXPECT_EQ(bandBytes(), "") << "nothing was sent, nor kept back to send later";
}

TEST_F(TxHold, WithTheInterlockOffPttChangesNothing)
{
    start();
    EXPECT_TRUE(window->panel()->txIndicator()->isHidden());
    ASSERT_TRUE(radio.setPtt(1));
    followingOn();
    ASSERT_TRUE(radio.setBand(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80; }, kWaitMs));
    window->findChild<QPushButton *>("Command25")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80 + k20; }, kWaitMs));
    EXPECT_EQ(messageBox(), nullptr);
    EXPECT_EQ(home.readStore().value("BandStatus5"), "True");
    EXPECT_EQ(home.readStore("Interlock").value("HoldWhileTx"), "False");
}

TEST_F(TxHold, WithoutALinkServerNothingIsHeldAndTheTransmitStateIsUnknown)
{
    home.writeStore(kInterlockOn);
    window = std::make_unique<tovana::frmMonitor>("unix:path=" + home.path() + "/no-bus");
    window->show();

    TxIndicator *tx = window->panel()->txIndicator();
    EXPECT_FALSE(tx->isHidden());
    EXPECT_EQ(tx->state(), TxIndicator::State::Unknown);
    EXPECT_FALSE(tx->isEnabled()) << "greyed";
    window->findChild<QPushButton *>("Command25")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs)) << "a band button still works";
    window.reset();
}
