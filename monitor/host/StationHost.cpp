// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationHost.h"

#include "CommPort.h"
#include "HistoryCsv.h"
#include "LinkFollower.h"
#include "SerialLine.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "KeyCatalogue.h"

#include <QDateTime>
#include <QDebug>

namespace tovana {

StationHost::StationHost(const QString &linkBusAddress, QObject *parent)
    : QObject(parent)
    , m_comm1(new CommPort(this))
    , m_line(new SerialLine(m_comm1, this))
    , m_link(new LinkFollower(
          m_station, [this](station::Outcome outcome) { perform(std::move(outcome)); }, linkBusAddress, this))
    , m_csv(new HistoryCsv(m_station, this))
{
    connect(m_csv, &HistoryCsv::failed, this, &StationHost::message);
    m_comm1->setObjectName("MSComm1");
    connect(m_line, &SerialLine::bytesReceived, this,
            [this](const std::string &bytes) { perform(m_station.bytesReceived(bytes)); });
    connect(m_line, &SerialLine::settleElapsed, this, [this] { perform(m_station.settleElapsed()); });
    connect(m_line, &SerialLine::replyTimeout, this, [this] { perform(m_station.replyTimeout()); });
    connect(m_line, &SerialLine::failed, this, &StationHost::portLost);
    // Whoever closes the port (a new setting, the activation), the station hears of it.
    connect(m_comm1, &CommPort::closed, this, [this] {
        if (m_station.portOpen())
            perform(m_station.portClosed(false));
    });
    m_station.setClock([] { return QDateTime::currentMSecsSinceEpoch(); });
    m_station.addObserver(this);
    m_reopen.setInterval(kReopenMs);
    connect(&m_reopen, &QTimer::timeout, this, &StationHost::tryReopen);
}

StationHost::~StationHost()
{
    // The link follower and the CSV writer watch the station, a member, which would go
    // before the children.
    delete m_link;
    delete m_csv;
    m_station.removeObserver(this);
}

void StationHost::activate()
{
    if (m_beforeSave)
        m_beforeSave();
    SettingsStore store;
    if (!station::RegInit(store, m_station.seedValues()))
        emit message(QStringLiteral("The default settings could not be saved: %1").arg(store.errorString()));
    const station::Preferences prefs = station::GetPreferences(store, m_station.windowPosition());
    closePort();
    m_station.load(prefs, station::GetMultiplier(store, prefs.meters));
    m_csv->configure(store);
    std::vector<std::string> problems;
    station::UnreadableLimits unreadable;
    m_station.setLimits(station::loadLimits(store, problems, &unreadable));
    m_unreadableLimits = unreadable; // after setLimits, whose notices would clear them
    if (!problems.empty())
        emit message(QStringLiteral("These limits could not be read and are off:\n%1")
                         .arg(QString::fromStdString(problems.front())) +
                     (problems.size() > 1 ? QStringLiteral(" (and %1 more)").arg(problems.size() - 1) : QString()));
    m_link->connectToServer();
    // Off at program start; after a dialog it stays as the operator left it.
    if (!m_activated)
        perform(m_station.setFollowing(false));
    m_activated = true;
    m_reopen.stop();
    openPort();
}

// The closed port holds the station's number and settings, so that what it names in a
// message is what the operator chose.
void StationHost::configurePort()
{
    m_comm1->setPortNumber(m_station.port().number);
    m_comm1->setSettings(QString::fromStdString(m_station.port().settings));
}

// The port is set up twice in the activation, once as the settings are loaded and once
// just before it opens; both amount to closing it and giving it the stored number and
// settings, which is what happens here.
void StationHost::openPort()
{
    configurePort();
    if (!m_comm1->open()) {
        emit message(QStringLiteral("COM %1: not available. Check Comm Port setting.\n%2")
                         .arg(QString::number(m_comm1->portNumber()), m_comm1->errorString()));
        // Told once; the board plugged in (or the port freed by another program) later is
        // taken up without another word, as a board lost under the cycle is.
        m_reopen.start();
        return;
    }
    m_comm1->setInputLength(1);
    perform(m_station.portOpened());
}

void StationHost::closePort()
{
    m_comm1->close();
}

// The port failed under the cycle (the adapter pulled, the board's line gone): the station
// shows its readings as stale, and the same port is tried again until it opens.
void StationHost::portLost(const QString &reason)
{
    perform(m_station.portClosed(true, reason.toStdString()));
    m_reopen.start();
}

void StationHost::tryReopen()
{
    configurePort();
    if (!m_comm1->isOpen() && !m_comm1->open())
        return;
    m_reopen.stop();
    m_comm1->setInputLength(1);
    perform(m_station.portOpened());
}

void StationHost::perform(station::Outcome outcome)
{
    if (!outcome.refusal.empty()) {
        emit message(QString::fromStdString(outcome.refusal));
        return;
    }
    if (outcome.closePort) {
        m_comm1->close();
        configurePort();
    }
    m_line->carryOut(outcome.line);
    if (outcome.save)
        save();
    if (!outcome.notice.empty())
        emit message(QString::fromStdString(outcome.notice));
}

bool StationHost::save(const QString &addendum)
{
    if (m_beforeSave)
        m_beforeSave();
    SettingsStore store;
    station::saveLimits(store, m_station.limits(), '.', m_unreadableLimits);
    if (station::SaveSettings(store, m_station.preferences()))
        return true;
    QString text = QStringLiteral("The settings could not be saved: %1").arg(store.errorString());
    if (!addendum.isEmpty())
        text += u'\n' + addendum;
    emit message(text);
    return false;
}

bool StationHost::saveMultiplier(int meter, double multiplier)
{
    SettingsStore store;
    if (!station::SaveMultiplier(store, meter, multiplier)) {
        emit message(QStringLiteral("The multiplier could not be saved: %1").arg(store.errorString()));
        return false;
    }
    m_station.setMultiplier(meter,
                            store.GetSetting(QString::fromStdString(station::multiplierKey(meter))).toStdString());
    return true;
}

// Every trip and acknowledgement goes to the log with its time.
void StationHost::stationChanged(station::StationChange change, int index)
{
    // A limit set anew replaces the text that could not be read.
    if (change == station::StationChange::Limit && index >= 0)
        m_unreadableLimits[index] = false;
    if (change != station::StationChange::Trip)
        return;
    const station::LimitEvent &event = m_station.lastLimitEvent();
    qInfo().noquote() << QDateTime::fromMSecsSinceEpoch(event.at).toString(Qt::ISODateWithMs)
                      << QString::fromStdString(m_station.meter(index).caption)
                      << (event.kind == station::LimitEvent::Kind::Tripped ? "limit tripped at"
                                                                           : "trip acknowledged at")
                      << event.reading;
}

} // namespace tovana
