// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server against clients that try to break it, on a private bus with the session
// bus's limits: values too large for the bus to carry, a call aimed at the moment the
// server lets its name go, another client's connector, another spelling of a path.
#include "BusConnection.h"
#include "LinkClient.h"
#include "LinkTestClient.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using tethra::dbus::BusCall;
using tethra::dbus::BusConnection;
using tethra::dbus::BusReply;

const QString service = QStringLiteral("org.tethra.Tethra");
const QString factoryPath = QStringLiteral("/org/tethra/Tethra");
const QString factoryInterface = QStringLiteral("org.tethra.Tethra.ClassFactory");
const QString connectorInterface = QStringLiteral("org.tethra.Tethra._VarnexConnector");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

class HostileClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start"; }

    LinkTestClient client(const QString &name) { return LinkTestClient(bus.connect(name)); }

    uint serverPid() { return bus.connect(QStringLiteral("observer")).interface()->servicePid(service).value(); }

    bool serverOnBus() { return bus.connect(QStringLiteral("observer")).interface()->isServiceRegistered(service); }

    PrivateBus bus;
};

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() + QLatin1Char(' ') + reply.errorMessage()
                                                      : QString();
}

// A text of this many bytes of UTF-8, mostly three-byte characters.
QString textOfBytes(qsizetype bytes)
{
    return QString(bytes / 3, QChar(0x20AC)) + QString(bytes % 3, QLatin1Char('x'));
}

constexpr qsizetype MiB = 1 << 20;

} // namespace

TEST_F(HostileClient, TextsTooLargeForTheBusAreRefusedAndEveryValueIsKept)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    ASSERT_FALSE(object.isEmpty());
    a.set(object, QStringLiteral("Band"), 5);
    a.set(object, QStringLiteral("sData"), QStringLiteral("kept"));
    const uint server = serverPid();

    const QString refused = errorOf(a.set(object, QStringLiteral("sData"), QString(65 * MiB, QLatin1Char('x'))));
    EXPECT_TRUE(
        refused.startsWith(QStringLiteral("org.tethra.Tethra.Error 0x800A000E Out of string space: sData takes a text "
                                          "of at most 8388608 bytes as UTF-8")))
        << qPrintable(refused.left(200));
    const QString forty(40 * MiB, QLatin1Char('y'));
    EXPECT_NE(errorOf(a.set(object, QStringLiteral("Transceiver"), forty)), QString());
    EXPECT_NE(errorOf(a.set(object, QStringLiteral("NewsData"), forty)), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("sData")), QVariant(QStringLiteral("kept")));
    EXPECT_EQ(a.get(object, QStringLiteral("Band")), QVariant(5));
    EXPECT_EQ(serverPid(), server) << "the same server answers";

    // Every unbounded text at the largest size taken, one byte more refused (here through a
    // command): the whole object still fits one reply.
    const QString largest = textOfBytes(8 * MiB);
    for (const QString &field : {QStringLiteral("sData"), QStringLiteral("NewsData"), QStringLiteral("Transceiver")})
        EXPECT_EQ(errorOf(a.set(object, field, largest)), QString()) << qPrintable(field);
    EXPECT_TRUE(errorOf(a.command(object, QStringLiteral("SetData"), {1, 2, 3.5, largest + QLatin1Char('x')}))
                    .contains(QStringLiteral("0x800A000E")));
    a.set(object, QStringLiteral("Comment"), QString(30, QChar(0x20AC)));
    const QDBusMessage all =
        a.call(object, properties, QStringLiteral("GetAll"), {QStringLiteral("org.tethra.Tethra._Varnex")});
    ASSERT_EQ(errorOf(all), QString());
    QVariantMap values;
    all.arguments().at(0).value<QDBusArgument>() >> values;
    EXPECT_EQ(values.value(QStringLiteral("NewsData")).toString(), largest);
    EXPECT_EQ(values.value(QStringLiteral("Transceiver")).toString(), largest);
    EXPECT_EQ(values.value(QStringLiteral("Band")), QVariant(5));
    EXPECT_EQ(serverPid(), server);
}

TEST_F(HostileClient, AConnectorAnswersOnlyTheClientThatCreatedItUnderItsOnePath)
{
    auto owner = client(QStringLiteral("owner"));
    auto other = client(QStringLiteral("other"));
    const QString connector = owner.createConnector();
    ASSERT_TRUE(connector.endsWith(QStringLiteral("/VarnexConnector/1"))) << qPrintable(connector);

    const QString foreign = errorOf(
        other.call(connector, properties, QStringLiteral("Get"), {connectorInterface, QStringLiteral("Varnex")}));
    EXPECT_TRUE(foreign.startsWith(QStringLiteral("org.tethra.Tethra.Error 0x80070005"))) << qPrintable(foreign);
    EXPECT_TRUE(foreign.contains(QStringLiteral("another client"))) << qPrintable(foreign);
    EXPECT_NE(errorOf(other.call(connector, properties, QStringLiteral("GetAll"), {connectorInterface})), QString());
    EXPECT_NE(errorOf(other.call(connector, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                 QStringLiteral("Introspect"))),
              QString());
    EXPECT_NE(errorOf(other.release(connector)), QString());

    EXPECT_EQ(owner.varnexOf(connector.chopped(1) + QStringLiteral("01")), QString())
        << "no second name for a connector";
    const QString object = owner.varnexOf(connector);
    ASSERT_TRUE(object.endsWith(QStringLiteral("/Varnex/1"))) << qPrintable(object);
    EXPECT_NE(errorOf(owner.set(object.chopped(1) + QStringLiteral("01"), QStringLiteral("Band"), 3)), QString())
        << "no second name for the shared object";

    // The other client took no hold through the connector: the owner's release ends the server.
    ASSERT_EQ(errorOf(owner.release(object)), QString());
    ASSERT_EQ(errorOf(owner.release(connector)), QString());
    EXPECT_TRUE(waitUntil([&] { return !serverOnBus(); })) << "a hold was taken through another client's connector";
}

// A client that calls CreateObject just as the server lets its name go is answered: by the
// server, which then keeps its name, or with the error of a server that is stopping, which
// a client retries. When that moment comes is measured first; then, for a minute, each
// call is aimed somewhere around it.
TEST_F(HostileClient, ACreateObjectRacingTheIdleExitIsAlwaysAnswered)
{
    using Clock = std::chrono::steady_clock;
    QString why;
    const std::unique_ptr<BusConnection> caller = BusConnection::toAddress(bus.address(), &why);
    ASSERT_TRUE(caller) << qPrintable(why);
    const auto create = [&] {
        return caller
            ->call(service, factoryPath, factoryInterface, QStringLiteral("CreateObject"), {connectorClsid}, 30000)
            .wait();
    };
    const auto release = [&](const BusReply &created) {
        const QString path = created.arguments.value(0).value<QDBusObjectPath>().path();
        return caller->call(created.sender, path, connectorInterface, QStringLiteral("Release"), {}, 30000).wait();
    };
    const auto nameOwner = [&] { return caller->callBus(QStringLiteral("GetNameOwner"), {service}, 30000).wait(); };

    // From the answer to the last release to the name gone, a few times.
    std::vector<double> exits;
    for (int i = 0; i < 5; ++i) {
        const BusReply created = create();
        ASSERT_FALSE(created.isError()) << qPrintable(created.errorMessage);
        ASSERT_FALSE(release(created).isError());
        const Clock::time_point released = Clock::now();
        while (!nameOwner().isError() && Clock::now() - released < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        exits.push_back(std::chrono::duration<double, std::milli>(Clock::now() - released).count());
    }
    std::sort(exits.begin(), exits.end());
    const double from = exits.front() - 3, to = exits.back() + 3;

    int served = 0, stopping = 0;
    QStringList unanswered;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(60);
    for (int i = 0; Clock::now() < end; ++i) {
        BusReply created = create();
        while (created.isError() && created.errorMessage.startsWith(QLatin1String("0x80080008")))
            created = create(); // a server ending refused it: the next call starts a new one
        ASSERT_FALSE(created.isError()) << qPrintable(created.errorName + QLatin1Char(' ') + created.errorMessage);
        ASSERT_FALSE(release(created).isError());
        const double aim = from + (to - from) * ((i * 7) % 64) / 63.0;
        std::this_thread::sleep_until(Clock::now() + std::chrono::duration<double, std::milli>(aim));
        const BusReply raced = create();
        if (!raced.isError()) {
            ++served;
            EXPECT_EQ(nameOwner().arguments.value(0).toString(), raced.sender)
                << "the server that served the call keeps its name";
            release(raced);
        } else if (raced.errorName == QLatin1String("org.tethra.Tethra.Error") &&
                   raced.errorMessage.startsWith(QLatin1String("0x80080008"))) {
            ++stopping;
        } else {
            unanswered << raced.errorName + QLatin1Char(' ') + raced.errorMessage;
        }
    }
    std::printf("exit %.1f to %.1f ms after the release; %d calls served, %d refused as the server stopped, %lld not\n",
                exits.front(), exits.back(), served, stopping, qlonglong(unanswered.size()));
    EXPECT_TRUE(unanswered.isEmpty()) << qPrintable(unanswered.join(QLatin1Char('\n')));
}

// The client library meets a server on its way out as the race above can make it: the
// name's owner gives the name back, then refuses CreateObject as stopping. The library
// calls again, which starts the real server, and the caller sees only the connection.
TEST_F(HostileClient, TheClientLibraryCallsAgainWhenTheServerIsStopping)
{
    QString why;
    const std::unique_ptr<BusConnection> ending = BusConnection::toAddress(bus.address(), &why);
    ASSERT_TRUE(ending) << qPrintable(why);
    ASSERT_EQ(ending->callBus(QStringLiteral("RequestName"), {service, 4u}).wait().arguments.value(0).toUInt(), 1u);
    int refused = 0;
    ending->setCallHandler([&](const BusCall &call) {
        ending->callBus(QStringLiteral("ReleaseName"), {service}).then(ending.get(), [&, call](const BusReply &) {
            ++refused;
            ending->error(call, QStringLiteral("org.tethra.Tethra.Error"),
                          QStringLiteral("0x80080008 Object server is stopping: call again, and a new server answers"));
        });
    });

    tethra::client::LinkClient link(bus.address());
    QStringList failures;
    QObject::connect(&link, &tethra::client::LinkClient::connectFailed,
                     [&](const QString &reason) { failures << reason; });
    link.connectToServer();
    ASSERT_TRUE(waitUntil([&] { return link.isConnected() || !failures.isEmpty(); })) << "no answer";
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join(QLatin1Char('\n')));
    EXPECT_EQ(refused, 1);
    EXPECT_NE(link.serverName(), ending->uniqueName());
    EXPECT_EQ(serverPid(), bus.connect(QStringLiteral("observer")).interface()->servicePid(link.serverName()).value());
}

TEST(LinkServerWithoutItsBus, SaysSoOnStderrBeforeItEnds)
{
    auto bus = std::make_unique<PrivateBus>();
    ASSERT_TRUE(bus->isRunning());
    QProcess server;
    server.setProcessEnvironment(bus->environment());
    server.start(QStringLiteral(TETHRA_PATH), {QStringLiteral("--stay")});
    ASSERT_TRUE(waitUntil(
        [&] { return bus->connect(QStringLiteral("observer")).interface()->isServiceRegistered(service).value(); }));
    bus.reset();
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 1);
    EXPECT_EQ(server.readAllStandardError(),
              "tethra: lost the connection to the session bus; the shared object's values are gone\n");
}
