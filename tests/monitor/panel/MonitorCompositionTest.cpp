// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What the user sees on the main window before any setting is involved: every control by
// its design name, captions, places, what lies over what, and the menus.
#include "MonitorFixture.h"
#include "MonitorPanel.h"
#include "PanelControls.h"

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
    EXPECT_EQ(w.centralWidget(), w.panel());

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
    const QStringList buttons{"Command1",  "Command22", "Command23", "Command24", "Command25",
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
    for (const char *name : {"Picture3", "Picture4", "Picture5"})
        EXPECT_EQ(find(name)->size(), find("Picture2")->size()) << name;
    EXPECT_GT(zIndex(find("Picture3")), zIndex(find("Picture2")));
    EXPECT_GT(zIndex(find("Picture5")), zIndex(find("Picture4")));

    EXPECT_TRUE(find<CommPort>("MSComm1"));
    EXPECT_TRUE(find<CommPort>("MSComm2"));
    auto *timer = find<QTimer>("Timer1");
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->interval(), 200);
}

// Places in twips, as designed: the whole layout at one scale, centred in the panel.
TEST_F(MainWindow, ControlsKeepTheirDesignedPlacesAtOneScale)
{
    frmMonitor &w = start();
    for (const QSize size : {w.panel()->size(), QSize(700, 900), QSize(300, 1300)}) {
        w.panel()->resize(size);
        const double scale = std::min(size.width() / 232.0, size.height() / 477.0);
        EXPECT_DOUBLE_EQ(w.panel()->scale(), scale);
        const QPointF origin((size.width() - 232 * scale) / 2, (size.height() - 477 * scale) / 2);
        const std::pair<const char *, QRectF> places[] = {
            {"AGauge1_0", {120, 120, 1575, 855}},
            {"AGauge1_5", {1800, 2040, 1575, 855}},
            {"AGauge1_6", {120, 3000, 1575, 855}},
            {"Command2", {120, 4200, 735, 300}},
            // Each lamp just above its own button (the design had it nearer the one above).
            {"Command13", {2640, 5400, 735, 300}},
            {"Picture1_0", {240, 4035, 495, 135}},
            {"Picture1_27", {2760, 5235, 495, 135}},
            {"Frame1", {75, 5760, 2608, 975}},
            {"Frame2", {2745, 5760, 615, 975}},
            {"Picture2", {2880, 6840, 225, 225}},
            {"Picture4", {3120, 6840, 225, 225}},
            {"Label1", {2160, 6840, 705, 225}},
            {"Command1", {195, 6000, 375, 255}},
            {"Command26", {195, 6360, 375, 255}}};
        for (const auto &[name, twips] : places) {
            const QRectF expected(origin + twips.topLeft() * scale / 15, twips.size() * scale / 15);
            const QRect actual = find(name)->geometry();
            EXPECT_NEAR(actual.x(), expected.x(), 1) << name << " at " << size.width() << "x" << size.height();
            EXPECT_NEAR(actual.y(), expected.y(), 1) << name;
            EXPECT_NEAR(actual.width(), expected.width(), 1) << name;
            EXPECT_NEAR(actual.height(), expected.height(), 1) << name;
        }
        EXPECT_EQ(find("Picture1_27")->geometry(), find("Picture1_11")->geometry());
        EXPECT_GT(find("Label2")->x(), find("Command29")->geometry().right()) << "the band code sits right of \"10\"";
    }
}

// At any size: buttons of one kind stay one size with one caption font, each relay lamp
// sits with its own button, and the "TX" indicator stays clear of both frames.
TEST_F(MainWindow, LikeControlsStayAlikeAndApartAtEverySize)
{
    frmMonitor &w = start();
    MonitorPanel *panel = w.panel();
    for (int width = 174; width <= 700; width += 13) {
        panel->resize(width, width * 477 / 232);
        const auto font = [](QPushButton *button) { return static_cast<FittingButton *>(button)->captionFont(); };
        for (int n = 2; n <= 12; ++n) {
            EXPECT_EQ(panel->relayButton(n)->size(), panel->relayButton(1)->size()) << "relay " << n << " at " << width;
            EXPECT_EQ(font(panel->relayButton(n)), font(panel->relayButton(1))) << "relay " << n << " at " << width;
        }
        for (int band = 2; band <= 9; ++band)
            EXPECT_EQ(panel->bandButton(band)->size(), panel->bandButton(1)->size()) << "band " << band;
        for (int n = 5; n <= 12; ++n) {
            const QRect lamp = panel->relayLamp(n)->geometry();
            const int toOwn = panel->relayButton(n)->geometry().top() - lamp.bottom();
            const int toAbove = lamp.top() - panel->relayButton(n - 4)->geometry().bottom();
            EXPECT_LT(toOwn, toAbove) << "lamp " << n << " at " << width;
        }
        const QRect tx = panel->txIndicator()->geometry();
        EXPECT_FALSE(tx.intersects(find("Frame1")->geometry()) || tx.intersects(find("Frame2")->geometry())) << width;
    }
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

// Seen in grey alone, as without telling red from green: an off lamp is hollow, an on
// lamp filled; a selected band's indicator is framed in dark, its button is not.
TEST_F(MainWindow, RelayAndBandStatesShowWithoutTheirColours)
{
    writeStore({{"RelayStatus2", "True"}, {"BandStatus5", "True"}});
    frmMonitor &w = start();
    const auto grey = [](const QImage &image, QPoint at) { return qGray(image.pixel(at)); };
    const int background = qGray(w.panel()->palette().color(QPalette::Window).rgb());

    // As the panel shows them, over its ground.
    const QImage off = w.panel()->grab(w.relayLamp(1)->geometry()).toImage();
    const QImage on = w.panel()->grab(w.relayLamp(2)->geometry()).toImage();
    const QPoint inside(off.width() / 5, off.height() / 2);
    EXPECT_NEAR(grey(off, inside), background, 12) << "off: an outline around the panel's ground";
    EXPECT_GT(std::abs(grey(on, inside) - background), 60) << "on: filled";

    const auto darkPixels = [](const QImage &image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 70;
        return dark;
    };
    const int selected = darkPixels(w.bandIndicator(5)->grab().toImage());
    const int plain = darkPixels(w.panel()->bandButton(5)->grab().toImage());
    EXPECT_GT(selected, 3 * plain) << selected << " against " << plain;

    // The transmit hold: framed in dark when held, plain when free, greyed when unknown.
    TxIndicator *tx = w.panel()->txIndicator();
    EXPECT_EQ(tx->text(), "TX");
    const auto look = [&](TxIndicator::State state) {
        tx->setState(state);
        return tx->grab().toImage();
    };
    const QImage held = look(TxIndicator::State::Held);
    EXPECT_TRUE(tx->font().bold());
    const QImage free = look(TxIndicator::State::Receive);
    const QImage unknown = look(TxIndicator::State::Unknown);
    EXPECT_GT(darkPixels(held), 3 * darkPixels(free)) << darkPixels(held) << " against " << darkPixels(free);
    EXPECT_LT(darkPixels(unknown), darkPixels(free)) << "greyed: not even the caption is dark";
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
    EXPECT_FALSE(w.station().following());

    find<QPushButton>("Command32")->click();
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(find("Command34")->isHidden());
    EXPECT_TRUE(find("Command33")->isHidden());

    find<QPushButton>("Command31")->click();
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(find("Command34")->isHidden());
    EXPECT_FALSE(find("Command33")->isHidden());
}
