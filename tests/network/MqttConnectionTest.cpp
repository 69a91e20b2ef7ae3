// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's connection against a real Mosquitto broker set up as docs/mqtt says, with
// mosquitto_sub and mosquitto_pub as the other people on it.
#include "Eventually.h"
#include "MosquittoBroker.h"
#include "MqttConnection.h"
#include "StationTopics.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

using tovana::network::MqttConnection;
using tovana::network::NetworkSettings;
namespace topics = tovana::network::topics;

namespace {

const QString kPrefix = QStringLiteral("tovana/test-station");
const QList<MosquittoBroker::User> kUsers = {{QStringLiteral("tovana"), QStringLiteral("station secret")},
                                             {QStringLiteral("operator"), QStringLiteral("operator secret")},
                                             {QStringLiteral("viewer"), QStringLiteral("viewer secret")}};
constexpr int kWaitMs = 10000;
// The first retry comes after 1 s, the second 2 s later: a restarted broker is found by
// the third attempt at the latest.
constexpr int kReconnectWaitMs = 20000;

using Messages = QList<QPair<QString, QByteArray>>;

class MqttConnectionTest : public ::testing::Test {
protected:
    explicit MqttConnectionTest(MosquittoBroker::Tls tls = MosquittoBroker::Tls::Off) : broker(kUsers, tls) {}

    void SetUp() override { ASSERT_TRUE(broker.isRunning()) << qPrintable(broker.log()); }

    // The station's settings, its password in a file of mode `mode`.
    NetworkSettings stationSettings(QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner)
    {
        const QString path = broker.filePath(QStringLiteral("station-password"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("station secret\n");
        file.close();
        EXPECT_TRUE(QFile::setPermissions(path, mode));
        NetworkSettings settings;
        settings.brokerHost = broker.host().toStdString();
        settings.brokerPort = broker.port();
        settings.user = "tovana";
        settings.passwordFile = path.toStdString();
        settings.topicPrefix = kPrefix.toStdString();
        return settings;
    }

    std::unique_ptr<MqttConnection> station(const NetworkSettings &settings)
    {
        auto connection = std::make_unique<MqttConnection>(settings, QStringLiteral("test-station"));
        for (const QString &filter : topics::commandFilters(kPrefix))
            connection->subscribe(filter);
        QObject::connect(connection.get(), &MqttConnection::messageReceived,
                         [this](const QString &topic, const QByteArray &payload) {
                             received.append({topic, payload});
                         });
        return connection;
    }

    static QString password(const QString &user)
    {
        for (const MosquittoBroker::User &known : kUsers) {
            if (known.name == user)
                return known.password;
        }
        return {};
    }

    std::unique_ptr<MqttClient> subscribed(const QString &user, const QString &filter)
    {
        auto client = std::make_unique<MqttClient>(broker, user, password(user));
        client->subscribe(filter);
        return client;
    }

    MqttClient client(const QString &user) { return MqttClient(broker, user, password(user)); }

    MosquittoBroker broker;
    Messages received; // by the station
};

TEST_F(MqttConnectionTest, AvailabilitySaysOnlineThenOfflineByTheWillAndByAGoodbye)
{
    const auto watcher = subscribed(QStringLiteral("viewer"), topics::availability(kPrefix));
    auto connection = station(stationSettings());
    connection->start();
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::availability(kPrefix)), QList<QByteArray>{"online"}, kWaitMs);

    // Gone without a word, as a crashed or unplugged station: the broker speaks its will.
    connection.reset();
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::availability(kPrefix)), (QList<QByteArray>{"online", "offline"}),
                         kWaitMs);

    // Back, then a clean end: it says "offline" itself before it leaves.
    connection = station(stationSettings());
    QSignalSpy stopped(connection.get(), &MqttConnection::stopped);
    connection->start();
    ASSERT_EVENTUALLY(watcher->payloads(topics::availability(kPrefix)).size() == 3, kWaitMs);
    connection->stop();
    ASSERT_EVENTUALLY(stopped.count() == 1, kWaitMs);
    EXPECT_EQ(connection->state(), MqttConnection::State::Idle);
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::availability(kPrefix)),
                         (QList<QByteArray>{"online", "offline", "online", "offline"}), kWaitMs);
    EXPECT_TRUE(broker.log().contains(QLatin1String("Client test-station disconnected"))) << qPrintable(broker.log());
}

TEST_F(MqttConnectionTest, RetainedStateReachesLateReadersAndOperatorCommandsReachTheStation)
{
    auto connection = station(stationSettings());
    connection->start();
    const auto watcher = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    // "online" comes after the station's subscriptions: from here on it hears commands.
    ASSERT_EVENTUALLY(!watcher->payloads(topics::availability(kPrefix)).isEmpty(), kWaitMs);
    ASSERT_EQ(connection->state(), MqttConnection::State::Connected);

    EXPECT_TRUE(connection->publish(topics::relay(kPrefix, 3), "ON", MqttConnection::Retain::Yes));
    EXPECT_TRUE(
        connection->publish(topics::relayLabel(kPrefix, 3), "Amplifier \xe2\x80\x93 6 m", MqttConnection::Retain::Yes));
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::relay(kPrefix, 3)), QList<QByteArray>{"ON"}, kWaitMs);

    // Someone who comes later sees the retained state at once.
    const auto late = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/relay/#"));
    ASSERT_EVENTUALLY_EQ(late->payloads(topics::relayLabel(kPrefix, 3)),
                         QList<QByteArray>{"Amplifier \xe2\x80\x93 6 m"}, kWaitMs);
    EXPECT_EQ(late->payloads(topics::relay(kPrefix, 3)), QList<QByteArray>{"ON"});

    ASSERT_TRUE(client(QStringLiteral("operator")).publish(topics::relaySet(kPrefix, 3), "OFF"));
    ASSERT_TRUE(client(QStringLiteral("operator")).publish(topics::bandSet(kPrefix), "20"));
    ASSERT_EVENTUALLY_EQ(received, (Messages{{topics::relaySet(kPrefix, 3), "OFF"}, {topics::bandSet(kPrefix), "20"}}),
                         kWaitMs);
}

TEST_F(MqttConnectionTest, TheBrokerDropsAReadOnlyUsersCommand)
{
    auto connection = station(stationSettings());
    connection->start();
    const auto watcher = subscribed(QStringLiteral("viewer"), topics::availability(kPrefix));
    ASSERT_EVENTUALLY(!watcher->payloads(topics::availability(kPrefix)).isEmpty(), kWaitMs);

    // The broker takes the viewer's message (QoS 1, acknowledged) before the operator's, so
    // had it passed, the station would have it first.
    ASSERT_TRUE(client(QStringLiteral("viewer")).publish(topics::relaySet(kPrefix, 1), "ON"));
    ASSERT_TRUE(client(QStringLiteral("operator")).publish(topics::relaySet(kPrefix, 2), "ON"));
    ASSERT_EVENTUALLY(!received.isEmpty(), kWaitMs);
    EXPECT_EQ(received, (Messages{{topics::relaySet(kPrefix, 2), "ON"}}));
}

TEST_F(MqttConnectionTest, ReconnectsByItselfWhenTheBrokerIsBackAndAsksForTheStateAgain)
{
    auto connection = station(stationSettings());
    QSignalSpy connected(connection.get(), &MqttConnection::connected);
    QSignalSpy problems(connection.get(), &MqttConnection::problem);
    connection->start();
    ASSERT_EVENTUALLY(connected.count() == 1, kWaitMs);

    broker.kill();
    ASSERT_EVENTUALLY(connection->state() == MqttConnection::State::Waiting, kWaitMs);
    EXPECT_FALSE(connection->publish(topics::tx(kPrefix), "OFF", MqttConnection::Retain::Yes));
    ASSERT_GE(problems.count(), 1);
    EXPECT_TRUE(problems.first().first().toString().contains(QLatin1String("trying again")))
        << qPrintable(problems.first().first().toString());

    ASSERT_TRUE(broker.start());
    ASSERT_EVENTUALLY(connected.count() == 2, kReconnectWaitMs);
    // The restarted broker kept nothing: "online" is there because the station said it
    // again, and its subscriptions are back.
    const auto watcher = subscribed(QStringLiteral("viewer"), topics::availability(kPrefix));
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::availability(kPrefix)), QList<QByteArray>{"online"}, kWaitMs);
    ASSERT_TRUE(client(QStringLiteral("operator")).publish(topics::followingSet(kPrefix), "ON"));
    ASSERT_EVENTUALLY_EQ(received, (Messages{{topics::followingSet(kPrefix), "ON"}}), kWaitMs);
}

TEST_F(MqttConnectionTest, APasswordFileOpenToOthersIsRefusedUnread)
{
    const NetworkSettings settings =
        stationSettings(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    auto connection = station(settings);
    QSignalSpy problems(connection.get(), &MqttConnection::problem);
    QSignalSpy states(connection.get(), &MqttConnection::stateChanged);
    connection->start();
    ASSERT_EQ(problems.count(), 1);
    const QString message = problems.first().first().toString();
    EXPECT_TRUE(message.contains(QString::fromStdString(settings.passwordFile))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QLatin1String("chmod 600"))) << qPrintable(message);
    EXPECT_EQ(states.count(), 0);
    EXPECT_EQ(connection->state(), MqttConnection::State::Idle);

    // The mode was all that stood in the way.
    QFile::setPermissions(QString::fromStdString(settings.passwordFile), QFile::ReadOwner | QFile::WriteOwner);
    QSignalSpy connected(connection.get(), &MqttConnection::connected);
    connection->start();
    ASSERT_EVENTUALLY(connected.count() == 1, kWaitMs);
}

class MqttOverTlsTest : public MqttConnectionTest {
protected:
    MqttOverTlsTest() : MqttConnectionTest(MosquittoBroker::Tls::On) {}
};

TEST_F(MqttOverTlsTest, SpeaksTlsToABrokerItsCaVouchesForAndToNoOther)
{
    NetworkSettings settings = stationSettings();
    settings.tls = true;
    settings.caFile = broker.caFile().toStdString();
    const auto watcher = subscribed(QStringLiteral("viewer"), topics::availability(kPrefix));
    auto connection = station(settings);
    connection->start();
    ASSERT_EVENTUALLY_EQ(watcher->payloads(topics::availability(kPrefix)), QList<QByteArray>{"online"}, kWaitMs);
    connection.reset();

    // The system's CAs know nothing of this broker's certificate.
    settings.caFile.clear();
    connection = station(settings);
    QSignalSpy problems(connection.get(), &MqttConnection::problem);
    connection->start();
    ASSERT_EVENTUALLY(problems.count() >= 1, kWaitMs);
    EXPECT_NE(connection->state(), MqttConnection::State::Connected);
    EXPECT_EQ(watcher->payloads(topics::availability(kPrefix)), (QList<QByteArray>{"online", "offline"}));
}

} // namespace
