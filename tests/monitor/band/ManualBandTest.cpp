// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Band buttons: a band chosen by hand ends band following, is saved at once and sends its
// code; with the port closed the user is told, and the code goes out later.
#include "BandFixture.h"

using ManualBand = BandFixture;

namespace {

const QByteArray k40 = "\x39\x3B\x3C\x3E";
const QByteArray k20 = "\x39\x3A\x3D\x3E";

QStringList storedBandStatus(const QMap<QString, QString> &store)
{
    QStringList flags;
    for (int n = 1; n <= 10; ++n)
        flags << store.value(QString("BandStatus%1").arg(n));
    return flags;
}

} // namespace

TEST_F(ManualBand, TwentyButtonSendsItsCodeSavesAndStopsFollowing)
{
    start();
    followingOn();
    ASSERT_TRUE(window->Timer1()->isActive());
    const qsizetype queriesBefore = board.received().size();

    window->findChild<QPushButton *>("Command25")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1010");
    EXPECT_EQ(visibleIndicators(), QList<int>{5});
    EXPECT_FALSE(window->station().following());
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_TRUE(window->findChild<QPushButton *>("Command34")->isHidden());
    EXPECT_FALSE(window->findChild<QPushButton *>("Command33")->isHidden());
    EXPECT_EQ(storedBandStatus(home.readStore()),
              QStringList({"False", "False", "False", "False", "True", "False", "False", "False", "False", "False"}));
    // The acquisition cycle goes on after the command: queries keep coming.
    EXPECT_TRUE(QTest::qWaitFor([&] { return board.received().size() > queriesBefore + 20; }, kWaitMs));
}

TEST_F(ManualBand, TenButtonStoresBothOfItsBandEntries)
{
    start();
    window->findChild<QPushButton *>("Command29")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == "\x39\x3A\x3C\x3F"; }, kWaitMs));
    EXPECT_EQ(window->Label2()->text(), "1001");
    EXPECT_EQ(storedBandStatus(home.readStore()),
              QStringList({"False", "False", "False", "False", "False", "False", "False", "False", "True", "True"}));
}

TEST_F(ManualBand, BandChosenWithThePortClosedIsShownSavedAndSentLater)
{
    start();
    window->MSComm1()->close();
    window->findChild<QPushButton *>("Command23")->click();

    QMessageBox *box = messageBox();
    ASSERT_NE(box, nullptr) << "the user is told";
    EXPECT_EQ(box->windowTitle(), "Tovana");
    EXPECT_EQ(box->text(), "The band code was not sent: COM1 is not open.");
    EXPECT_EQ(visibleIndicators(), QList<int>{3});
    EXPECT_EQ(home.readStore().value("BandStatus3"), "True");
    EXPECT_EQ(window->Label2()->text(), "");
    EXPECT_EQ(bandBytes(), "");
    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return messageBox() == nullptr; }, kWaitMs));

    reactivate();
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k40; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1100");
}
