// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BridgeFixture.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

namespace {
const QString kService = QStringLiteral("org.tethra.Tethra");
const QString kObjectInterface = QStringLiteral("org.tethra.Tethra._Varnex");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
} // namespace

void BridgeFixture::SetUp()
{
    ASSERT_TRUE(rigctld.start()) << "rigctld did not start";
    ASSERT_TRUE(bus.isRunning()) << "no private dbus-daemon";
    link = bus.connect(QStringLiteral("bridge-test"));
    ASSERT_TRUE(link.isConnected());
    ASSERT_TRUE(attachLink());
    ASSERT_TRUE(startBridge());
}

bool BridgeFixture::startBridge()
{
    bridge.setProcessEnvironment(bus.environment());
    bridge.start(QStringLiteral(TETHRA_RIGCTL),
                 {QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                  QString::number(rigctld.port()), QStringLiteral("--interval"), QStringLiteral("100")});
    return bridge.waitForStarted(10000);
}

void BridgeFixture::TearDown()
{
    if (bridge.state() != QProcess::NotRunning) {
        bridge.kill();
        bridge.waitForFinished(10000);
    }
}

::testing::AssertionResult BridgeFixture::attachLink()
{
    QDBusMessage create = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/tethra/Tethra"),
                                                         QStringLiteral("org.tethra.Tethra.ClassFactory"),
                                                         QStringLiteral("CreateObject"));
    create << QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}");
    const QDBusReply<QDBusObjectPath> connector = link.call(create, QDBus::Block, 30000);
    if (!connector.isValid())
        return ::testing::AssertionFailure() << "CreateObject: " << connector.error().message().toStdString();
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, connector.value().path(), kProperties, QStringLiteral("Get"));
    get << QStringLiteral("org.tethra.Tethra._VarnexConnector") << QStringLiteral("Varnex");
    const QDBusReply<QDBusVariant> object = link.call(get, QDBus::Block, 30000);
    if (!object.isValid())
        return ::testing::AssertionFailure() << "Varnex: " << object.error().message().toStdString();
    if (!objectPath.isEmpty())
        link.disconnect(kService, objectPath, QStringLiteral("org.tethra.Tethra.__Varnex"), QStringLiteral("OK"),
                        &events, SLOT(onEvent(QDBusMessage)));
    objectPath = object.value().variant().value<QDBusObjectPath>().path();
    if (!link.connect(kService, objectPath, QStringLiteral("org.tethra.Tethra.__Varnex"), QStringLiteral("OK"), &events,
                      SLOT(onEvent(QDBusMessage))))
        return ::testing::AssertionFailure() << "cannot subscribe to OK";
    return ::testing::AssertionSuccess();
}

QVariant BridgeFixture::field(const QString &name) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, objectPath, kProperties, QStringLiteral("Get"));
    get << kObjectInterface << name;
    const QDBusReply<QDBusVariant> reply = link.call(get, QDBus::Block, 10000);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

bool BridgeFixture::setField(const QString &name, const QVariant &value) const
{
    QDBusMessage set = QDBusMessage::createMethodCall(kService, objectPath, kProperties, QStringLiteral("Set"));
    set << kObjectInterface << name << QVariant::fromValue(QDBusVariant(value));
    return link.call(set, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
}

bool BridgeFixture::callCommand(const QString &name, const QVariantList &args) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, objectPath, kObjectInterface, name);
    call.setArguments(args);
    return link.call(call, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
}

QString BridgeFixture::bridgeErrors()
{
    errors += QString::fromUtf8(bridge.readAllStandardError());
    return errors;
}
