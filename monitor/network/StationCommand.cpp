// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationCommand.h"

#include "StationTopics.h"

#include <optional>

namespace tovana::network {

namespace {

// The payload as shown in a log line: quoted, and cut when long.
QString shown(const QByteArray &payload)
{
    constexpr int kShown = 40;
    const QString text = QString::fromUtf8(payload.left(kShown));
    return QLatin1Char('"') + text + (payload.size() > kShown ? QStringLiteral("…\"") : QStringLiteral("\""));
}

std::optional<bool> onOff(const QByteArray &payload)
{
    const QByteArray word = payload.trimmed().toUpper();
    if (word == topics::kOn.toLatin1())
        return true;
    if (word == topics::kOff.toLatin1())
        return false;
    return std::nullopt;
}

StationCommand badOnOff(const QString &topic, const QByteArray &payload)
{
    return BadCommand{QStringLiteral("%1: %2 is neither ON nor OFF").arg(topic, shown(payload))};
}

} // namespace

StationCommand parseCommand(const QString &prefix, const QString &topic, const QByteArray &payload)
{
    if (topic == topics::followingSet(prefix)) {
        const auto on = onOff(payload);
        return on ? StationCommand(FollowingCommand{*on}) : badOnOff(topic, payload);
    }
    if (topic == topics::bandSet(prefix)) {
        const int index = topics::kBands.indexOf(QString::fromUtf8(payload.trimmed()));
        if (index < 0) {
            return BadCommand{QStringLiteral("%1: %2 is not a band (%3)")
                                  .arg(topic, shown(payload), topics::kBands.join(QLatin1Char(' ')))};
        }
        return BandCommand{index + 1};
    }
    for (int n = 1; n <= topics::kRelayCount; ++n) {
        if (topic == topics::relaySet(prefix, n)) {
            const auto on = onOff(payload);
            return on ? StationCommand(RelayCommand{n, *on}) : badOnOff(topic, payload);
        }
    }
    for (int m = 0; m < topics::kMeterCount; ++m) {
        if (topic == topics::meterTripSet(prefix, m)) {
            // Only the limit sets a trip; the operator can only take it back.
            if (onOff(payload) == false)
                return AcknowledgeCommand{m};
            return BadCommand{
                QStringLiteral("%1: %2 is not OFF (a trip is only acknowledged)").arg(topic, shown(payload))};
        }
    }
    const QString relays = topics::relay(prefix, 0).chopped(1); // "P/relay/"
    const QString number = topic.startsWith(relays) ? topic.mid(relays.size()) : QString();
    if (number.size() > 4 && number.endsWith(QStringLiteral("/set"))) {
        return BadCommand{QStringLiteral("%1: there is no relay %2 (relays are 1 to %3)")
                              .arg(topic, number.chopped(4))
                              .arg(topics::kRelayCount)};
    }
    return NotACommand{};
}

} // namespace tovana::network
