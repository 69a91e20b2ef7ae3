// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Home Assistant's MQTT discovery for one station: the retained config messages that make it
// appear there as one device, with no configuration: a sensor per meter, a switch per relay
// named by its label, a select for the band, a switch for band following, binary sensors for
// TX and for the board answering, all unavailable while the station is offline (the meters
// also while the board is not answering). Pure: it builds the messages, the caller publishes
// them (retained) and publishes them again when a caption or label changes. Unique ids come
// from the topic prefix alone, so a renamed label renames its entity and nothing else.
#pragma once

#include "StationTopics.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace tovana::network {

struct DiscoveredStation {
    QString topicPrefix;
    QString name;                                           // the device's name in Home Assistant
    QString softwareVersion;                                // may be empty
    std::array<QString, topics::kMeterCount> meterCaptions; // meter 0 first
    std::array<QString, topics::kRelayCount> relayLabels;   // relay 1 first
};

struct DiscoveryMessage {
    QString topic;      // <discovery prefix>/<component>/<station id>/<entity>/config
    QByteArray payload; // a JSON object
};

inline const QString kHomeAssistantPrefix = QStringLiteral("homeassistant");

std::vector<DiscoveryMessage> discoveryMessages(const DiscoveredStation &station,
                                                const QString &discoveryPrefix = kHomeAssistantPrefix);

// The station's id in discovery topics and unique ids: the topic prefix with every character
// other than A-Z a-z 0-9 _ - made an underscore, as discovery topics allow no other.
QString discoveryStationId(const QString &topicPrefix);

} // namespace tovana::network
