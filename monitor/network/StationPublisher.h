// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's face on the broker: a view of the station like the panel. It publishes the
// station's state retained under the prefix (StationTopics.h) and Home Assistant's discovery,
// all of it again whenever the broker takes it in, and then only what changed; a reading goes
// out at most kReadingsPerSecond times a second per meter, and only when it moved by more than
// a hundredth of its scale. Commands go through the host as clicks do; a refused one is said
// on P/refused, an unreadable one logged. Holds no state of the station. UI thread only.
#pragma once

#include "HomeAssistantDiscovery.h"
#include "MqttConnection.h"
#include "StationObserver.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

namespace tovana {
class StationHost;
}

namespace tovana::network {

class StationPublisher : public QObject, public station::StationObserver {
    Q_OBJECT
public:
    static constexpr int kReadingsPerSecond = 10;

    StationPublisher(StationHost &host, const NetworkSettings &settings, const QString &deviceName,
                     const QString &softwareVersion, QObject *parent = nullptr);
    ~StationPublisher() override;

    MqttConnection &connection() { return m_mqtt; }
    QString prefix() const { return m_prefix; }
    // Off: every reading that differs at all goes out (still at most kReadingsPerSecond a
    // second), to measure what the deadband saves.
    void setDeadband(bool on) { m_deadband = on; }

    void start() { m_mqtt.start(); }
    // Says "offline" and leaves; stopped() follows.
    void stop() { m_mqtt.stop(); }

    void stationChanged(station::StationChange change, int index) override;

signals:
    // One line for the log: a command that could not be read or was refused.
    void logLine(const QString &line);
    void stopped();

private:
    struct MeterSent {
        std::optional<double> value; // the reading last published
        QElapsedTimer since;         // since it was published
        QTimer later;                // a move that came too soon goes out when this fires
    };

    void publishAll();
    void publishMeter(int m);
    void publishReading(int m, bool force);
    void publishRelay(int n);
    void publishBands();
    void publishFollowing();
    void publishHold();
    void publishTrip(int m);
    void publishBoard();
    void publishDiscovery(bool force);
    void publish(const QString &topic, const QString &payload);
    void onMessage(const QString &topic, const QByteArray &payload);
    void refuse(const QString &why);

    StationHost &m_host;
    const QString m_prefix;
    MqttConnection m_mqtt;
    DiscoveredStation m_discovered;
    bool m_discoverySent = false;
    bool m_deadband = true;
    std::array<MeterSent, topics::kMeterCount> m_meters;
};

} // namespace tovana::network
