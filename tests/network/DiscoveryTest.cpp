// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Home Assistant's discovery messages for one station, checked against what Home Assistant
// requires of each kind of entity and of a device.
#include "HomeAssistantDiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <map>

using namespace tovana::network;
namespace topics = tovana::network::topics;

namespace {

const QString kPrefix = QStringLiteral("tovana/shack.local");

DiscoveredStation shack()
{
    DiscoveredStation station;
    station.topicPrefix = kPrefix;
    station.name = QStringLiteral("Shack");
    station.softwareVersion = QStringLiteral("1.1.0");
    for (int m = 0; m < topics::kMeterCount; ++m)
        station.meterCaptions[std::size_t(m)] = QStringLiteral("Meter caption %1").arg(m);
    for (int n = 1; n <= topics::kRelayCount; ++n)
        station.relayLabels[std::size_t(n - 1)] = QStringLiteral("Relay%1").arg(n);
    station.meterCaptions[0] = QStringLiteral("Supply V");
    station.relayLabels[2] = QStringLiteral("Amplifier");
    return station;
}

QJsonObject parsed(const DiscoveryMessage &message)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(message.payload, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << qPrintable(message.topic) << ": " << qPrintable(error.errorString());
    EXPECT_TRUE(document.isObject()) << qPrintable(message.topic);
    return document.object();
}

TEST(DiscoveryTest, EveryEntityHasWhatHomeAssistantRequiresOfItsKind)
{
    // Required by Home Assistant's MQTT integration, per component; every discovered entity
    // that belongs to a device also needs a unique id.
    const std::map<QString, QStringList> required = {
        {"sensor", {"state_topic"}},
        {"binary_sensor", {"state_topic"}},
        {"switch", {"command_topic"}},
        {"select", {"command_topic", "options"}},
    };
    const QRegularExpression discoveryTopic(
        QStringLiteral("^homeassistant/(\\w+)/tovana_shack_local/([\\w-]+)/config$"));

    std::map<QString, QStringList> names; // component: entity names
    QSet<QString> uniqueIds;
    for (const DiscoveryMessage &message : discoveryMessages(shack())) {
        const auto match = discoveryTopic.match(message.topic);
        ASSERT_TRUE(match.hasMatch()) << qPrintable(message.topic);
        const QString component = match.captured(1);
        ASSERT_TRUE(required.count(component)) << qPrintable(component);
        const QJsonObject config = parsed(message);
        for (const QString &key : required.at(component))
            EXPECT_TRUE(config.contains(key)) << qPrintable(message.topic) << " lacks " << qPrintable(key);
        for (const char *key : {"state_topic", "command_topic"}) {
            if (config.contains(QLatin1String(key))) {
                EXPECT_TRUE(config.value(QLatin1String(key)).toString().startsWith(kPrefix + '/'))
                    << qPrintable(message.topic);
            }
        }

        const QString uniqueId = config.value("unique_id").toString();
        EXPECT_FALSE(uniqueId.isEmpty()) << qPrintable(message.topic);
        EXPECT_FALSE(uniqueIds.contains(uniqueId)) << qPrintable(uniqueId);
        uniqueIds << uniqueId;
        const QJsonObject device = config.value("device").toObject();
        EXPECT_EQ(device.value("identifiers").toArray(), QJsonArray{"tovana_shack_local"});
        EXPECT_EQ(device.value("name").toString(), "Shack");

        // The station's availability, first, on every entity.
        const QJsonArray availability = config.value("availability").toArray();
        ASSERT_FALSE(availability.isEmpty()) << qPrintable(message.topic);
        EXPECT_EQ(availability.first().toObject().value("topic").toString(), topics::availability(kPrefix));
        for (const QJsonValue &entry : availability)
            EXPECT_TRUE(entry.toObject().contains("topic")) << qPrintable(message.topic);
        names[component] << config.value("name").toString();
        if (component == QLatin1String("select")) {
            EXPECT_EQ(config.value("options").toArray(), QJsonArray::fromStringList(topics::kBands));
        }
    }

    EXPECT_EQ(names["sensor"].size(), topics::kMeterCount);
    EXPECT_EQ(names["sensor"].first(), "Supply V");
    EXPECT_EQ(names["switch"].size(), topics::kRelayCount + 1);
    EXPECT_EQ(names["switch"].at(2), "Amplifier");
    EXPECT_EQ(names["switch"].last(), "Band following");
    EXPECT_EQ(names["select"], QStringList{"Band"});
    EXPECT_EQ(names["binary_sensor"], (QStringList{"TX", "Board answering"}));
}

TEST(DiscoveryTest, ARenamedLabelRenamesItsEntityAndNothingElse)
{
    DiscoveredStation renamed = shack();
    renamed.relayLabels[2] = QStringLiteral("Rotator");
    const std::vector<DiscoveryMessage> before = discoveryMessages(shack());
    const std::vector<DiscoveryMessage> after = discoveryMessages(renamed);
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].topic, after[i].topic);
        if (before[i].payload == after[i].payload)
            continue;
        ++changed;
        QJsonObject was = parsed(before[i]);
        QJsonObject is = parsed(after[i]);
        EXPECT_EQ(was.take("name").toString(), "Amplifier");
        EXPECT_EQ(is.take("name").toString(), "Rotator");
        EXPECT_EQ(was, is); // the unique id above all
    }
    EXPECT_EQ(changed, 1);
}

} // namespace
