// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's one connection to its MQTT broker, on the Qt event loop of the thread that
// made it: the socket is watched by QSocketNotifiers and a one-second timer keeps the session
// alive, so nothing blocks and nothing polls. It logs in as NetworkSettings say, leaves the
// will "offline" on P/availability and publishes "online" there (both retained) each time
// the broker takes it in, after renewing its subscriptions: a client that has seen "online"
// knows the station hears its commands. A lost broker is tried again after 1, 2, 4 ... 60 s
// for as long as it takes; connected() then fires again, and the caller publishes its whole
// state anew. Publishing while not connected is refused, not queued. Do not delete the
// object from its own signals (use deleteLater); deleting it drops the connection as a crash
// would, so the broker publishes the will.
//
// Why libmosquitto: it is Mosquitto's own client, kept with the broker the station is meant
// for, packaged by Debian and most distributions, small (C, no dependency beyond OpenSSL),
// and it lets the caller run its loop (mosquitto_loop_read/write/misc), so it needs no thread
// of its own. Qt's QtMqtt would fit the loop too but is not packaged by Debian 12; Paho C++
// brings its own threads.
#pragma once

#include "NetworkSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;
class QThread;

namespace tovana::network {

class MqttConnection : public QObject {
    Q_OBJECT
public:
    // Idle: not started, or stopped. Connecting: from the connect call to the broker's
    // answer. Waiting: for the next attempt after a failure or a loss. Stopping: saying
    // "offline" before leaving.
    enum class State { Idle, Connecting, Connected, Waiting, Stopping };
    Q_ENUM(State)
    enum class Retain { No, Yes };

    MqttConnection(const NetworkSettings &settings, const QString &clientId, QObject *parent = nullptr);
    ~MqttConnection() override;
    MqttConnection(const MqttConnection &) = delete;
    MqttConnection &operator=(const MqttConnection &) = delete;

    // Starts connecting, and returns at once. Settings that cannot work (no host, a password
    // file open to others, an unreadable CA file) are reported by problem() and leave the
    // connection Idle: trying again would not help.
    void start();
    // Publishes "offline", leaves the broker cleanly and emits stopped(), which always comes
    // after stop() has returned. Without an answer from the broker within a few seconds, the
    // connection is dropped and the will says "offline" instead.
    void stop();

    // QoS 1. False when not connected or the message cannot be sent.
    bool publish(const QString &topic, const QByteArray &payload, Retain retain);
    // QoS 1; kept and renewed on every connect. Filters may hold the wildcards + and #.
    void subscribe(const QString &filter);

    State state() const { return m_state; }
    QString availabilityTopic() const;

signals:
    void stateChanged(tovana::network::MqttConnection::State state);
    // The broker took us in: the first time and after every loss. Publish the whole state.
    void connected();
    // retained: the broker kept the message from before we subscribed.
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);
    // One line for the log: why a connection failed or was lost, or why it cannot start.
    void problem(const QString &message);
    void stopped();

private:
    static void onConnect(mosquitto *mosq, void *self, int rc);
    static void onDisconnect(mosquitto *mosq, void *self, int rc);
    static void onPublish(mosquitto *mosq, void *self, int mid);
    static void onMessage(mosquitto *mosq, void *self, const mosquitto_message *message);
    static void onLog(mosquitto *mosq, void *self, int level, const char *text);

    QString setUp();
    void attempt();
    void connectCallReturned(int rc, int error);
    void watchSocket();
    void unwatchSocket();
    void afterLoopCall(int rc);
    void brokerAccepted();
    void connectionEnded(int rc);
    void retryLater(const QString &why);
    void finishStop();
    void setState(State state);
    QString brokerName() const;

    const NetworkSettings m_settings;
    const QString m_clientId;
    mosquitto *m_mosq = nullptr;
    State m_state = State::Idle;
    QStringList m_filters;
    QThread *m_connectCall = nullptr;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_housekeeping;
    QTimer m_retry;
    QTimer m_stopDeadline;
    int m_retryDelayMs;
    int m_offlineMid = -1;
    QString m_libraryDetail;
    QString m_refusal;
    bool m_stopRequested = false;
};

} // namespace tovana::network
