// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationPublisher.h"

#include "Station.h"
#include "StationCommand.h"
#include "StationHost.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <variant>

namespace tovana::network {

namespace {

constexpr int kReadingSpacingMs = 1000 / StationPublisher::kReadingsPerSecond;

QString onOff(bool on)
{
    return on ? topics::kOn : topics::kOff;
}

QString boardText(station::BoardState state)
{
    switch (state) {
    case station::BoardState::Answering: return topics::kBoardAnswering;
    case station::BoardState::Opened:
    case station::BoardState::Silent: return topics::kBoardSilent;
    case station::BoardState::Closed:
    case station::BoardState::Gone: break;
    }
    return topics::kBoardGone;
}

// The gauge's face, for a client that draws it as the panel does (the web panel).
// Colours are stored as the platform's BGR numbers and sent as "#rrggbb".
QString scaleJson(const station::MeterConfig &meter)
{
    QJsonArray bands;
    for (const station::Annulus &band : meter.bands) {
        const std::uint32_t bgr = band.color;
        const QString colour = QStringLiteral("#%1%2%3")
                                   .arg(bgr & 0xFF, 2, 16, QLatin1Char('0'))
                                   .arg((bgr >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                                   .arg((bgr >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
        bands.append(QJsonArray{band.start, band.stop, colour});
    }
    const QJsonObject face{
        {QStringLiteral("min"), meter.scaleMin},
        {QStringLiteral("max"), meter.scaleMax},
        {QStringLiteral("ticks"), meter.ticSubCount},
        {QStringLiteral("bands"), bands},
    };
    return QString::fromUtf8(QJsonDocument(face).toJson(QJsonDocument::Compact));
}

} // namespace

StationPublisher::StationPublisher(StationHost &host, const NetworkSettings &settings, const QString &deviceName,
                                   const QString &softwareVersion, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_prefix(QString::fromStdString(settings.topicPrefix))
    // The client id is the station's topic prefix, unique as its topics are: two stations
    // on one host (a panel and a headless one, each with its board) keep their connections.
    , m_mqtt(settings, m_prefix)
{
    m_discovered.topicPrefix = m_prefix;
    m_discovered.name = deviceName;
    m_discovered.softwareVersion = softwareVersion;
    for (const QString &filter : topics::commandFilters(m_prefix))
        m_mqtt.subscribe(filter);
    connect(&m_mqtt, &MqttConnection::connected, this, &StationPublisher::publishAll);
    connect(&m_mqtt, &MqttConnection::messageReceived, this, &StationPublisher::onMessage);
    connect(&m_mqtt, &MqttConnection::stopped, this, &StationPublisher::stopped);
    for (int m = 0; m < topics::kMeterCount; ++m) {
        m_meters[m].later.setSingleShot(true);
        connect(&m_meters[m].later, &QTimer::timeout, this, [this, m] { publishReading(m, false); });
    }
    m_host.station().addObserver(this);
}

StationPublisher::~StationPublisher()
{
    m_host.station().removeObserver(this);
}

void StationPublisher::stationChanged(station::StationChange change, int index)
{
    if (m_mqtt.state() != MqttConnection::State::Connected)
        return; // all of it goes out when the broker takes us in
    using station::StationChange;
    switch (change) {
    case StationChange::Meter:
        publishMeter(index);
        publishDiscovery(false);
        break;
    case StationChange::Readings:
        for (int m = 0; m < topics::kMeterCount; ++m)
            publishReading(m, false);
        break;
    case StationChange::Relay:
        publishRelay(index);
        publishDiscovery(false);
        break;
    case StationChange::Bands: publishBands(); break;
    case StationChange::Following: publishFollowing(); break;
    case StationChange::Hold: publishHold(); break;
    case StationChange::Port:
    case StationChange::Board: publishBoard(); break;
    case StationChange::All: publishAll(); break;
    case StationChange::Trip: publishTrip(index); break;
    case StationChange::Link:
    case StationChange::Lamps:
    case StationChange::Response:
    case StationChange::Limit: break;
    }
}

// The broker may have lost what it kept (a restart without persistence), and whatever it
// kept may be old: everything goes out again.
void StationPublisher::publishAll()
{
    for (int m = 0; m < topics::kMeterCount; ++m) {
        publishMeter(m);
        publishReading(m, true);
        publishTrip(m);
    }
    for (int n = 1; n <= topics::kRelayCount; ++n)
        publishRelay(n);
    publishBands();
    publishFollowing();
    publishHold();
    publishBoard();
    publishDiscovery(true);
}

void StationPublisher::publishMeter(int m)
{
    const station::MeterConfig &meter = m_host.station().meter(m);
    publish(topics::meterCaption(m_prefix, m), QString::fromStdString(meter.caption));
    publish(topics::meterScale(m_prefix, m), scaleJson(meter));
}

// A reading that moves within a hundredth of the scale is noise on the gauge and on the
// network; one that comes sooner than a tenth of a second after the last goes out when that
// time is up, as the latest value then.
void StationPublisher::publishReading(int m, bool force)
{
    if (m_mqtt.state() != MqttConnection::State::Connected)
        return;
    const station::Station &station = m_host.station();
    const double value = station.reading(m);
    MeterSent &sent = m_meters[m];
    if (!force && sent.value) {
        const station::MeterConfig &meter = station.meter(m);
        const double deadband = m_deadband ? std::abs(meter.scaleMax - meter.scaleMin) / 100 : 0;
        if (std::abs(value - *sent.value) <= deadband)
            return;
        const qint64 elapsed = sent.since.elapsed();
        if (elapsed < kReadingSpacingMs) {
            if (!sent.later.isActive())
                sent.later.start(int(kReadingSpacingMs - elapsed));
            return;
        }
    }
    sent.later.stop();
    sent.value = value;
    sent.since.start();
    publish(topics::meter(m_prefix, m), QString::number(value, 'g', 6));
}

void StationPublisher::publishRelay(int n)
{
    const station::RelayConfig &relay = m_host.station().relay(n);
    publish(topics::relay(m_prefix, n), onOff(relay.status));
    // An empty retained message would erase the topic on the broker.
    publish(topics::relayLabel(m_prefix, n), relay.label.empty() ? topics::kNone : QString::fromStdString(relay.label));
}

void StationPublisher::publishBands()
{
    const station::Station &station = m_host.station();
    QString band = topics::kNone;
    for (int position = 1; position <= topics::kBands.size(); ++position) {
        if (station.bandShown(position))
            band = topics::kBands[position - 1];
    }
    publish(topics::band(m_prefix), band);
    publish(topics::bandCode(m_prefix),
            station.bandCode().empty() ? topics::kNone : QString::fromStdString(station.bandCode()));
}

void StationPublisher::publishFollowing()
{
    publish(topics::following(m_prefix), onOff(m_host.station().following()));
}

void StationPublisher::publishTrip(int m)
{
    publish(topics::meterTrip(m_prefix, m), onOff(m_host.station().trip(m).latched));
}

void StationPublisher::publishHold()
{
    const station::Station &station = m_host.station();
    publish(topics::hold(m_prefix), onOff(station.holdWhileTx()));
    publish(topics::tx(m_prefix),
            station.tx() == station::Tx::Unknown ? topics::kNone : onOff(station.tx() == station::Tx::Transmit));
}

void StationPublisher::publishBoard()
{
    publish(topics::board(m_prefix), boardText(m_host.station().board()));
}

// Entities are named by the captions and labels: a renamed one is announced again, and Home
// Assistant renames the entity it already knows by its unique id.
void StationPublisher::publishDiscovery(bool force)
{
    const station::Station &station = m_host.station();
    DiscoveredStation now = m_discovered;
    for (int m = 0; m < topics::kMeterCount; ++m)
        now.meterCaptions[m] = QString::fromStdString(station.meter(m).caption);
    for (int n = 1; n <= topics::kRelayCount; ++n)
        now.relayLabels[n - 1] = QString::fromStdString(station.relay(n).label);
    if (!force && m_discoverySent && now.meterCaptions == m_discovered.meterCaptions &&
        now.relayLabels == m_discovered.relayLabels)
        return;
    m_discovered = now;
    m_discoverySent = true;
    for (const DiscoveryMessage &message : discoveryMessages(m_discovered))
        m_mqtt.publish(message.topic, message.payload, MqttConnection::Retain::Yes);
}

void StationPublisher::publish(const QString &topic, const QString &payload)
{
    m_mqtt.publish(topic, payload.toUtf8(), MqttConnection::Retain::Yes);
}

// A command is a click from afar: the same operation, the same rules, the same save. A relay
// is only toggled when it is not already as asked, so a repeated command changes nothing.
void StationPublisher::onMessage(const QString &topic, const QByteArray &payload)
{
    station::Station &station = m_host.station();
    const StationCommand command = parseCommand(m_prefix, topic, payload);
    station::Outcome outcome;
    if (const auto *bad = std::get_if<BadCommand>(&command)) {
        emit logLine(QStringLiteral("Ignored %1: %2").arg(topic, bad->reason));
        return;
    }
    if (const auto *relay = std::get_if<RelayCommand>(&command)) {
        if (station.relay(relay->relay).status == relay->on)
            return;
        outcome = station.switchRelay(relay->relay);
    } else if (const auto *band = std::get_if<BandCommand>(&command)) {
        outcome = station.chooseBand(band->position);
    } else if (const auto *following = std::get_if<FollowingCommand>(&command)) {
        outcome = station.setFollowing(following->on);
    } else if (const auto *acknowledge = std::get_if<AcknowledgeCommand>(&command)) {
        if (!station.trip(acknowledge->meter).latched)
            return;
        outcome = station.acknowledge(acknowledge->meter);
    } else {
        return; // not one of ours
    }
    // Refused, nothing changed: said to whoever sent it, not in a box on the panel.
    if (!outcome.refusal.empty()) {
        refuse(QString::fromStdString(outcome.refusal));
        return;
    }
    m_host.perform(std::move(outcome));
}

void StationPublisher::refuse(const QString &why)
{
    emit logLine(QStringLiteral("Refused: %1").arg(why));
    m_mqtt.publish(topics::refused(m_prefix), why.toUtf8(), MqttConnection::Retain::No);
}

} // namespace tovana::network
