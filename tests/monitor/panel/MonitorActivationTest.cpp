// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The activation the main window runs each time the program shows it: seeding the store,
// loading it into the window and the hidden setup dialog, band following off, the port.
#include "MessageBoxes.h"
#include "Eventually.h"
#include "MonitorFixture.h"
#include "WithoutFileOverride.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tovana;

using Activation = MonitorFixture;

namespace {

// Which of Option1_0..Option1_14 are selected, by element number.
QList<int> selectedOptions(frmSetup *setup)
{
    QList<int> selected;
    for (int k = 0; k < 15; ++k) {
        if (setup->findChild<QRadioButton *>(QString("Option1_%1").arg(k))->isChecked())
            selected << k;
    }
    return selected;
}

} // namespace

TEST_F(Activation, FirstShowSeedsTheStoreAndLoadsTheDefaults)
{
    EXPECT_FALSE(QFile::exists(home.storeFile()));
    frmMonitor w;
    EXPECT_FALSE(w.station().responseLoaded()) << "empty before the first loading";
    w.show();

    const QMap<QString, QString> store = home.readStore();
    EXPECT_EQ(store.size(), 143);
    EXPECT_EQ(store.value("Relay1"), "Relay1");
    EXPECT_EQ(store.value("Meter-ComSettings"), "19200,n,8,1");

    for (int i = 0; i < 8; ++i) {
        AGauge *g = w.gauge(i);
        EXPECT_EQ(g->caption(), "Volts DC");
        EXPECT_EQ(g->scaleMin(), 0);
        EXPECT_EQ(g->scaleMax(), 5);
        EXPECT_EQ(g->tickSet(), 1) << "loading leaves tick set 1 selected";
        EXPECT_EQ(g->subTickCount(), 4);
        g->setTickSet(0);
        EXPECT_EQ(g->subTickCount(), 4);
        EXPECT_EQ(g->annulus(), 4) << "loading leaves annulus 4 selected";
        const double bands[3][2] = {{0, 3}, {3, 4}, {4, 5}};
        const std::uint32_t colours[3] = {32768, 65535, 255};
        for (int b = 0; b < 3; ++b) {
            g->setAnnulus(b + 2);
            EXPECT_EQ(g->annulusStart(), bands[b][0]);
            EXPECT_EQ(g->annulusStop(), bands[b][1]);
            EXPECT_EQ(g->annulusColor(), colours[b]);
        }
        EXPECT_DOUBLE_EQ(w.station().scaling(i).factor, 5.0 / 255);
        EXPECT_DOUBLE_EQ(w.station().scaling(i).offset, 0);
        EXPECT_EQ(w.station().multiplier(i), "1.0");
    }
    for (int n = 1; n <= 12; ++n) {
        EXPECT_EQ(w.relayButton(n)->text(), QString("Relay%1").arg(n));
        EXPECT_TRUE(w.relayLamp(n)->isHidden());
        EXPECT_EQ(w.setupForm()->relayLabelBox(n)->text(), QString("Relay%1").arg(n));
    }
    for (int band = 1; band <= 9; ++band)
        EXPECT_TRUE(w.bandIndicator(band)->isHidden());

    EXPECT_EQ(w.station().meterResponse(), 15000);
    EXPECT_FALSE(w.Timer1()->isActive());
    EXPECT_FALSE(w.station().following());
    EXPECT_EQ(w.MSComm1()->portNumber(), 1);
    EXPECT_EQ(w.MSComm1()->settings(), "19200,n,8,1");
    EXPECT_TRUE(w.MSComm1()->isOpen()) << qPrintable(w.MSComm1()->errorString());
    EXPECT_EQ(selectedOptions(w.setupForm()), (QList<int>{0, 14}))
        << "port 1 by loading, 19200 by the activation's lower-case forms";
    EXPECT_FALSE(w.setupForm()->isVisible()) << "the dialog is loaded hidden";
    EXPECT_EQ(messageBox(), nullptr);
}

TEST_F(Activation, SpeedButtonFollowsTheStoredSettingsString)
{
    const std::pair<QString, QList<int>> cases[] = {
        {"9600,N,8,1", {0, 13}},                       // upper case: selected by loading
        {"9600,n,8,1", {0, 13}},                       // lower case: selected by the activation
        {"19200,N,8,1", {0, 14}}, {"2400,e,7,1", {0}}, // none of the ten forms: no speed button
        {"9600,N,8,1 ", {0}},                          // exact comparison
    };
    for (const auto &[settings, expected] : cases) {
        writeStore({{"Meter-ComSettings", settings}});
        start();
        EXPECT_EQ(selectedOptions(window->setupForm()), expected) << qPrintable(settings);
        EXPECT_EQ(window->MSComm1()->settings(), settings) << "the port keeps the text unchanged";
        window.reset();
    }
}

TEST_F(Activation, PortNumberBeyondTenSelectsNoPortButtonButReachesThePort)
{
    writeStore({{"Meter-ComPort", "11"}});
    frmMonitor &w = start();
    EXPECT_EQ(w.MSComm1()->portNumber(), 11);
    EXPECT_EQ(selectedOptions(w.setupForm()), (QList<int>{14}));
}

TEST_F(Activation, BandIndicatorsShowTheStoredBandsWithTheTenthDeciding)
{
    writeStore({{"BandStatus1", "True"}, {"BandStatus4", "True"}, {"BandStatus9", "True"}, {"BandStatus10", "False"}});
    frmMonitor &w = start();
    EXPECT_FALSE(w.bandIndicator(1)->isHidden());
    EXPECT_FALSE(w.bandIndicator(4)->isHidden());
    EXPECT_TRUE(w.bandIndicator(9)->isHidden()) << "entry 10 is applied last to \"10\"";
    for (int band : {2, 3, 5, 6, 7, 8})
        EXPECT_TRUE(w.bandIndicator(band)->isHidden()) << band;
    window.reset();

    writeStore({{"BandStatus9", "False"}, {"BandStatus10", "True"}});
    start();
    EXPECT_FALSE(window->bandIndicator(9)->isHidden());
}

TEST_F(Activation, StoredLabelsLampsAndMetersReachTheWindow)
{
    writeStore({{"Relay3", "Antenna B"},
                {"RelayStatus3", "True"},
                {"RelayStatus12", "True"},
                {"Caption-Gauge2", "Amps"},
                {"ScaleMin-Gauge2", "-10"},
                {"ScaleMax-Gauge2", "10"},
                {"TicSubCount-Gauge2", "2"},
                {"Start-Annular2-Gauge2", "7"},
                {"Multiplier2", "2"},
                {"Stop-Annular3-Gauge2", "6,5"},
                {"Meter Response", "20000"}});
    frmMonitor &w = start();
    EXPECT_EQ(w.relayButton(3)->text(), "Antenna B");
    EXPECT_FALSE(w.relayLamp(3)->isHidden());
    EXPECT_FALSE(w.relayLamp(12)->isHidden());
    EXPECT_TRUE(w.relayLamp(4)->isHidden());

    AGauge *g = w.gauge(2);
    EXPECT_EQ(g->caption(), "Amps");
    EXPECT_EQ(g->scaleMin(), -10);
    EXPECT_EQ(g->scaleMax(), 10);
    EXPECT_EQ(g->subTickCount(), 2);
    g->setAnnulus(2);
    EXPECT_EQ(g->annulusStart(), -10) << "band 1 always starts at the scale minimum";
    g->setAnnulus(3);
    EXPECT_EQ(g->annulusStop(), 6.5);
    EXPECT_DOUBLE_EQ(w.station().scaling(2).factor, 2.0 * 20 / 255);
    EXPECT_DOUBLE_EQ(w.station().scaling(2).offset, -63.75);
    EXPECT_EQ(w.station().meterResponse(), 20000);
}

TEST_F(Activation, HandEditedNonsenseLoadsWithoutHarm)
{
    writeStore({{"ScaleMin-Gauge0", "zero"},
                {"ScaleMax-Gauge0", "lots"},
                {"Meter-ComPort", "COM1"},
                {"Meter Response", "fast"},
                {"Position-Left", "left"},
                {"RelayStatus1", "maybe"},
                {"BandStatus2", "yes"},
                {"Color-Annular4-Gauge0", "red"},
                {"TicSubCount-Gauge0", "-3"},
                {"Multiplier0", "0"}});
    frmMonitor &w = start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(std::isfinite(w.gauge(0)->scaleMin()));
    EXPECT_TRUE(std::isfinite(w.gauge(0)->scaleMax()));
    EXPECT_GE(w.gauge(0)->subTickCount(), 0);
    EXPECT_TRUE(w.station().responseLoaded());
    EXPECT_GE(w.station().meterResponse(), 0);
    EXPECT_LE(w.station().meterResponse(), 32767);
    EXPECT_TRUE(w.relayLamp(1)->isHidden());
    w.gauge(0)->setNeedleValue(w.station().scaling(0).value(128));
    EXPECT_FALSE(w.gauge(0)->grab().isNull());
}

TEST_F(Activation, EveryActivationShowsTheStoredRelayLabel)
{
    frmMonitor &w = start();
    EXPECT_EQ(w.relayButton(1)->text(), "Relay1");
    home.writeStore(home.storeBytes().replace("Relay1=Relay1", "Relay1=Beam"));
    w.hide();
    w.show();
    EXPECT_EQ(w.relayButton(1)->text(), "Beam");
}

TEST_F(Activation, StoredResponseReachesTheWindowEvenWhereTheSliderStands)
{
    frmMonitor &w = start();
    EXPECT_EQ(w.station().meterResponse(), 15000);
    w.station().setMeterResponse(3);
    w.hide();
    w.show();
    EXPECT_EQ(w.setupForm()->response(), 15000);
    EXPECT_EQ(w.station().meterResponse(), 15000);
}

TEST_F(Activation, ReactivationKeepsBandFollowingAndReopensThePort)
{
    frmMonitor &w = start();
    ASSERT_TRUE(w.MSComm1()->isOpen());
    find<QPushButton>("Command32")->click();
    ASSERT_TRUE(w.Timer1()->isActive());
    w.hide();
    w.show();
    EXPECT_TRUE(w.Timer1()->isActive());
    EXPECT_TRUE(w.station().following()) << "only the program's start turns band following off";
    EXPECT_TRUE(w.MSComm1()->isOpen());
}

TEST_F(Activation, UnavailablePortIsReportedOnceAndTheWindowStaysUsable)
{
    writeStore({{"Meter-ComPort", "999"}});
    frmMonitor &w = start();
    QMessageBox *box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tovana");
    EXPECT_EQ(box->text(),
              "COM 999: not available. Check Comm Port setting.\n/dev/ttyS998: No such file or directory.");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(w.MSComm1()->isOpen());
    EXPECT_FALSE(w.station().following());

    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(QTest::qWaitFor([] { return messageBox() == nullptr; }, 5000));
    find<QPushButton>("Command32")->click();
    EXPECT_TRUE(w.station().following()) << "the handlers stay available";
}

TEST_F(Activation, RefusedDeviceNamesItsPathAndTheGroupToJoin)
{
    // A device of the serial group that the user is not in; a normal user running the
    // tests meets a device made unreadable instead.
    const QByteArray device = QFile::encodeName(board.slavePath());
    const bool root = ::geteuid() == 0;
    if (root) {
        const group *dialout = ::getgrnam("dialout");
        ASSERT_NE(dialout, nullptr);
        ASSERT_EQ(::chown(device.constData(), 65534, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(device.constData(), 0660), 0);
    } else {
        ASSERT_EQ(::chmod(device.constData(), 0), 0);
    }
    {
        WithoutFileOverride asAUser;
        ASSERT_TRUE(asAUser.holds());
        start();
    }
    EXPECT_FALSE(window->MSComm1()->isOpen());
    const QString expected =
        "COM 1: not available. Check Comm Port setting.\nPermission denied on " + board.slavePath();
    if (root) {
        EXPECT_NE(MessageBoxes::awaitSaying(expected +
                                            " (group dialout): add your user to the group dialout and log in again."),
                  nullptr);
    } else {
        ASSERT_EVENTUALLY_EQ(MessageBoxes::mentioning(expected), 1, 5000);
    }
}

TEST_F(Activation, StoredPlaceOffEveryScreenOpensOnThePrimaryScreen)
{
    writeStore({{"Position-Left", "900000"}, {"Position-Top", "-45000"}});
    frmMonitor &w = start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EVENTUALLY(screen.contains(w.frameGeometry().topLeft()), 5000);
    EXPECT_EQ(home.readStore().value("Position-Left"), "900000") << "the stored place waits for the next save";
    EXPECT_EQ(home.readStore().value("Position-Top"), "-45000");
}

TEST_F(Activation, StoredPlaceOnScreenIsWhereTheWindowOpens)
{
    writeStore({{"Position-Left", "1500"}, {"Position-Top", "750"}});
    frmMonitor &w = start();
    ASSERT_EVENTUALLY_EQ(w.frameGeometry().topLeft(), QPoint(100, 50), 5000);
}
