// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkTestClient.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {
const QString service = QStringLiteral("org.tethra.Tethra");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString varnexInterface = QStringLiteral("org.tethra.Tethra._Varnex");
} // namespace

QDBusMessage LinkTestClient::call(const QString &path, const QString &interface, const QString &member,
                                  const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, member);
    message.setArguments(args);
    return m_connection.call(message, QDBus::Block, 30000);
}

QDBusMessage LinkTestClient::createObject(const QString &clsid)
{
    return call(QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
                QStringLiteral("CreateObject"), {clsid});
}

QString LinkTestClient::createConnector()
{
    const QDBusMessage reply = createObject(connectorClsid);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusObjectPath>().path() : QString();
}

QString LinkTestClient::varnexOf(const QString &connector)
{
    const QDBusMessage reply = call(connector, properties, QStringLiteral("Get"),
                                    {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")});
    return reply.type() == QDBusMessage::ReplyMessage
               ? reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path()
               : QString();
}

QString LinkTestClient::connectShared()
{
    m_connector = createConnector();
    return varnexOf(m_connector);
}

QVariant LinkTestClient::get(const QString &object, const QString &name)
{
    const QDBusMessage reply = call(object, properties, QStringLiteral("Get"), {varnexInterface, name});
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusVariant>().variant()
                                                       : QVariant(reply.errorMessage());
}

QDBusMessage LinkTestClient::set(const QString &object, const QString &name, const QVariant &value)
{
    return call(object, properties, QStringLiteral("Set"), {varnexInterface, name, QVariant::fromValue(QDBusVariant(value))});
}

QDBusMessage LinkTestClient::command(const QString &object, const QString &name, const QVariantList &args)
{
    return call(object, varnexInterface, name, args);
}

QDBusMessage LinkTestClient::release(const QString &path)
{
    const QString interface = path.contains(QLatin1String("VarnexConnector")) ? QStringLiteral("org.tethra.Tethra._VarnexConnector")
                                                                               : varnexInterface;
    return call(path, interface, QStringLiteral("Release"));
}

EventRecorder::EventRecorder(QDBusConnection connection, const QString &objectPath)
{
    connection.connect(service, objectPath, QStringLiteral("org.tethra.Tethra.__Varnex"), QString(), this,
                       SLOT(record(QDBusMessage)));
    connection.connect(service, objectPath, properties, QStringLiteral("PropertiesChanged"), this,
                       SLOT(recordChange(QDBusMessage)));
    // A round trip to the bus so the match rule is in place before the test goes on.
    connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                   QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
}

void EventRecorder::record(const QDBusMessage &event)
{
    events << event.member();
    order << event.member();
}

void EventRecorder::recordChange(const QDBusMessage &signal)
{
    EXPECT_EQ(signal.arguments().value(0).toString(), varnexInterface);
    EXPECT_EQ(signal.arguments().value(2).toStringList(), QStringList());
    QVariantMap changed;
    signal.arguments().value(1).value<QDBusArgument>() >> changed;
    changes << changed;
    order << QStringLiteral("changed");
}

ProgramResult runProgram(const QString &path, const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(path, args);
    if (!program.waitForFinished(30000))
        return {-1, {}, QStringLiteral("%1 did not finish").arg(path)};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}
