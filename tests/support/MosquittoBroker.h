// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// MosquittoBroker: Debian's mosquitto, started for one test on a free port of 127.0.0.1 as
// docs/mqtt sets a station's broker up: no anonymous access, a password file made with
// mosquitto_passwd for the users the test names, and docs/mqtt/tovana.acl as it stands.
// With Tls::On the listener speaks TLS with a certificate from docs/mqtt/make-test-ca.
// The constructor returns once the broker listens (check isRunning()); kill() ends it as a
// crash would, start() brings it back on the same port. log() is what it said, for failures.
// MqttClient plays another user with mosquitto_sub and mosquitto_pub, independent of the
// code under test.
#pragma once

#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class MosquittoBroker {
public:
    enum class Tls { Off, On };
    struct User {
        QString name;
        QString password;
    };
    explicit MosquittoBroker(const QList<User> &users, Tls tls = Tls::Off);
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker &) = delete;
    MosquittoBroker &operator=(const MosquittoBroker &) = delete;

    bool isRunning() const { return m_broker.state() == QProcess::Running && m_listening; }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return m_port; }
    // The CA that signed the broker's certificate (Tls::On).
    QString caFile() const;
    QString log() const { return m_log; }
    // A file for test files that is removed with the broker.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    bool start();
    void kill();

private:
    QTemporaryDir m_dir;
    QProcess m_broker;
    QString m_log;
    int m_port = 0;
    bool m_listening = false;
};

// One client of the broker as a person's MQTT tool would be, outside the code under test.
class MqttClient {
public:
    MqttClient(const MosquittoBroker &broker, const QString &user, const QString &password);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Subscribes (mosquitto_sub) and returns at once; subscribed() turns true when the
    // broker has confirmed it, and messages() fills as they come, retained ones first.
    void subscribe(const QString &filter);
    bool subscribed() const { return m_subscribed; }
    QList<QPair<QString, QByteArray>> messages() const { return m_messages; }
    QList<QByteArray> payloads(const QString &topic) const;

    // Publishes one message at QoS 1 (mosquitto_pub) and waits until the broker has taken
    // it; false when mosquitto_pub fails.
    bool publish(const QString &topic, const QByteArray &payload, bool retained = false);

private:
    QStringList loginArguments() const;
    void readSubscription();

    const MosquittoBroker &m_broker;
    const QString m_user;
    const QString m_password;
    QProcess m_sub;
    QByteArray m_pending;
    bool m_subscribed = false;
    QList<QPair<QString, QByteArray>> m_messages;
};
