// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkFollower.h"

#include "LinkClient.h"

namespace tovana {

namespace {

const QString kBand = QStringLiteral("Band");
const QString kPtt = QStringLiteral("PTT");

std::optional<qint32> longOf(const QVariant &value)
{
    if (value.metaType().id() != QMetaType::Int)
        return std::nullopt;
    return value.toInt();
}

} // namespace

LinkFollower::LinkFollower(station::Station &station, std::function<void(station::Outcome)> perform,
                           const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_perform(std::move(perform))
    , m_link(new tethra::client::LinkClient(busAddress, this))
    , m_timer1(this)
    , m_pttPoll(this)
{
    m_timer1.setObjectName("Timer1");
    m_timer1.setInterval(kTickMs);
    connect(&m_timer1, &QTimer::timeout, this, &LinkFollower::tick);
    m_pttPoll.setInterval(kTickMs);
    connect(&m_pttPoll, &QTimer::timeout, this, &LinkFollower::pollPtt);

    m_link->setConnectTimeout(5000);
    m_link->setReconnect(true);
    connect(m_link, &tethra::client::LinkClient::propertiesChanged, this, &LinkFollower::onChanged);
    // A new object may stand elsewhere: what was read of the old one no longer counts, and
    // a link taken up again is followed at once, not at the next tick.
    connect(m_link, &tethra::client::LinkClient::connected, this, [this] {
        abandonReads();
        m_perform(m_station.setLinkAway(false));
        if (m_station.following())
            tick();
        if (m_station.wantsTx())
            pollPtt();
    });
    const auto lost = [this] {
        abandonReads();
        m_perform(m_station.setLinkAway(true));
    };
    connect(m_link, &tethra::client::LinkClient::connectFailed, this, lost);
    connect(m_link, &tethra::client::LinkClient::disconnected, this, lost);
    m_station.addObserver(this);
}

LinkFollower::~LinkFollower()
{
    m_station.removeObserver(this);
}

void LinkFollower::connectToServer()
{
    m_link->connectToServer();
}

bool LinkFollower::busMissing() const
{
    return !m_link->busError().isEmpty();
}

void LinkFollower::stationChanged(station::StationChange change, int)
{
    using station::StationChange;
    if (change == StationChange::Following || change == StationChange::All) {
        if (m_station.following() != m_timer1.isActive()) {
            if (m_station.following()) {
                m_timer1.start();
            } else {
                m_timer1.stop();
                abandonReads();
            }
        }
        watch();
    }
    if (change == StationChange::Hold || change == StationChange::All) {
        if (m_station.wantsTx() != m_pttPoll.isActive()) {
            if (m_station.wantsTx()) {
                m_pttPoll.start();
                // Read at once, once the station has finished telling of the change.
                QMetaObject::invokeMethod(this, &LinkFollower::pollPtt, Qt::QueuedConnection);
            } else {
                m_pttPoll.stop();
                abandonReads();
            }
        }
        watch();
    }
}

// Announcements are only wanted while something follows them.
void LinkFollower::watch()
{
    m_link->watchChanges(m_station.following() || m_station.wantsTx());
}

// A code kept back goes out first; then one read of Band, unless the last is still out (a
// hung server costs at most the client's call timeout).
void LinkFollower::tick()
{
    m_perform(m_station.tick());
    if (m_bandReadOut || !m_link->isConnected())
        return;
    m_bandReadOut = true;
    const quint64 generation = m_generation;
    m_link->read(kBand, this, [this, generation](const tethra::client::Reply &reply) {
        if (generation != m_generation)
            return;
        m_bandReadOut = false;
        const auto band = reply.ok() ? longOf(reply.value) : std::nullopt;
        if (!band)
            return; // any error ends the tick silently
        m_perform(m_station.linkBand(*band));
        emit bandRead(*band);
    });
}

// When PTT cannot be read nothing is held: the transmit state is unknown.
void LinkFollower::pollPtt()
{
    if (!m_link->isConnected()) {
        m_perform(m_station.linkPttUnknown());
        return;
    }
    if (m_pttReadOut)
        return;
    m_pttReadOut = true;
    const quint64 generation = m_generation;
    m_link->read(kPtt, this, [this, generation](const tethra::client::Reply &reply) {
        if (generation != m_generation)
            return;
        m_pttReadOut = false;
        const auto ptt = reply.ok() ? longOf(reply.value) : std::nullopt;
        if (!ptt) {
            m_perform(m_station.linkPttUnknown());
            return;
        }
        m_perform(m_station.linkPtt(*ptt));
        emit pttSeen(*ptt);
    });
}

void LinkFollower::onChanged(const QVariantMap &changed)
{
    // PTT first: a PTT and a Band announced together hold before the band is acted on.
    if (const auto ptt = longOf(changed.value(kPtt)); ptt && m_station.wantsTx()) {
        m_perform(m_station.linkPtt(*ptt));
        emit pttSeen(*ptt);
    }
    if (const auto band = longOf(changed.value(kBand)); band && m_station.following()) {
        m_perform(m_station.linkBand(*band));
        emit bandAnnounced(*band);
    }
}

void LinkFollower::abandonReads()
{
    ++m_generation;
    m_bandReadOut = false;
    m_pttReadOut = false;
}

} // namespace tovana
