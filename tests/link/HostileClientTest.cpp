// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server against clients that try to break it, on a private bus with the session
// bus's limits: values too large for the bus to carry, a call aimed at the moment the
// server lets its name go, another client's connector, another spelling of a path.
#include "LinkTestClient.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString service = QStringLiteral("org.tethra.Tethra");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

class HostileClient : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start"; }

    LinkTestClient client(const QString &name) { return LinkTestClient(bus.connect(name)); }

    uint serverPid()
    {
        return bus.connect(QStringLiteral("observer")).interface()->servicePid(service).value();
    }

    bool serverOnBus()
    {
        return bus.connect(QStringLiteral("observer")).interface()->isServiceRegistered(service);
    }

    PrivateBus bus;
};

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() + QLatin1Char(' ') + reply.errorMessage() : QString();
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
    EXPECT_TRUE(refused.startsWith(QStringLiteral("org.tethra.Tethra.Error 0x800A000E Out of string space: sData takes a text "
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
    const QDBusMessage all = a.call(object, properties, QStringLiteral("GetAll"), {QStringLiteral("org.tethra.Tethra._Varnex")});
    ASSERT_EQ(errorOf(all), QString());
    QVariantMap values;
    all.arguments().at(0).value<QDBusArgument>() >> values;
    EXPECT_EQ(values.value(QStringLiteral("NewsData")).toString(), largest);
    EXPECT_EQ(values.value(QStringLiteral("Transceiver")).toString(), largest);
    EXPECT_EQ(values.value(QStringLiteral("Band")), QVariant(5));
    EXPECT_EQ(serverPid(), server);
}

TEST(LinkServerWithoutItsBus, SaysSoOnStderrBeforeItEnds)
{
    auto bus = std::make_unique<PrivateBus>();
    ASSERT_TRUE(bus->isRunning());
    QProcess server;
    server.setProcessEnvironment(bus->environment());
    server.start(QStringLiteral(TETHRA_PATH), {QStringLiteral("--stay")});
    ASSERT_TRUE(waitUntil([&] {
        return bus->connect(QStringLiteral("observer")).interface()->isServiceRegistered(service).value();
    }));
    bus.reset();
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 1);
    EXPECT_EQ(server.readAllStandardError(), "tethra: lost the connection to the session bus; the shared object's values are gone\n");
}
