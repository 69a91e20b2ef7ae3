// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "frmMonitor.h"

#include "AGauge.h"
#include "BandSwitch.h"
#include "CommPort.h"
#include "HelpPage.h"
#include "LinkClient.h"
#include "Message.h"
#include "MeterAcquisition.h"
#include "MonitorPanel.h"
#include "PanelControls.h"
#include "RelaySwitch.h"
#include "SettingsStore.h"
#include "TxInterlock.h"
#include "WireFormat.h"
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
#include <QTimer>
#include <cmath>

namespace tovana {

namespace {

constexpr int kTwips = MonitorPanel::kTwipsPerPixel;

// Band status entries 1..10 live on indicators 1..9: entry 10 mirrors entry 9 on "10".
int indicatorForStatus(int entry)
{
    return std::min(entry, MonitorPanel::kBandCount);
}

} // namespace

frmMonitor::frmMonitor(QWidget *parent)
    : frmMonitor(QString(), parent)
{
}

frmMonitor::frmMonitor(const QString &linkBusAddress, QWidget *parent)
    : QMainWindow(parent)
    , m_panel(new MonitorPanel(this))
    , m_timer1(new QTimer(this))
    , m_comm1(new CommPort(this))
    , m_acquisition(new MeterAcquisition(m_comm1, m_panel, &m_scaling, this))
    , m_frame(new WindowFrame(this))
    , m_reopen(new QTimer(this))
{
    setObjectName("frmMonitor");
    setWindowTitle("Tovana");
    setCentralWidget(m_panel);
    buildMenus();
    // Until the store says otherwise: the natural size, centred. A fresh store is seeded
    // with this place.
    resize(naturalSize());
    m_frame->moveTo(centredPosition(m_frame->outerSize(), QGuiApplication::primaryScreen()));

    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(200);
    m_reopen->setInterval(kReopenMs);
    connect(m_reopen, &QTimer::timeout, this, &frmMonitor::tryReopen);
    connect(m_comm1, &CommPort::portFailed, this, &frmMonitor::boardLost);
    m_comm1->setObjectName("MSComm1");
    // The design places a second port control on the window; nothing uses it.
    (new CommPort(this))->setObjectName("MSComm2");

    connect(m_panel->followOnButton(), &QPushButton::clicked, this, &frmMonitor::turnFollowingOn);
    connect(m_panel->followOffButton(), &QPushButton::clicked, this, [this] { setBandFollowing(false); });

    m_link = new LinkClient(linkBusAddress, this);
    m_link->setConnectTimeout(5000);
    // A link server that goes away (restarted, or not started yet) is taken up again when it
    // is back, with the client's growing delay between tries.
    m_link->setReconnect(true);
    m_linkBusMissing = !m_link->busError().isEmpty();
    // Made before the band switch, so a PTT and a Band announced together hold first.
    m_interlock = new TxInterlock(m_panel->txIndicator(), m_link, this);
    m_bands = new BandSwitch(m_panel, m_comm1, m_link, m_interlock, this);
    connect(m_interlock, &TxInterlock::released, m_bands, &BandSwitch::sendPending);
    connect(m_timer1, &QTimer::timeout, m_bands, &BandSwitch::tick);
    for (int position = 1; position <= MonitorPanel::kBandCount; ++position)
        connect(m_panel->bandButton(position), &QPushButton::clicked, this, [this, position] { selectBand(position); });
    // The monitor runs on without the link server; only band following waits for it.
    connect(m_link, &LinkClient::connectFailed, this, [this] { setLinkAway(true); });
    connect(m_link, &LinkClient::disconnected, this, [this] { setLinkAway(true); });
    connect(m_link, &LinkClient::connected, this, [this] { setLinkAway(false); });
    for (int n = 1; n <= kRelayCount; ++n)
        connect(relayButton(n), &QPushButton::clicked, this, [this, n] { switchRelay(n); });
}

frmMonitor::~frmMonitor() = default;

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

AGauge *frmMonitor::gauge(int index) const { return m_panel->gauge(index); }
QPushButton *frmMonitor::relayButton(int relay) const { return m_panel->relayButton(relay); }
QWidget *frmMonitor::relayLamp(int relay) const { return m_panel->relayLamp(relay); }
QPushButton *frmMonitor::bandIndicator(int band) const { return m_panel->bandIndicator(band); }
QLabel *frmMonitor::Label2() const { return m_panel->bandCode(); }

bool frmMonitor::bandFollowing() const
{
    return !m_panel->followOnIndicator()->isHidden();
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
        activate();
}

void frmMonitor::activate()
{
    SettingsStore store;
    SeedValues seed;
    for (int n = 1; n <= kRelayCount; ++n)
        seed.relayCaptions[n - 1] = relayButton(n)->text();
    seed.position = positionInTwips();
    if (!RegInit(store, seed))
        showMessage(QStringLiteral("The default settings could not be saved: %1").arg(store.errorString()));
    const Preferences prefs = GetPreferences(store, positionInTwips());
    applyPreferences(prefs);
    m_link->connectToServer();

    // Off at program start; after a dialog it stays as the user left it.
    if (!m_activated)
        setBandFollowing(false);
    m_activated = true;
    m_reopen->stop();
    configurePort(prefs.port);
    if (!m_comm1->open()) {
        showMessage(QStringLiteral("COM %1: not available. Check Comm Port setting.\n%2")
                        .arg(QString::number(m_comm1->portNumber()), m_comm1->errorString()));
        return;
    }
    startOnPort();
}

// A port just opened serves a board that may have just been switched on, with every relay
// off: it is given the relays and the band the panel shows before the cycle starts, so the
// panel and the board agree.
void frmMonitor::startOnPort()
{
    m_comm1->setInputLength(1);
    for (int n = 1; n <= kRelayCount; ++n)
        m_comm1->output(QByteArray(1, relayByte(n, !relayLamp(n)->isHidden())));
    BandEncoder();
    PollMeters();
}

// The port failed under the cycle (the adapter pulled, the board's line gone): the gauges
// stop showing readings as live, and the same port is tried again until it opens.
void frmMonitor::boardLost(const QString &reason)
{
    m_panel->setBoardNotice(QStringLiteral("The board is gone"),
                            QStringLiteral("%1\nCOM%2 is tried again every %3 s.")
                                .arg(reason)
                                .arg(m_comm1->portNumber())
                                .arg(kReopenMs / 1000));
    m_reopen->start();
}

void frmMonitor::tryReopen()
{
    if (!m_comm1->isOpen() && !m_comm1->open())
        return;
    m_reopen->stop();
    startOnPort();
}

void frmMonitor::setMtr_response(int value)
{
    m_mtrResponse = value;
    m_acquisition->setSettleDelay(value);
}

void frmMonitor::PollMeters()
{
    m_acquisition->setSettleDelay(m_mtrResponse.value_or(0));
    m_acquisition->restart();
}

// The lamp changes only when the byte went out; a closed port changes nothing.
void frmMonitor::switchRelay(int relay)
{
    if (!toggleRelay(*m_comm1, *relayLamp(relay), relay)) {
        showMessage(QStringLiteral("%1 was not switched: %2").arg(relayButton(relay)->text(), m_comm1->errorString()));
        return;
    }
    SaveSettings();
    PollMeters();
}

void frmMonitor::applyPreferences(const Preferences &prefs)
{
    sizeWindow(prefs.size, prefs.position);
    placeWindow(prefs.position);

    frmSetup *setup = setupForm();
    for (int n = 1; n <= kRelayCount; ++n)
        setup->setRelayLabel(n, prefs.relays[n - 1].label);
    for (int n = 1; n <= kRelayCount; ++n)
        relayLamp(n)->setVisible(prefs.relays[n - 1].status);
    for (int entry = 1; entry <= kBandStatusCount; ++entry)
        bandIndicator(indicatorForStatus(entry))->setVisible(prefs.bandStatus[entry - 1]);

    if (m_comm1->isOpen())
        m_comm1->close();
    m_comm1->setPortNumber(prefs.port.number);
    setup->selectPortOption(prefs.port.number);
    m_comm1->setSettings(prefs.port.settings);
    setup->selectSpeedOption(prefs.port.settings, QLatin1Char('N'));

    setup->setResponse(prefs.meterResponse);
    setup->setHoldWhileTx(prefs.interlock.holdWhileTx);

    for (int i = 0; i < kMeterCount; ++i) {
        const MeterConfig &meter = prefs.meters[i];
        AGauge *g = gauge(i);
        g->setScaleMin(meter.scaleMin);
        g->setScaleMax(meter.scaleMax);
        for (int set : {0, 1}) {
            g->setTickSet(set);
            g->setSubTickCount(meter.ticSubCount);
        }
        g->setCaption(meter.caption);
        for (int band = 0; band < 3; ++band) {
            const Annulus &ring = meter.bands[band];
            g->setAnnulus(band + 2);
            // The first band always starts at the scale minimum.
            g->setAnnulusStart(band == 0 ? meter.scaleMin : ring.start);
            g->setAnnulusStop(ring.stop);
            g->setAnnulusColor(ring.color);
        }
    }
    GetMultiplier();
}

void frmMonitor::configurePort(const PortConfig &port)
{
    frmSetup *setup = setupForm();
    if (m_comm1->isOpen())
        m_comm1->close();
    m_comm1->setPortNumber(port.number);
    setup->selectPortOption(port.number);
    m_comm1->setSettings(port.settings);
    setup->selectSpeedOption(port.settings, QLatin1Char('n'));
}

void frmMonitor::GetMultiplier()
{
    std::array<Scale, kMeterCount> scales;
    for (int i = 0; i < kMeterCount; ++i)
        scales[i] = {gauge(i)->scaleMin(), gauge(i)->scaleMax()};
    SettingsStore store;
    m_scaling = tovana::GetMultiplier(store, scales);
}

Preferences frmMonitor::gatherPreferences()
{
    Preferences prefs;
    prefs.port = {m_comm1->portNumber(), m_comm1->settings()};
    for (int i = 0; i < kMeterCount; ++i) {
        MeterConfig &meter = prefs.meters[i];
        AGauge *g = gauge(i);
        for (int band = 0; band < 3; ++band) {
            g->setAnnulus(band + 2);
            meter.bands[band] = {g->annulusStart(), g->annulusStop(), g->annulusColor()};
        }
        meter.scaleMin = g->scaleMin();
        meter.scaleMax = g->scaleMax();
        meter.ticSubCount = g->subTickCount();
        meter.caption = g->caption();
    }
    prefs.meterResponse = setupForm()->response();
    prefs.interlock.holdWhileTx = holdWhileTx();
    for (int n = 1; n <= kRelayCount; ++n)
        prefs.relays[n - 1] = {relayButton(n)->text(), !relayLamp(n)->isHidden()};
    prefs.position = positionInTwips();
    prefs.size = {double(width() * kTwips), double(height() * kTwips)};
    for (int entry = 1; entry <= kBandStatusCount; ++entry)
        prefs.bandStatus[entry - 1] = !bandIndicator(indicatorForStatus(entry))->isHidden();
    return prefs;
}

bool frmMonitor::SaveSettings()
{
    SettingsStore store;
    if (tovana::SaveSettings(store, gatherPreferences()))
        return true;
    QString text = QStringLiteral("The settings could not be saved: %1").arg(store.errorString());
    if (m_closeDespiteFailedSave)
        text += QStringLiteral("\nClose the window again to end without saving.");
    showMessage(text);
    return false;
}

void frmMonitor::closeEvent(QCloseEvent *event)
{
    // A refused save keeps the window open once, so the user learns of it before the
    // program ends; closing again ends it without saving.
    const bool firstAttempt = !m_closeDespiteFailedSave;
    m_closeDespiteFailedSave = true;
    if (!SaveSettings() && firstAttempt) {
        event->ignore();
        return;
    }
    m_timer1->stop();
    event->accept();
    QCoreApplication::exit(0);
}

// The size the panel wants for the running font, with the menu bar, shrunk to the screen.
QSize frmMonitor::naturalSize() const
{
    const QSize wanted(m_panel->sizeHint().width(), m_panel->sizeHint().height() + menuBar()->sizeHint().height());
    return fittedSize(wanted, m_frame->extra(), QGuiApplication::primaryScreen());
}

void frmMonitor::sizeWindow(const WindowSize &stored, const WindowPosition &position)
{
    if (!stored.isValid())
        return;  // the natural size, or what the user made of it since
    const QPoint place(int(position.left / kTwips), int(position.top / kTwips));
    const QScreen *screen = QGuiApplication::screenAt(place);
    const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    const QSize room = area.size() - m_frame->extra();
    resize(std::min(int(std::lround(stored.width / kTwips)), room.width()),
           std::min(int(std::lround(stored.height / kTwips)), room.height()));
}

// Positions are the frame's outer top left, as pos() and move() take them for a window,
// so a saved place comes back as it was. One whose title bar would be out of reach comes
// back moved onto a screen; the stored place stays in the store until the next save.
void frmMonitor::placeWindow(const WindowPosition &position)
{
    const QPoint stored(int(position.left / kTwips), int(position.top / kTwips));
    m_frame->moveTo(reachablePosition(QRect(stored, m_frame->outerSize()), m_frame->titleHeight()));
}

// Where the window stands, as it would be placed again: never a place out of reach.
WindowPosition frmMonitor::positionInTwips() const
{
    const QPoint place = reachablePosition(QRect(m_frame->place(), m_frame->outerSize()), m_frame->titleHeight());
    return {double(place.x() * kTwips), double(place.y() * kTwips)};
}

void frmMonitor::BandReset()
{
    m_bands->BandReset();
}

bool frmMonitor::BandEncoder()
{
    return m_bands->BandEncoder();
}

// A band chosen by hand ends band following and is saved at once; with the port closed it
// is still shown and saved, and its code goes out with the first tick that finds the port
// open. Under transmit, with the interlock on, it is refused and changes nothing.
void frmMonitor::selectBand(int position)
{
    if (m_interlock->holds()) {
        showMessage(QStringLiteral("The band relays are held while the radio transmits."));
        return;
    }
    setBandFollowing(false);
    m_bands->select(position);
    SaveSettings();
    if (!BandEncoder()) {
        showMessage(QStringLiteral("The band code was not sent: %1").arg(m_comm1->errorString()));
        return;
    }
    PollMeters();
}

void frmMonitor::setBandFollowing(bool on)
{
    m_panel->followOnIndicator()->setVisible(on);
    m_panel->followOffIndicator()->setVisible(!on);
    if (on)
        m_timer1->start();
    else
        m_timer1->stop();
    m_bands->setFollowing(on);
    watchChanges();
}

// A click on "On": following starts at once, or as soon as the link server is there; the
// operator is told when it cannot work now, and only then.
void frmMonitor::turnFollowingOn()
{
    setBandFollowing(true);
    m_tellLinkAway = !m_link->isConnected();
    if (m_linkAway)
        setLinkAway(true);
}

void frmMonitor::setLinkAway(bool away)
{
    m_linkAway = away;
    m_panel->setLinkAway(away ? QStringLiteral("The link server (tethra) cannot be reached: band following waits for it.")
                              : QString());
    if (!away || !m_tellLinkAway || !bandFollowing())
        return;
    m_tellLinkAway = false;
    if (m_linkBusMissing)
        showMessage(QStringLiteral("Band following cannot reach the link server: there is no desktop session bus.\n"
                                   "Start Tovana from your desktop session, where the link server (tethra) is "
                                   "started when it is needed."));
    else
        showMessage(QStringLiteral("Band following waits for the link server (tethra), which cannot be reached.\n"
                                   "Install the tethra package if it is missing, or start the radio program that runs "
                                   "it; band following starts by itself once the link server is there."));
}

bool frmMonitor::holdWhileTx() const
{
    return m_interlock->isEnabled();
}

void frmMonitor::setHoldWhileTx(bool on)
{
    m_interlock->setEnabled(on);
    watchChanges();
}

// Announcements are only wanted while something follows them.
void frmMonitor::watchChanges()
{
    m_link->watchChanges(bandFollowing() || holdWhileTx());
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

void frmMonitor::showMessage(const QString &text)
{
    tovana::showMessage(this, text);
}

} // namespace tovana
