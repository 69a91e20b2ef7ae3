// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkTestClient.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringDecoder>
#include <QTest>

#include <dbus/dbus.h>
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
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusObjectPath>().path()
                                                      : QString();
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
    return call(object, properties, QStringLiteral("Set"),
                {varnexInterface, name, QVariant::fromValue(QDBusVariant(value))});
}

QDBusMessage LinkTestClient::command(const QString &object, const QString &name, const QVariantList &args)
{
    return call(object, varnexInterface, name, args);
}

QDBusMessage LinkTestClient::release(const QString &path)
{
    const QString interface = path.contains(QLatin1String("VarnexConnector"))
                                  ? QStringLiteral("org.tethra.Tethra._VarnexConnector")
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
    connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                   QStringLiteral("/org/freedesktop/DBus"),
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

QByteArray rawStringProperty(const QString &busAddress, const QString &object, const QString &name)
{
    DBusConnection *connection = dbus_connection_open_private(busAddress.toUtf8().constData(), nullptr);
    if (!connection)
        return {};
    QByteArray text;
    DBusMessage *reply = nullptr;
    DBusMessage *get = dbus_message_new_method_call("org.tethra.Tethra", object.toUtf8().constData(),
                                                    "org.freedesktop.DBus.Properties", "Get");
    const QByteArray interface = varnexInterface.toUtf8(), field = name.toUtf8();
    const char *arguments[] = {interface.constData(), field.constData()};
    if (dbus_bus_register(connection, nullptr) &&
        dbus_message_append_args(get, DBUS_TYPE_STRING, &arguments[0], DBUS_TYPE_STRING, &arguments[1],
                                 DBUS_TYPE_INVALID))
        reply = dbus_connection_send_with_reply_and_block(connection, get, 30000, nullptr);
    DBusMessageIter it, content;
    if (reply && dbus_message_iter_init(reply, &it) && dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_VARIANT) {
        dbus_message_iter_recurse(&it, &content);
        if (dbus_message_iter_get_arg_type(&content) == DBUS_TYPE_STRING) {
            const char *utf8 = nullptr;
            dbus_message_iter_get_basic(&content, &utf8);
            text = utf8;
        }
    }
    if (reply)
        dbus_message_unref(reply);
    dbus_message_unref(get);
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
    return text;
}

ProgramResult runProgram(const QString &path, const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(path, args);
    if (!program.waitForFinished(30000))
        return {-1, {}, QStringLiteral("%1 did not finish").arg(path)};
    // Every character kept: QString::fromUtf8 would drop a leading U+FEFF.
    const auto text = [](const QByteArray &bytes) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return QString(utf8(bytes));
    };
    return {program.exitCode(), text(program.readAllStandardOutput()), text(program.readAllStandardError())};
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
