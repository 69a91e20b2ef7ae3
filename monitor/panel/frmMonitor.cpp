// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "frmMonitor.h"

#include "AGauge.h"
#include "BandTable.h"
#include "CommPort.h"
#include "HelpPage.h"
#include "LinkClient.h"
#include "LinkFollower.h"
#include "MeterPlot.h"
#include "Message.h"
#include "MonitorPanel.h"
#include "PanelControls.h"
#include "Station.h"
#include "StationHost.h"
#include "TripBar.h"
#include "WindowFrame.h"
#include "WindowPlacement.h"
#include "frmAbout.h"
#include "frmSetup.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <cmath>

namespace tovana {

namespace {

constexpr int kTwips = station::kTwipsPerPixel;

QString text(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

frmMonitor::frmMonitor(const QString &linkBusAddress, QWidget *parent)
    : QMainWindow(parent)
    , m_panel(new MonitorPanel(this))
    , m_host(new StationHost(linkBusAddress, this))
    , m_frame(new WindowFrame(this))
    , m_tripBar(new TripBar(this))
{
    setObjectName("frmMonitor");
    setWindowTitle("Tovana");
    setCentralWidget(m_panel);
    buildMenus();
    // Until the store says otherwise: the natural size, centred. A fresh store is seeded
    // with this place.
    resize(naturalSize());
    m_frame->moveTo(centredPosition(m_frame->outerSize(), QGuiApplication::primaryScreen()));
    // The design places a second port control on the window; nothing uses it.
    (new CommPort(this))->setObjectName("MSComm2");

    connect(m_host, &StationHost::message, this, &frmMonitor::showMessage);
    m_host->setBeforeSave([this] { rememberWindowPlace(); });
    station().addObserver(this);

    connect(m_panel->followOnButton(), &QPushButton::clicked, this, &frmMonitor::turnFollowingOn);
    connect(m_panel->followOffButton(), &QPushButton::clicked, this,
            [this] { m_host->perform(station().setFollowing(false)); });
    for (int position = 1; position <= station::kBandCount; ++position)
        connect(m_panel->bandButton(position), &QPushButton::clicked, this,
                [this, position] { m_host->perform(station().chooseBand(position)); });
    for (int n = 1; n <= station::kRelayCount; ++n)
        connect(relayButton(n), &QPushButton::clicked, this, [this, n] { m_host->perform(station().switchRelay(n)); });
    for (int n = 1; n <= station::kRelayCount; ++n)
        showRelay(n);
    showFollowing();
    showHold();

    // The trip's line takes room below the panel only while a trip waits.
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(m_tripBar, 1);
    statusBar()->hide();
    for (int i = 0; i < station::kMeterCount; ++i)
        connect(gauge(i), &AGauge::doubleClicked, this, [this, i] { openPlot(i); });
    connect(m_tripBar, &TripBar::acknowledgeClicked, this,
            [this](int meter) { m_host->perform(station().acknowledge(meter)); });
}

frmMonitor::~frmMonitor()
{
    // Setup dialogs (the open one, and one closed but not yet deleted) watch the station
    // too; the host that owns the station is an older child and would go first.
    qDeleteAll(findChildren<frmSetup *>(Qt::FindDirectChildrenOnly));
    qDeleteAll(findChildren<MeterPlot *>(Qt::FindDirectChildrenOnly));
    station().removeObserver(this);
}

station::Station &frmMonitor::station() const
{
    return m_host->station();
}

void frmMonitor::buildMenus()
{
    QMenu *file = menuBar()->addMenu("&File");
    file->menuAction()->setObjectName("mnuFile");
    for (const auto &[name, caption] : {std::pair{"mnuOpen", "&Open"}, std::pair{"mnuSave", "&Save Settings"},
                                        std::pair{"mnuSaveAs", "&Save Settings As..."}}) {
        QAction *item = file->addAction(caption);
        item->setObjectName(name);
        item->setVisible(false);
        item->setEnabled(false);
    }
    QAction *exitItem = file->addAction("&Exit", this, &QWidget::close);
    exitItem->setObjectName("mnuExit");

    QAction *setup = menuBar()->addAction("&Setup", this, &frmMonitor::showSetup);
    setup->setObjectName("mnuSetup");

    QMenu *help = menuBar()->addMenu("&Help");
    help->menuAction()->setObjectName("mnuHelp");
    help->addAction("&Contents", this, &frmMonitor::openHelp)->setObjectName("mnuHelpContents");
    help->addAction("&About", this, &frmMonitor::showAbout)->setObjectName("mnuHelpAbout");
}

AGauge *frmMonitor::gauge(int index) const
{
    return m_panel->gauge(index);
}
QPushButton *frmMonitor::relayButton(int relay) const
{
    return m_panel->relayButton(relay);
}
QWidget *frmMonitor::relayLamp(int relay) const
{
    return m_panel->relayLamp(relay);
}
QPushButton *frmMonitor::bandIndicator(int band) const
{
    return m_panel->bandIndicator(band);
}
QLabel *frmMonitor::Label2() const
{
    return m_panel->bandCode();
}
CommPort *frmMonitor::MSComm1() const
{
    return m_host->port();
}
QTimer *frmMonitor::Timer1() const
{
    return m_host->link()->timer1();
}
LinkFollower *frmMonitor::link() const
{
    return m_host->link();
}

frmSetup *frmMonitor::setupForm()
{
    if (!m_setup)
        m_setup = new frmSetup(this);
    return m_setup;
}

void frmMonitor::setupClosed(frmSetup *dialog)
{
    if (m_setup == dialog)
        m_setup = nullptr;
    show();
}

void frmMonitor::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Shown by the program (start, dialog closed), not restored by the window system.
    if (!event->spontaneous())
        m_host->activate();
}

// -- The views of the station

void frmMonitor::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    switch (change) {
    case StationChange::Meter: showMeter(index); break;
    case StationChange::Readings:
        for (int i = 0; i < station::kMeterCount; ++i)
            gauge(i)->setNeedleValue(station().reading(i));
        break;
    case StationChange::Relay: showRelay(index); break;
    case StationChange::Bands: showBands(); break;
    case StationChange::Following: showFollowing(); break;
    case StationChange::Link: showLink(); break;
    case StationChange::Hold: showHold(); break;
    case StationChange::Board: showBoard(); break;
    case StationChange::Lamps: showLamps(); break;
    case StationChange::Port:
    case StationChange::Response:
    case StationChange::Limit: break;
    case StationChange::Trip: showTrip(index); break;
    case StationChange::All:
        showWindowPlace();
        for (int i = 0; i < station::kMeterCount; ++i)
            showMeter(i);
        for (int n = 1; n <= station::kRelayCount; ++n)
            showRelay(n);
        showBands();
        showFollowing();
        showHold();
        showBoard();
        showTrip(-1);
        break;
    }
}

// One plot per meter: a second double-click raises the one open.
MeterPlot *frmMonitor::openPlot(int meter)
{
    for (MeterPlot *plot : findChildren<MeterPlot *>(Qt::FindDirectChildrenOnly)) {
        if (plot->meter() == meter) {
            plot->raise();
            plot->activateWindow();
            return plot;
        }
    }
    auto *plot = new MeterPlot(station(), meter, this);
    plot->show();
    return plot;
}

void frmMonitor::showTrip(int)
{
    m_tripBar->showTrips(station());
    statusBar()->setVisible(m_tripBar->meter() >= 0);
    for (int i = 0; i < station::kMeterCount; ++i)
        gauge(i)->setTripped(station().trip(i).latched);
}

void frmMonitor::showMeter(int index)
{
    const station::MeterConfig &meter = station().meter(index);
    AGauge *g = gauge(index);
    g->setScaleMin(meter.scaleMin);
    g->setScaleMax(meter.scaleMax);
    for (int set : {0, 1}) {
        g->setTickSet(set);
        g->setSubTickCount(meter.ticSubCount);
    }
    g->setCaption(text(meter.caption));
    // The two background rings span the scale; the three colour bands are the meter's.
    for (int ring : {0, 1}) {
        g->setAnnulus(ring);
        g->setAnnulusStart(meter.scaleMin);
        g->setAnnulusStop(meter.scaleMax);
    }
    for (int band = 0; band < 3; ++band) {
        g->setAnnulus(band + 2);
        g->setAnnulusStart(meter.bands[band].start);
        g->setAnnulusStop(meter.bands[band].stop);
        g->setAnnulusColor(meter.bands[band].color);
    }
}

void frmMonitor::showRelay(int relay)
{
    m_panel->setRelayCaption(relay, text(station().relay(relay).label));
    relayLamp(relay)->setVisible(station().relay(relay).status);
}

void frmMonitor::showBands()
{
    for (int position = 1; position <= station::kBandCount; ++position)
        bandIndicator(position)->setVisible(station().bandShown(position));
    Label2()->setText(text(station().bandCode()));
}

void frmMonitor::showFollowing()
{
    m_panel->followOnIndicator()->setVisible(station().following());
    m_panel->followOffIndicator()->setVisible(!station().following());
}

// The link server's state shows quietly on the band-following frame; the operator is told
// in a message only on asking for band following while it cannot work.
void frmMonitor::showLink()
{
    const bool away = station().linkAway();
    m_panel->setLinkAway(
        away ? QStringLiteral("The link server (tethra) cannot be reached: band following waits for it.") : QString());
    if (!away) {
        m_tellLinkAway = false;
        return;
    }
    if (!m_tellLinkAway || !station().following())
        return;
    m_tellLinkAway = false;
    if (m_host->link()->busMissing())
        showMessage(QStringLiteral("Band following cannot reach the link server: there is no desktop session bus.\n"
                                   "Start Tovana from your desktop session, where the link server (tethra) is "
                                   "started when it is needed."));
    else
        showMessage(QStringLiteral("Band following waits for the link server (tethra), which cannot be reached.\n"
                                   "Install the tethra package if it is missing, or start the radio program that runs "
                                   "it; band following starts by itself once the link server is there."));
}

void frmMonitor::showHold()
{
    TxIndicator *tx = m_panel->txIndicator();
    tx->setVisible(station().holdWhileTx());
    const station::Tx state = station().tx();
    tx->setState(!station().holdWhileTx() || state == station::Tx::Receive ? TxIndicator::State::Receive
                 : state == station::Tx::Transmit                          ? TxIndicator::State::Held
                                                                           : TxIndicator::State::Unknown);
}

void frmMonitor::showBoard()
{
    switch (station().board()) {
    case station::BoardState::Silent: m_panel->setBoardNotice(QStringLiteral("No reply from the board")); break;
    case station::BoardState::Gone:
        m_panel->setBoardNotice(QStringLiteral("The board is gone"),
                                QStringLiteral("%1\nCOM%2 is tried again every %3 s.")
                                    .arg(text(station().boardLostReason()))
                                    .arg(station().port().number)
                                    .arg(StationHost::kReopenMs / 1000));
        break;
    default: m_panel->setBoardNotice({}); break;
    }
}

void frmMonitor::showLamps()
{
    m_panel->activityLampA()->setVisible(station().lampALit());
    m_panel->activityLampB()->setVisible(!station().lampALit());
}

// -- The window's place and size, as stored

// The size the panel wants for the running font, with the menu bar, shrunk to the screen.
QSize frmMonitor::naturalSize() const
{
    const QSize wanted(m_panel->sizeHint().width(), m_panel->sizeHint().height() + menuBar()->sizeHint().height());
    return fittedSize(wanted, m_frame->extra(), QGuiApplication::primaryScreen());
}

// Positions are the frame's outer top left, so a saved place comes back as it was. One
// whose title bar would be out of reach comes back moved onto a screen; the stored place
// stays in the store until the next save.
void frmMonitor::showWindowPlace()
{
    const station::WindowPosition &position = station().windowPosition();
    const QPoint stored(int(position.left / kTwips), int(position.top / kTwips));
    if (const station::WindowSize &size = station().windowSize(); size.isValid()) {
        const QScreen *screen = QGuiApplication::screenAt(stored);
        const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
        const QSize room = area.size() - m_frame->extra();
        resize(std::min(int(std::lround(size.width / kTwips)), room.width()),
               std::min(int(std::lround(size.height / kTwips)), room.height()));
    }
    m_frame->moveTo(reachablePosition(QRect(stored, m_frame->outerSize()), m_frame->titleHeight()));
}

// Where the window stands, as it would be placed again: never a place out of reach.
void frmMonitor::rememberWindowPlace()
{
    const QPoint place = reachablePosition(QRect(m_frame->place(), m_frame->outerSize()), m_frame->titleHeight());
    station().setWindow({double(place.x() * kTwips), double(place.y() * kTwips)},
                        {double(width() * kTwips), double(height() * kTwips)});
}

// -- Clicks and menus

// A click on "On": following starts at once, or as soon as the link server is there; the
// operator is told when it cannot work now, and only then.
void frmMonitor::turnFollowingOn()
{
    m_host->perform(station().setFollowing(true));
    m_tellLinkAway = !link()->client()->isConnected();
    if (station().linkAway())
        showLink();
}

bool frmMonitor::SaveSettings()
{
    return m_host->save(m_closeDespiteFailedSave ? QStringLiteral("Close the window again to end without saving.")
                                                 : QString());
}

void frmMonitor::closeEvent(QCloseEvent *event)
{
    // A refused save keeps the window open once, so the operator learns of it before the
    // program ends; closing again ends it without saving.
    const bool firstAttempt = !m_closeDespiteFailedSave;
    m_closeDespiteFailedSave = true;
    if (!SaveSettings() && firstAttempt) {
        event->ignore();
        return;
    }
    Timer1()->stop();
    event->accept();
    QCoreApplication::exit(0);
}

void frmMonitor::openHelp()
{
    openHelpPage(this);
}

void frmMonitor::showSetup()
{
    hide();
    setupForm()->show();
}

void frmMonitor::showAbout()
{
    hide();
    (new frmAbout(this))->show();
}

void frmMonitor::showMessage(const QString &message)
{
    tovana::showMessage(this, message);
}

} // namespace tovana
