// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "HomeAssistantDiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tovana::network {

namespace {

// Home Assistant compares a template's result with payload_on / payload_available.
const QString kBoardOnTemplate = QStringLiteral("{{ 'ON' if value == '%1' else 'OFF' }}").arg(topics::kBoardAnswering);
const QString kBoardAvailableTemplate = QStringLiteral("{{ '%1' if value == '%2' else '%3' }}")
                                            .arg(topics::kOnline, topics::kBoardAnswering, topics::kOffline);

class Builder {
public:
    Builder(const DiscoveredStation &station, const QString &discoveryPrefix)
        : m_station(station)
        , m_discoveryPrefix(discoveryPrefix)
        , m_id(discoveryStationId(station.topicPrefix))
    {
        m_device = QJsonObject{
            {QStringLiteral("identifiers"), QJsonArray{m_id}},
            {QStringLiteral("name"), station.name},
            {QStringLiteral("manufacturer"), QStringLiteral("Tovana")},
            {QStringLiteral("model"), QStringLiteral("Tovana station")},
        };
        if (!station.softwareVersion.isEmpty())
            m_device.insert(QStringLiteral("sw_version"), station.softwareVersion);
    }

    // One entity: its own keys plus what every entity of the station carries.
    void add(const QString &component, const QString &entity, const QString &name, QJsonObject config,
             bool needsBoard = false)
    {
        config.insert(QStringLiteral("name"), name);
        config.insert(QStringLiteral("unique_id"), m_id + QLatin1Char('_') + entity);
        config.insert(QStringLiteral("device"), m_device);
        QJsonArray availability{QJsonObject{{QStringLiteral("topic"), topics::availability(m_station.topicPrefix)}}};
        if (needsBoard) {
            availability.append(QJsonObject{{QStringLiteral("topic"), topics::board(m_station.topicPrefix)},
                                            {QStringLiteral("value_template"), kBoardAvailableTemplate}});
            config.insert(QStringLiteral("availability_mode"), QStringLiteral("all"));
        }
        config.insert(QStringLiteral("availability"), availability);
        m_messages.push_back({QStringLiteral("%1/%2/%3/%4/config").arg(m_discoveryPrefix, component, m_id, entity),
                              QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }

    QJsonObject onOffSwitch(const QString &stateTopic, const QString &commandTopic) const
    {
        return {{QStringLiteral("state_topic"), stateTopic},
                {QStringLiteral("command_topic"), commandTopic},
                {QStringLiteral("payload_on"), topics::kOn},
                {QStringLiteral("payload_off"), topics::kOff}};
    }

    std::vector<DiscoveryMessage> take() { return std::move(m_messages); }

private:
    const DiscoveredStation &m_station;
    const QString m_discoveryPrefix;
    const QString m_id;
    QJsonObject m_device;
    std::vector<DiscoveryMessage> m_messages;
};

} // namespace

QString discoveryStationId(const QString &topicPrefix)
{
    QString id = topicPrefix;
    for (QChar &c : id) {
        const bool allowed =
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-');
        if (!allowed)
            c = QLatin1Char('_');
    }
    return id;
}

std::vector<DiscoveryMessage> discoveryMessages(const DiscoveredStation &station, const QString &discoveryPrefix)
{
    const QString &prefix = station.topicPrefix;
    Builder builder(station, discoveryPrefix);

    for (int m = 0; m < topics::kMeterCount; ++m) {
        const QString &caption = station.meterCaptions[std::size_t(m)];
        builder.add(QStringLiteral("sensor"), QStringLiteral("meter_%1").arg(m),
                    caption.isEmpty() ? QStringLiteral("Meter %1").arg(m) : caption,
                    {{QStringLiteral("state_topic"), topics::meter(prefix, m)},
                     {QStringLiteral("state_class"), QStringLiteral("measurement")}},
                    true);
    }
    for (int n = 1; n <= topics::kRelayCount; ++n) {
        const QString &label = station.relayLabels[std::size_t(n - 1)];
        builder.add(QStringLiteral("switch"), QStringLiteral("relay_%1").arg(n),
                    label.isEmpty() ? QStringLiteral("Relay%1").arg(n) : label,
                    builder.onOffSwitch(topics::relay(prefix, n), topics::relaySet(prefix, n)));
    }
    builder.add(QStringLiteral("select"), QStringLiteral("band"), QStringLiteral("Band"),
                {{QStringLiteral("state_topic"), topics::band(prefix)},
                 {QStringLiteral("command_topic"), topics::bandSet(prefix)},
                 {QStringLiteral("options"), QJsonArray::fromStringList(topics::kBands)}});
    builder.add(QStringLiteral("switch"), QStringLiteral("following"), QStringLiteral("Band following"),
                builder.onOffSwitch(topics::following(prefix), topics::followingSet(prefix)));
    builder.add(QStringLiteral("binary_sensor"), QStringLiteral("tx"), QStringLiteral("TX"),
                {{QStringLiteral("state_topic"), topics::tx(prefix)},
                 {QStringLiteral("payload_on"), topics::kOn},
                 {QStringLiteral("payload_off"), topics::kOff}});
    builder.add(QStringLiteral("binary_sensor"), QStringLiteral("board"), QStringLiteral("Board answering"),
                {{QStringLiteral("state_topic"), topics::board(prefix)},
                 {QStringLiteral("value_template"), kBoardOnTemplate},
                 {QStringLiteral("payload_on"), topics::kOn},
                 {QStringLiteral("payload_off"), topics::kOff},
                 {QStringLiteral("device_class"), QStringLiteral("connectivity")}});
    return builder.take();
}

} // namespace tovana::network
