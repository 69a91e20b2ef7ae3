// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Closing the window saves the station's state; the menus hand the window over to
// the setup dialog, the about box and the help file, and get it back.
#include "Eventually.h"
#include "MonitorFixture.h"
#include "MonitorPanel.h"
#include "frmAbout.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>

using namespace tovana;

using ShutdownAndMenus = MonitorFixture;

TEST_F(ShutdownAndMenus, ClosingTheWindowSavesTheStationsState)
{
    frmMonitor &w = start();
    station::Station &s = w.station();
    s.setRelayLabel(2, "Dummy load");
    w.relayButton(2)->click();
    w.panel()->bandButton(9)->click();
    s.setCaption(5, "SWR");
    s.applyScale(5, 1, 3.5);
    s.setBandColour(5, 1, 0x00123456); // the second band is "Annular3"
    s.setTicks(5, 7);
    s.setMeterResponse(32000);
    w.move(300, 200);
    find<QPushButton>("Command32")->click();

    ASSERT_TRUE(w.close());
    EXPECT_FALSE(w.Timer1()->isActive()) << "shutdown stops the band-following timer";

    const QMap<QString, QString> store = home.readStore();
    EXPECT_EQ(store.size(), 151) << "the eight \"Start-Annular2-Gauge\" keys join the seeded 143";
    EXPECT_EQ(store.value("Relay2"), "Dummy load");
    EXPECT_EQ(store.value("RelayStatus2"), "True");
    EXPECT_EQ(store.value("RelayStatus1"), "False");
    EXPECT_EQ(store.value("BandStatus3"), "False");
    EXPECT_EQ(store.value("BandStatus9"), "True");
    EXPECT_EQ(store.value("BandStatus10"), "True") << "entry 10 is read from \"10\" as well";
    EXPECT_EQ(store.value("Caption-Gauge5"), "SWR");
    EXPECT_EQ(store.value("ScaleMin-Gauge5"), "1");
    EXPECT_EQ(store.value("ScaleMax-Gauge5"), "3.5");
    EXPECT_EQ(store.value("Color-Annular3-Gauge5"), QString::number(0x00123456));
    EXPECT_EQ(store.value("TicSubCount-Gauge5"), "7");
    EXPECT_EQ(store.value("Start-Annular2-Gauge5"), "1") << "the bands start at the new zero";
    EXPECT_EQ(store.value("Meter Response"), "32000");
    EXPECT_EQ(store.value("Position-Left"), "4500");
    EXPECT_EQ(store.value("Position-Top"), "3000");
    EXPECT_EQ(store.value("Meter-ComSettings"), "19200,n,8,1") << "saved as the port holds it";
    EXPECT_EQ(store.value("Multiplier5"), "1.0") << "a save leaves the multipliers alone";
    EXPECT_EQ(home.readStore("Window"), (QMap<QString, QString>{{"Width", QString::number(w.width() * 15)},
                                                                {"Height", QString::number(w.height() * 15)}}))
        << "the size in a section of its own";
}

TEST_F(ShutdownAndMenus, WindowLeftOutOfReachIsSavedWhereItsTitleBarCanBeReached)
{
    frmMonitor &w = start();
    for (const QPoint outside : {QPoint(-5000, -4000), QPoint(300, -25), QPoint(20000, 300)}) {
        w.move(outside);
        ASSERT_TRUE(w.SaveSettings());
        const QMap<QString, QString> store = home.readStore();
        const QPoint saved(store.value("Position-Left").toInt() / 15, store.value("Position-Top").toInt() / 15);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(saved))
            << saved.x() << "," << saved.y() << " for " << outside.x() << "," << outside.y();
        EXPECT_TRUE(screen.contains(saved + QPoint(w.frameGeometry().width() - 1, 0))) << "the whole title bar";
    }
}

TEST_F(ShutdownAndMenus, ExitSavesAndTheNextStartShowsTheSameState)
{
    frmMonitor &w = start();
    w.relayButton(7)->click();
    w.station().setCaption(0, "Volts 13.8");
    w.findChild<QAction *>("mnuExit")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(home.readStore().value("RelayStatus7"), "True");
    window.reset();

    frmMonitor &again = start();
    EXPECT_FALSE(again.relayLamp(7)->isHidden());
    EXPECT_EQ(again.gauge(0)->caption(), "Volts 13.8");
}

TEST_F(ShutdownAndMenus, TwoSavesWithoutChangeWriteTheSameStore)
{
    frmMonitor &w = start();
    ASSERT_TRUE(w.SaveSettings());
    const QMap<QString, QString> first = home.readStore();
    ASSERT_TRUE(w.SaveSettings());
    EXPECT_EQ(home.readStore(), first);
}

TEST_F(ShutdownAndMenus, RefusedSaveIsReportedAndTheFirstCloseIsHeldBack)
{
    frmMonitor &w = start();
    // A folder where the store file belongs: no write can replace it.
    ASSERT_TRUE(QFile::remove(home.storeFile()));
    ASSERT_TRUE(QDir().mkdir(home.storeFile()));

    EXPECT_FALSE(w.close());
    QMessageBox *box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tovana");
    EXPECT_TRUE(box->text().startsWith("The settings could not be saved")) << qPrintable(box->text());
    EXPECT_TRUE(w.isVisible());

    EXPECT_TRUE(w.close()) << "closing again ends without saving";
}

TEST_F(ShutdownAndMenus, StoreThatCannotBeSeededIsReportedAndTheWindowStillComesUp)
{
    // A folder where the store file belongs: the defaults cannot be written.
    ASSERT_TRUE(QDir().mkpath(home.storeFile()));
    frmMonitor &w = start();

    QMessageBox *box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tovana");
    EXPECT_TRUE(box->text().startsWith("The default settings could not be saved")) << qPrintable(box->text());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.gauge(0)->caption(), "Volts DC") << "the defaults are loaded all the same";
}

TEST_F(ShutdownAndMenus, StoreThatIsAFifoIsRefusedWithAMessageAndTheDefaultsServe)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(home.storeFile()).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.storeFile()).constData(), 0600), 0);
    frmMonitor &w = start();

    QMessageBox *box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("is not a regular file")) << qPrintable(box->text());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.gauge(0)->caption(), "Volts DC");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(home.storeFile()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO is left as it was";
}

TEST_F(ShutdownAndMenus, StoreOfBinaryGarbageStillLetsTheWindowCloseAndSave)
{
    QByteArray garbage(1 << 20, '\0');
    QRandomGenerator random(17);
    for (char &byte : garbage)
        byte = static_cast<char>(random.bounded(256));
    home.writeStore(garbage);
    frmMonitor &w = start();
    EXPECT_EQ(messageBox(), nullptr) << qPrintable(messageBox()->text());
    w.relayButton(3)->click();

    EXPECT_TRUE(w.close()) << qPrintable(messageBox() ? messageBox()->text() : QString());
    EXPECT_EQ(home.readStore().value("RelayStatus3"), "True");
}

TEST_F(ShutdownAndMenus, SetupHidesTheWindowAndClosingItBringsBackAFreshActivation)
{
    frmMonitor &w = start();
    find<QPushButton>("Command32")->click();
    w.findChild<QAction *>("mnuSetup")->trigger();
    frmSetup *setup = w.setupForm();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(setup->isVisible());

    setup->relayLabelBox(4)->setText("Preamp");
    EXPECT_EQ(w.relayButton(4)->text(), "Preamp");
    QPointer<frmSetup> closed(setup);
    ASSERT_TRUE(setup->close());

    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(home.readStore().value("Relay4"), "Preamp") << "closing the dialog saves";
    EXPECT_TRUE(w.station().following()) << "band following survives the dialog";
    EXPECT_TRUE(w.Timer1()->isActive());
    EXPECT_NE(w.setupForm(), setup) << "the next loading goes into a new dialog";
    EXPECT_EQ(w.setupForm()->relayLabelBox(4)->text(), "Preamp");
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed.isNull(); }, 5000));
}

TEST_F(ShutdownAndMenus, AboutHidesTheWindowAndOkBringsItBack)
{
    frmMonitor &w = start();
    find<QPushButton>("Command32")->click();
    w.findChild<QAction *>("mnuHelpAbout")->trigger();
    EXPECT_FALSE(w.isVisible());
    frmAbout *about = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<frmAbout *>(top); candidate && candidate->isVisible())
            about = candidate;
    }
    ASSERT_NE(about, nullptr);
    about->close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.station().following()) << "band following survives the about box";
    EXPECT_TRUE(w.Timer1()->isActive());
}

// Help → Contents runs xdg-open on the help page; a fake one on PATH stands for the desktop's.
TEST_F(ShutdownAndMenus, HelpContentsOpensTheHelpFileOrSaysWhyNot)
{
    const QByteArray path = qgetenv("PATH");
    const QString bin = home.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    QFile opener(bin + "/xdg-open");
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.page\"\nexit \"$(cat \"$0.status\")\"\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto setStatus = [&](const char *status) {
        QFile file(bin + "/xdg-open.status");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(status);
    };
    struct PathBack {
        QByteArray path;
        ~PathBack() { qputenv("PATH", path); }
    } pathBack{path};
    qputenv("PATH", bin.toLocal8Bit() + ":" + path);
    frmMonitor &w = start();
    QAction *contents = w.findChild<QAction *>("mnuHelpContents");

    setStatus("0");
    contents->trigger();
    ASSERT_EVENTUALLY(QFile::exists(bin + "/xdg-open.page"), 5000);
    QFile page(bin + "/xdg-open.page");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString shown = QString::fromLocal8Bit(page.readAll());
    EXPECT_TRUE(shown.endsWith("/help/index.html") && QFile::exists(shown)) << qPrintable(shown);
    QTest::qWait(200);
    EXPECT_EQ(messageBox(), nullptr);

    setStatus("3"); // xdg-open's status when it finds no browser
    contents->trigger();
    QMessageBox *box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("no web browser")) << qPrintable(box->text());
    box->accept();
    ASSERT_EVENTUALLY(messageBox() == nullptr, 5000);

    qputenv("PATH", "/nonexistent");
    contents->trigger();
    box = awaitMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("xdg-utils")) << qPrintable(box->text());
}
