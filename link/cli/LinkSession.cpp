// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkSession.h"
#include "TethraBus.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString service = QLatin1String(tethra::bus::serviceName);
const QString properties = QLatin1String(tethra::bus::propertiesInterface);
const QString varnexInterface = QLatin1String(tethra::bus::varnexInterface);
const QString connectorInterface = QLatin1String(tethra::bus::connectorInterface);
const QString connectorClassId = QLatin1String(tethra::bus::connectorClassId);

} // namespace

LinkSession::LinkSession(const QDBusConnection &bus) : m_bus(bus) {}

LinkSession::~LinkSession()
{
    close();
}

bool LinkSession::open()
{
    QDBusMessage reply;
    if (!send(QLatin1String(tethra::bus::rootPath), QLatin1String(tethra::bus::factoryInterface),
              QStringLiteral("CreateObject"), {connectorClassId}, reply))
        return false;
    m_connector = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!send(m_connector, properties, QStringLiteral("Get"), {connectorInterface, QStringLiteral("Varnex")}, reply))
        return false;
    m_object = reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    return true;
}

void LinkSession::close()
{
    QDBusMessage reply;
    if (!m_object.isEmpty())
        send(m_object, varnexInterface, QStringLiteral("Release"), {}, reply);
    if (!m_connector.isEmpty())
        send(m_connector, connectorInterface, QStringLiteral("Release"), {}, reply);
    m_object.clear();
    m_connector.clear();
}

bool LinkSession::get(const QString &name, QVariant &value)
{
    QDBusMessage reply;
    if (!send(m_object, properties, QStringLiteral("Get"), {varnexInterface, name}, reply))
        return false;
    value = reply.arguments().value(0).value<QDBusVariant>().variant();
    return true;
}

bool LinkSession::getAll(QVariantMap &values)
{
    QDBusMessage reply;
    if (!send(m_object, properties, QStringLiteral("GetAll"), {varnexInterface}, reply))
        return false;
    const QDBusArgument arg = reply.arguments().value(0).value<QDBusArgument>();
    arg >> values;
    return true;
}

bool LinkSession::set(const QString &name, const QVariant &value)
{
    QDBusMessage reply;
    return send(m_object, properties, QStringLiteral("Set"), {varnexInterface, name, QVariant::fromValue(QDBusVariant(value))},
                reply);
}

bool LinkSession::call(const QString &command, const QVariantList &arguments)
{
    QDBusMessage reply;
    return send(m_object, varnexInterface, command, arguments, reply);
}

bool LinkSession::send(const QString &path, const QString &interface, const QString &member,
                       const QVariantList &arguments, QDBusMessage &reply)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, member);
    message.setArguments(arguments);
    reply = m_bus.call(message);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return false;
    }
    return true;
}
