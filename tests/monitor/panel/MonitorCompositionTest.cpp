// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What the user sees on the main window before any setting is involved: every control by
// its design name, captions, places, what lies over what, and the menus.
#include "MonitorFixture.h"
#include "MonitorPanel.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>

using namespace tovana;

using MainWindow = MonitorFixture;

namespace {

int zIndex(QWidget *w)
{
    return w->parentWidget()->children().indexOf(w);
}

} // namespace

TEST_F(MainWindow, WindowHoldsEveryControlUnderItsDesignName)
{
    frmMonitor &w = start();
    EXPECT_EQ(w.windowTitle(), "Tovana");
    EXPECT_EQ(w.centralWidget()->size(), QSize(232, 477));

    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(find<AGauge>(QString("AGauge1_%1").arg(i))) << i;
    for (int n = 1; n <= 12; ++n) {
        auto *button = find<QPushButton>(QString("Command%1").arg(n + 1));
        ASSERT_TRUE(button) << n;
        EXPECT_EQ(button, w.relayButton(n));
        EXPECT_TRUE(find(QString("Picture1_%1").arg(n - 1))) << n;
        EXPECT_TRUE(find(QString("Picture1_%1").arg(15 + n))) << n;
    }
    EXPECT_FALSE(find(QString("Picture1_12")));

    const QStringList bands{"160", "80", "40", "30", "20", "17", "15", "12", "10"};
    const QStringList buttons{"Command1", "Command22", "Command23", "Command24", "Command25",
                              "Command26", "Command27", "Command28", "Command29"};
    const QStringList indicators{"Command14", "Command15", "Command16", "Command17", "Command18",
                                 "Command19", "Command20", "Command21", "Command30"};
    for (int b = 0; b < 9; ++b) {
        auto *button = find<QPushButton>(buttons[b]);
        auto *indicator = find<QPushButton>(indicators[b]);
        ASSERT_TRUE(button && indicator) << b;
        EXPECT_EQ(button->text(), bands[b]);
        EXPECT_EQ(indicator->text(), bands[b]);
        EXPECT_EQ(indicator->geometry(), button->geometry()) << "the indicator lies exactly over its button";
        EXPECT_GT(zIndex(indicator), zIndex(button));
        EXPECT_EQ(button->palette().color(QPalette::Button), QColor(128, 255, 128));
        EXPECT_EQ(indicator->palette().color(QPalette::Button), QColor(0, 255, 0));
    }

    EXPECT_EQ(find<QGroupBox>("Frame1")->title(), "Antenna/Band Switch");
    EXPECT_EQ(find<QGroupBox>("Frame2")->title(), "OLE");
    EXPECT_EQ(find<QLabel>("Label1")->text(), "Com Port");
    EXPECT_EQ(find<QLabel>("Label2")->text(), "");
    EXPECT_EQ(find<QPushButton>("Command32")->text(), "On");
    EXPECT_EQ(find<QPushButton>("Command31")->text(), "Off");
    EXPECT_EQ(find<QPushButton>("Command34")->geometry(), find<QPushButton>("Command32")->geometry());
    EXPECT_EQ(find<QPushButton>("Command33")->geometry(), find<QPushButton>("Command31")->geometry());
    EXPECT_GT(find("Command32")->y(), find("Command31")->y()) << "\"On\" lies below \"Off\"";
    for (const char *name : {"Picture2", "Picture3", "Picture4", "Picture5"})
        EXPECT_EQ(find(name)->size(), QSize(15, 15)) << name;
    EXPECT_GT(zIndex(find("Picture3")), zIndex(find("Picture2")));
    EXPECT_GT(zIndex(find("Picture5")), zIndex(find("Picture4")));

    EXPECT_TRUE(find<CommPort>("MSComm1"));
    EXPECT_TRUE(find<CommPort>("MSComm2"));
    auto *timer = find<QTimer>("Timer1");
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->interval(), 200);
}

TEST_F(MainWindow, ControlsSitAtTheirDesignedPlacesInPixels)
{
    start();
    EXPECT_EQ(find("AGauge1_0")->geometry(), QRect(8, 8, 105, 57));
    EXPECT_EQ(find("AGauge1_5")->geometry(), QRect(120, 136, 105, 57));
    EXPECT_EQ(find("AGauge1_6")->geometry(), QRect(8, 200, 105, 57));
    EXPECT_EQ(find("Command2")->geometry(), QRect(8, 280, 49, 20));
    EXPECT_EQ(find("Command13")->geometry(), QRect(176, 360, 49, 20));
    EXPECT_EQ(find("Picture1_0")->geometry(), QRect(16, 264, 33, 9));
    EXPECT_EQ(find("Picture1_27")->geometry(), QRect(184, 344, 33, 9));
    EXPECT_EQ(find("Picture1_27")->geometry(), find("Picture1_11")->geometry());
    EXPECT_EQ(find("Frame1")->geometry(), QRect(5, 384, 173, 65));
    EXPECT_EQ(find("Frame2")->geometry(), QRect(183, 384, 41, 65));
    EXPECT_EQ(find("Picture2")->pos(), QPoint(192, 456));
    EXPECT_EQ(find("Picture4")->pos(), QPoint(208, 456));
    EXPECT_EQ(find("Label1")->pos(), QPoint(144, 456));
    EXPECT_EQ(find("Command1")->size(), QSize(25, 17));
    EXPECT_EQ(find("Command1")->y(), 400);
    EXPECT_EQ(find("Command26")->y(), 424);
    EXPECT_GT(find("Label2")->x(), find("Command29")->geometry().right()) << "the band code sits right of \"10\"";
}

TEST_F(MainWindow, GreenRelayLampsLieOverTheRedOnes)
{
    start();
    for (int n = 1; n <= 12; ++n) {
        QWidget *red = find(QString("Picture1_%1").arg(n - 1));
        QWidget *green = find(QString("Picture1_%1").arg(15 + n));
        EXPECT_EQ(green->geometry(), red->geometry());
        EXPECT_GT(zIndex(green), zIndex(red));
        EXPECT_EQ(red->palette().color(QPalette::Window), QColor(192, 0, 0));
        EXPECT_EQ(green->palette().color(QPalette::Window), QColor(0, 192, 0));
        EXPECT_FALSE(red->isHidden()) << "the red bar is always there";
    }
}

TEST_F(MainWindow, MenusOfferExitSetupHelpAndNeverTheFileCommands)
{
    frmMonitor &w = start();
    const QList<QAction *> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->objectName(), "mnuFile");
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->objectName(), "mnuSetup");
    EXPECT_EQ(bar[1]->text(), "&Setup");
    EXPECT_EQ(bar[1]->menu(), nullptr) << "Setup is a command on the bar itself";
    EXPECT_EQ(bar[2]->objectName(), "mnuHelp");
    EXPECT_EQ(bar[2]->text(), "&Help");

    const QList<QAction *> file = bar[0]->menu()->actions();
    ASSERT_EQ(file.size(), 4);
    const QStringList names{"mnuOpen", "mnuSave", "mnuSaveAs"};
    const QStringList captions{"&Open", "&Save Settings", "&Save Settings As..."};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(file[k]->objectName(), names[k]);
        EXPECT_EQ(file[k]->text(), captions[k]);
        EXPECT_FALSE(file[k]->isVisible());
        EXPECT_FALSE(file[k]->isEnabled());
    }
    EXPECT_EQ(file[3]->objectName(), "mnuExit");
    EXPECT_EQ(file[3]->text(), "&Exit");
    EXPECT_TRUE(file[3]->isVisible());

    const QList<QAction *> help = bar[2]->menu()->actions();
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(help[0]->objectName(), "mnuHelpContents");
    EXPECT_EQ(help[0]->text(), "&Contents");
    EXPECT_EQ(help[1]->objectName(), "mnuHelpAbout");
    EXPECT_EQ(help[1]->text(), "&About");
}

TEST_F(MainWindow, BandFollowingSwitchShowsItsStateAndRunsTheTimer)
{
    frmMonitor &w = start();
    auto *timer = find<QTimer>("Timer1");
    EXPECT_FALSE(timer->isActive()) << "band following starts off";
    EXPECT_FALSE(w.bandFollowing());

    find<QPushButton>("Command32")->click();
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(find("Command34")->isHidden());
    EXPECT_TRUE(find("Command33")->isHidden());

    find<QPushButton>("Command31")->click();
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(find("Command34")->isHidden());
    EXPECT_FALSE(find("Command33")->isHidden());
}

TEST_F(MainWindow, BandResetHidesEveryIndicatorButKeepsTheBandCode)
{
    writeStore({{"BandStatus3", "True"}, {"BandStatus9", "True"}, {"BandStatus10", "True"}});
    frmMonitor &w = start();
    w.Label2()->setText("1100");
    w.BandReset();
    for (int band = 1; band <= 9; ++band)
        EXPECT_TRUE(w.bandIndicator(band)->isHidden()) << band;
    EXPECT_EQ(w.Label2()->text(), "1100");
}
