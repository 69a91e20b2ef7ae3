// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Band following: the window switches the band relays when, and only when, the selected
// band changes: at once on the link server's announcement of a new band, and on the 200 ms
// tick that reads the band when the announcement never comes.
#include "BandFixture.h"
#include "frmAbout.h"
#include "frmSetup.h"

#include <QAction>

using BandFollowing = BandFixture;

// A bus that delivers no announcements: only the tick is left.
class TickOnly : public BandFixture {
protected:
    TickOnly() : BandFixture(PrivateBus::Changes::Withheld) {}
};

namespace {

const QByteArray k80 = "\x38\x3B\x3C\x3E";
const QByteArray k40 = "\x39\x3B\x3C\x3E";
const QByteArray k20 = "\x39\x3A\x3D\x3E";
const QByteArray k15 = "\x39\x3B\x3D\x3E";
const QByteArray k10 = "\x39\x3A\x3C\x3F";

} // namespace

TEST_F(BandFollowing, PublishedBandSwitchesTheRelaysOnceAndIsNotSaved)
{
    start();
    ASSERT_TRUE(radio.setBand(5));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1010");
    EXPECT_EQ(visibleIndicators(), QList<int>{5});

    ASSERT_TRUE(waitForReads(5));
    EXPECT_EQ(bandBytes(), k20) << "a steady band is sent once";
    EXPECT_EQ(home.readStore().value("BandStatus5"), "False") << "the tick does not save";
}

// The server announces a write before it answers any later read, so the first news of the
// band at the window is the announcement: the code must be out by then.
TEST_F(BandFollowing, AnnouncedBandSendsItsCodeBeforeAnyTickHasReadItAndOnce)
{
    start();
    ASSERT_TRUE(radio.setBand(2));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80; }, kWaitMs));

    qsizetype readsOfFiveBefore = -1;
    QString codeWhenAnnounced;
    QObject::connect(window->link(), &tovana::LinkFollower::bandAnnounced, window.get(), [&](qint32 band) {
        if (band != 5 || readsOfFiveBefore >= 0)
            return;
        readsOfFiveBefore = 0;
        for (const QList<QVariant> &read : std::as_const(*reads))
            readsOfFiveBefore += read.value(0).toInt() == 5;
        codeWhenAnnounced = window->Label2()->text();
    });
    ASSERT_TRUE(radio.setBand(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80 + k20; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(readsOfFiveBefore, 0) << "the announcement came first";
    EXPECT_EQ(codeWhenAnnounced, "1010") << "its step sent the code";

    ASSERT_TRUE(waitForReadOf(5));
    ASSERT_TRUE(waitForReads(2));
    EXPECT_EQ(bandBytes(), k80 + k20) << "the ticks that follow send nothing more";
    EXPECT_EQ(visibleIndicators(), QList<int>{5});
}

TEST_F(TickOnly, BandIsFollowedOnTheTickWhenNothingIsAnnounced)
{
    start();
    followingOn();
    ASSERT_TRUE(radio.setBand(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k40; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1100");
    ASSERT_TRUE(waitForReads(2));
    EXPECT_EQ(bandBytes(), k40);
    EXPECT_EQ(announcements->count(), 0) << "the bus withheld every announcement";
}

// Each closing hands the window over to a fresh link, and following goes on over it.
TEST_F(BandFollowing, FollowingGoesOnWhenTheSetupDialogOrTheAboutBoxCloses)
{
    start();
    followingOn();
    window->findChild<QAction *>("mnuSetup")->trigger();
    ASSERT_TRUE(window->setupForm()->close());
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(window->station().following());
    ASSERT_TRUE(QTest::qWaitFor([&] { return links->count() == 2; }, kWaitMs));
    ASSERT_TRUE(radio.setBand(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs)) << bandBytes().toHex().constData();

    window->findChild<QAction *>("mnuHelpAbout")->trigger();
    frmAbout *about = window->findChild<frmAbout *>();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(about->close());
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(window->station().following());
    ASSERT_TRUE(QTest::qWaitFor([&] { return links->count() == 3; }, kWaitMs));
    ASSERT_TRUE(radio.setBand(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes().endsWith(k40); }, kWaitMs)) << bandBytes().toHex().constData();
}

TEST_F(BandFollowing, TenSelectsTheSamePositionAsNine)
{
    start();
    ASSERT_TRUE(radio.setBand(9));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k10; }, kWaitMs));
    EXPECT_EQ(window->Label2()->text(), "1001");

    ASSERT_TRUE(radio.setBand(10));
    ASSERT_TRUE(waitForReadOf(10));
    ASSERT_TRUE(waitForReads(3));
    EXPECT_EQ(bandBytes(), k10) << "9 then 10 sends once";
    EXPECT_EQ(visibleIndicators(), QList<int>{9});
}

TEST_F(BandFollowing, UnknownBandsChangeNothing)
{
    start();
    ASSERT_TRUE(radio.setBand(2));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k80; }, kWaitMs));

    for (int band : {0, 11, -1}) {
        ASSERT_TRUE(radio.setBand(band));
        ASSERT_TRUE(waitForReadOf(band));
        ASSERT_TRUE(waitForReads(2));
        EXPECT_EQ(bandBytes(), k80) << band;
        EXPECT_EQ(visibleIndicators(), QList<int>{2}) << band;
        EXPECT_EQ(window->Label2()->text(), "0100") << band;
    }
}

// A board may have been switched on since: each opening of the port gives it the band shown.
TEST_F(BandFollowing, StoredBandGoesOutWheneverThePortOpens)
{
    home.writeStore("[StartUp]\nBandStatus5=\"True\"\n");
    start(); // takes the start state, band code included, off the board's bytes
    EXPECT_EQ(visibleIndicators(), QList<int>{5});
    EXPECT_EQ(window->Label2()->text(), "1010");
    ASSERT_TRUE(radio.setBand(5));
    followingOn();
    ASSERT_TRUE(waitForReadOf(5));
    EXPECT_EQ(bandBytes(), "") << "the band the radio has is the band shown";

    reactivate();
    EXPECT_TRUE(window->station().following()) << "a re-activation leaves band following on";
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs)) << "sent again as the port opens";

    ASSERT_TRUE(radio.setBand(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20 + k40; }, kWaitMs));
    EXPECT_EQ(window->Label2()->text(), "1100");
    EXPECT_EQ(visibleIndicators(), QList<int>{3});
}

TEST_F(BandFollowing, SeveralStoredIndicatorsAreEncodedInTableOrderUntilTheNextSelection)
{
    home.writeStore("[StartUp]\nBandStatus5=\"True\"\nBandStatus1=\"True\"\n");
    start(); // takes the start state off the board's bytes: 160 m's code, then 20 m's
    EXPECT_EQ(visibleIndicators(), (QList<int>{1, 5}));
    EXPECT_EQ(window->Label2()->text(), "1010") << "Label2 ends with the last code sent";

    ASSERT_TRUE(radio.setBand(7));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k15; }, kWaitMs))
        << "the start state carried the stored codes; only the new one follows: " << bandBytes().toHex().constData();
    EXPECT_EQ(visibleIndicators(), QList<int>{7});
}

TEST_F(BandFollowing, CodeChosenWhileThePortIsClosedGoesOutOnTheFirstTickWithThePortOpen)
{
    start();
    ASSERT_TRUE(radio.setBand(5));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs));

    window->MSComm1()->close(); // as the setup dialog's Apply does
    ASSERT_TRUE(radio.setBand(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleIndicators() == QList<int>{3}; }, kWaitMs));
    ASSERT_TRUE(waitForReads(2));
    EXPECT_TRUE(window->station().following()) << "the tick keeps running";
    EXPECT_TRUE(window->station().codePending());
    EXPECT_EQ(window->Label2()->text(), "1010") << "Label2 shows the code last sent";
    EXPECT_EQ(messageBox(), nullptr) << "the tick fails silently";

    reactivate(); // reopens the port; band following goes on
    ASSERT_TRUE(window->MSComm1()->isOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20 + k40; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1100");
    EXPECT_FALSE(window->station().codePending());
    ASSERT_TRUE(waitForReads(3));
    EXPECT_EQ(bandBytes(), k20 + k40) << "sent once";
}
