// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// `tovana --headless` as a station computer runs it: its own process with no display, the
// board a pseudo-terminal that answers every query, the link server on a private bus, and a
// real Mosquitto broker with the logins and the access list of docs/mqtt. The people on the
// broker are mosquitto_sub and mosquitto_pub.
#include "Eventually.h"
#include "MosquittoBroker.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "Station.h"
#include "StationHost.h"
#include "StationPublisher.h"
#include "StationTopics.h"
#include "TempConfigHome.h"
#include "WireFormat.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace topics = tovana::network::topics;
using tovana::station::relayOffByte;
using tovana::station::relayOnByte;

namespace {

const QString kPrefix = QStringLiteral("tovana/shack");
const QList<MosquittoBroker::User> kUsers = {{QStringLiteral("tovana"), QStringLiteral("station secret")},
                                             {QStringLiteral("operator"), QStringLiteral("operator secret")},
                                             {QStringLiteral("viewer"), QStringLiteral("viewer secret")}};
constexpr int kWaitMs = 15000;
// The station retries after 1, 2, 4 ... s: a broker back within a few seconds is found soon.
constexpr int kReconnectWaitMs = 30000;
constexpr char kReading = 100; // every channel reads this

class HeadlessStationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(broker.isRunning()) << qPrintable(broker.log());
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(board.linkAs(1));
        // Channel queries are answered; relay bytes are not.
        board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, kReading) : QByteArray(); });
    }

    void TearDown() override
    {
        if (station.state() != QProcess::NotRunning) {
            station.kill();
            station.waitForFinished();
        }
    }

    // The settings file as the operator left it; the broker's port and the prefix come on the
    // command line, as a unit file would give them.
    void start(const QByteArray &extraSettings = {})
    {
        const QString passwordFile = home.path() + QStringLiteral("/mqtt-password");
        QFile file(passwordFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("station secret\n");
        file.close();
        ASSERT_TRUE(QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner));
        home.writeStore("[Network]\nBrokerHost=" + broker.host().toUtf8() +
                        "\nUser=tovana\nPasswordFile=" + passwordFile.toUtf8() + "\n" + extraSettings);

        QProcessEnvironment environment = bus.environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        station.setProcessEnvironment(environment);
        station.start(QStringLiteral(TOVANA_PROGRAM),
                      {QStringLiteral("--headless"), QStringLiteral("--broker-port"), QString::number(broker.port()),
                       QStringLiteral("--topic-prefix"), kPrefix});
        ASSERT_TRUE(station.waitForStarted());
    }

    std::unique_ptr<MqttClient> subscribed(const QString &user, const QString &filter)
    {
        auto client = std::make_unique<MqttClient>(broker, user, password(user));
        client->subscribe(filter);
        return client;
    }

    bool publish(const QString &user, const QString &topic, const QByteArray &payload)
    {
        return MqttClient(broker, user, password(user)).publish(topic, payload);
    }

    static QString password(const QString &user)
    {
        for (const MosquittoBroker::User &known : kUsers) {
            if (known.name == user)
                return known.password;
        }
        return {};
    }

    QString log() { return QString::fromLocal8Bit(stationLog += station.readAllStandardError()); }

    // The station is on the broker and its board answers.
    void waitUntilOnline(const MqttClient &watcher)
    {
        ASSERT_EVENTUALLY(watcher.payloads(topics::availability(kPrefix)).value(0) == "online", kWaitMs)
            << qPrintable(log());
        ASSERT_EVENTUALLY(watcher.payloads(topics::board(kPrefix)).contains("answering"), kWaitMs) << qPrintable(log());
    }

    TempConfigHome home;
    PtyBoard board;
    PrivateBus bus;
    MosquittoBroker broker{kUsers};
    QProcess station;
    QByteArray stationLog;
};

TEST_F(HeadlessStationTest, PublishesItsStateAndSwitchesForTheOperatorOnly)
{
    start();
    const auto watcher = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    const auto discovery = subscribed(QStringLiteral("viewer"), QStringLiteral("homeassistant/#"));
    waitUntilOnline(*watcher);
    // The gauge's default scale is 0 to 5 V over the board's 0 to 255.
    ASSERT_EVENTUALLY(!watcher->payloads(topics::meter(kPrefix, 0)).isEmpty(), kWaitMs);
    EXPECT_NEAR(watcher->payloads(topics::meter(kPrefix, 0)).last().toDouble(), 100 * 5.0 / 255, 0.05);
    EXPECT_EQ(watcher->payloads(topics::meterCaption(kPrefix, 0)).value(0), "Volts DC");
    // The face as the web panel draws it; the stored BGR colours as #rrggbb.
    EXPECT_EQ(watcher->payloads(topics::meterScale(kPrefix, 0)).value(0),
              R"({"bands":[[0,3,"#008000"],[3,4,"#ffff00"],[4,5,"#ff0000"]],"max":5,"min":0,"ticks":4})");
    EXPECT_EQ(watcher->payloads(topics::relay(kPrefix, 3)).value(0), "OFF");
    EXPECT_EQ(watcher->payloads(topics::relayLabel(kPrefix, 3)).value(0), "Relay3");
    EXPECT_EQ(watcher->payloads(topics::following(kPrefix)).value(0), "OFF");
    ASSERT_EVENTUALLY(discovery->messages().size() >= 24, kWaitMs);
    const QString relay3Config = QStringLiteral("homeassistant/switch/tovana_shack/relay_3/config");
    ASSERT_FALSE(discovery->payloads(relay3Config).isEmpty());
    const QJsonObject relay3 = QJsonDocument::fromJson(discovery->payloads(relay3Config).value(0)).object();
    EXPECT_EQ(relay3.value(QStringLiteral("name")).toString(), QStringLiteral("Relay3"));
    EXPECT_EQ(relay3.value(QStringLiteral("command_topic")).toString(), topics::relaySet(kPrefix, 3));

    // The viewer's command is dropped by the broker, a malformed one by the station with a
    // word in the log; the operator's comes after both, so once it is done they were seen.
    ASSERT_TRUE(publish(QStringLiteral("viewer"), topics::relaySet(kPrefix, 4), "ON"));
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::relaySet(kPrefix, 5), "maybe"));
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::relaySet(kPrefix, 3), "ON"));
    ASSERT_EVENTUALLY(board.received().contains(relayOnByte(3)), kWaitMs) << qPrintable(log());
    ASSERT_EVENTUALLY(watcher->payloads(topics::relay(kPrefix, 3)).endsWith("ON"), kWaitMs);
    EXPECT_FALSE(board.received().contains(relayOnByte(4)));
    EXPECT_FALSE(board.received().contains(relayOnByte(5)));
    EXPECT_EQ(watcher->payloads(topics::relay(kPrefix, 4)), QList<QByteArray>{"OFF"});
    ASSERT_EVENTUALLY(home.readStore().value(QStringLiteral("RelayStatus3")) == QStringLiteral("True"), kWaitMs);
    EXPECT_EQ(home.readStore().value(QStringLiteral("RelayStatus4")), QStringLiteral("False"));
    EXPECT_TRUE(log().contains(QStringLiteral("relay/5/set"))) << qPrintable(log());

    // Asked again for what it already is, the relay stays as it is: no byte, no toggle.
    const qsizetype relay3Offs = board.received().count(relayOffByte(3));
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::relaySet(kPrefix, 3), "ON"));
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::followingSet(kPrefix), "ON"));
    ASSERT_EVENTUALLY(watcher->payloads(topics::following(kPrefix)).endsWith("ON"), kWaitMs);
    EXPECT_EQ(board.received().count(relayOffByte(3)), relay3Offs);

    // SIGTERM: a clean end, "offline" said by the station itself.
    ::kill(station.processId(), SIGTERM);
    ASSERT_TRUE(station.waitForFinished(kWaitMs)) << qPrintable(log());
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0) << qPrintable(log());
    ASSERT_EVENTUALLY(watcher->payloads(topics::availability(kPrefix)).endsWith("offline"), kWaitMs);
    EXPECT_TRUE(broker.log().contains(QStringLiteral("disconnected"))) << qPrintable(broker.log());
    EXPECT_EQ(home.readStore().value(QStringLiteral("RelayStatus3")), QStringLiteral("True"));
}

// The radio-control program: another client of the link server that keys the transmitter.
void keyTheRadio(const QDBusConnection &bus)
{
    const auto call = [&](const QString &path, const QString &interface, const QString &member,
                          const QVariantList &arguments) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(QStringLiteral("org.tethra.Tethra"), path, interface, member);
        message.setArguments(arguments);
        return QDBusConnection(bus).call(message, QDBus::Block, 30000);
    };
    const QDBusMessage created =
        call(QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
             QStringLiteral("CreateObject"), {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")});
    const QString connector = created.arguments().value(0).value<QDBusObjectPath>().path();
    const QDBusMessage read = call(connector, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                   {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")});
    const QString object = read.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    call(object, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
         {QStringLiteral("org.tethra.Tethra._Varnex"), QStringLiteral("PTT"), QVariant::fromValue(QDBusVariant(1))});
}

TEST_F(HeadlessStationTest, ABandCommandDuringTheHoldIsRefusedAndSaidSo)
{
    start("[Interlock]\nHoldWhileTx=True\n");
    const auto watcher = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    waitUntilOnline(*watcher);
    ASSERT_EQ(watcher->payloads(topics::hold(kPrefix)).value(0), "ON");
    keyTheRadio(bus.connect(QStringLiteral("radio")));
    ASSERT_EVENTUALLY(watcher->payloads(topics::tx(kPrefix)).endsWith("ON"), kWaitMs) << qPrintable(log());

    const QByteArray bandBefore = watcher->payloads(topics::band(kPrefix)).last();
    const qsizetype bytesBefore = board.received().size();
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::bandSet(kPrefix), "20"));
    ASSERT_EVENTUALLY(!watcher->payloads(topics::refused(kPrefix)).isEmpty(), kWaitMs) << qPrintable(log());
    EXPECT_EQ(watcher->payloads(topics::refused(kPrefix)).value(0),
              "The band relays are held while the radio transmits.");
    EXPECT_EQ(watcher->payloads(topics::band(kPrefix)).last(), bandBefore);
    // Only channel queries went to the board since: no band relay byte (relays 13 to 16).
    for (char byte : board.received().mid(bytesBefore))
        EXPECT_TRUE(byte >= 0 && byte < 8) << "byte " << int(byte);
    EXPECT_EQ(home.readStore().value(QStringLiteral("BandStatus5")), QStringLiteral("False"));
}

TEST_F(HeadlessStationTest, ATripIsPublishedAndAcknowledgedFromAfarOnlyOnceTheReadingIsBack)
{
    // Meter 0 reads 1.96 V from the board: beyond a limit of 1 V from the start.
    start("[Limits]\nLimit0=Above\nValue0=1\nReadings0=3\nWhileTx0=False\nAction0=2=On\n");
    const auto watcher = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    waitUntilOnline(*watcher);
    ASSERT_EVENTUALLY(watcher->payloads(topics::meterTrip(kPrefix, 0)).endsWith("ON"), kWaitMs) << qPrintable(log());
    ASSERT_EVENTUALLY(watcher->payloads(topics::relay(kPrefix, 2)).endsWith("ON"), kWaitMs);

    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::meterTripSet(kPrefix, 0), "OFF"));
    ASSERT_EVENTUALLY(!watcher->payloads(topics::refused(kPrefix)).isEmpty(), kWaitMs) << qPrintable(log());
    EXPECT_TRUE(watcher->payloads(topics::refused(kPrefix)).value(0).contains("still above"));
    EXPECT_TRUE(watcher->payloads(topics::meterTrip(kPrefix, 0)).endsWith("ON"));

    // Only real meters have trips: a change with no meter (the lamps, every cycle) publishes none.
    for (const auto &message : watcher->messages())
        EXPECT_FALSE(message.first.contains(QStringLiteral("/-1"))) << qPrintable(message.first);

    board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, '\0') : QByteArray(); });
    ASSERT_EVENTUALLY(watcher->payloads(topics::meter(kPrefix, 0)).endsWith("0"), kWaitMs);
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::meterTripSet(kPrefix, 0), "OFF"));
    ASSERT_EVENTUALLY(watcher->payloads(topics::meterTrip(kPrefix, 0)).endsWith("OFF"), kWaitMs) << qPrintable(log());
}

TEST_F(HeadlessStationTest, ItsStateIsBackAfterTheBrokerRestarts)
{
    start();
    const auto before = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    waitUntilOnline(*before);
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::relaySet(kPrefix, 7), "ON"));
    ASSERT_EVENTUALLY(before->payloads(topics::relay(kPrefix, 7)).endsWith("ON"), kWaitMs);

    // The broker keeps nothing over a restart here: what comes back is what the station sends.
    broker.kill();
    ASSERT_TRUE(broker.start()) << qPrintable(broker.log());
    const auto after = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    ASSERT_EVENTUALLY(after->payloads(topics::availability(kPrefix)).contains("online"), kReconnectWaitMs)
        << qPrintable(log());
    ASSERT_EVENTUALLY(after->payloads(topics::relay(kPrefix, 7)).contains("ON"), kWaitMs);
    EXPECT_EQ(station.state(), QProcess::Running);

    // And it is switched again as before.
    board.dropReceived(board.received().size());
    ASSERT_TRUE(publish(QStringLiteral("operator"), topics::relaySet(kPrefix, 7), "OFF"));
    ASSERT_EVENTUALLY(board.received().contains(relayOffByte(7)), kWaitMs) << qPrintable(log());
}

// The panel's side in this process: the same host and network face. A click is published;
// a renamed label renames the Home Assistant entity, under the same unique id.
TEST_F(HeadlessStationTest, AClickIsPublishedAndARenamedLabelRenamesItsEntity)
{
    const QString passwordFile = home.path() + QStringLiteral("/mqtt-password");
    QFile file(passwordFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("station secret\n");
    file.close();
    ASSERT_TRUE(QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner));
    tovana::network::NetworkSettings settings;
    settings.brokerHost = broker.host().toStdString();
    settings.brokerPort = broker.port();
    settings.user = "tovana";
    settings.passwordFile = passwordFile.toStdString();
    settings.topicPrefix = kPrefix.toStdString();

    tovana::StationHost host(bus.address());
    tovana::network::StationPublisher face(host, settings, QStringLiteral("shack"), QString());
    const auto watcher = subscribed(QStringLiteral("viewer"), kPrefix + QStringLiteral("/#"));
    const auto discovery = subscribed(QStringLiteral("viewer"), QStringLiteral("homeassistant/switch/#"));
    host.activate();
    face.start();
    waitUntilOnline(*watcher);
    const QString relay2Config = QStringLiteral("homeassistant/switch/tovana_shack/relay_2/config");
    ASSERT_EVENTUALLY(!discovery->payloads(relay2Config).isEmpty(), kWaitMs);

    host.perform(host.station().switchRelay(2));
    ASSERT_EVENTUALLY(watcher->payloads(topics::relay(kPrefix, 2)).endsWith("ON"), kWaitMs);
    ASSERT_EVENTUALLY(board.received().contains(relayOnByte(2)), kWaitMs);

    host.station().setRelayLabel(2, "Amplifier");
    ASSERT_EVENTUALLY(watcher->payloads(topics::relayLabel(kPrefix, 2)).endsWith("Amplifier"), kWaitMs);
    ASSERT_EVENTUALLY(discovery->payloads(relay2Config).size() == 2, kWaitMs);
    const QJsonObject before = QJsonDocument::fromJson(discovery->payloads(relay2Config).first()).object();
    const QJsonObject after = QJsonDocument::fromJson(discovery->payloads(relay2Config).last()).object();
    EXPECT_EQ(after.value(QStringLiteral("name")).toString(), QStringLiteral("Amplifier"));
    EXPECT_EQ(after.value(QStringLiteral("unique_id")), before.value(QStringLiteral("unique_id")));
}

} // namespace
