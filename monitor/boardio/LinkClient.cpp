// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkClient.h"
#include "TethraBus.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace tovana {

namespace {

const QString kService = QLatin1String(tethra::bus::serviceName);
const QString kFactoryPath = QLatin1String(tethra::bus::rootPath);
const QString kFactoryInterface = QLatin1String(tethra::bus::factoryInterface);
const QString kConnectorInterface = QLatin1String(tethra::bus::connectorInterface);
const QString kVarnexInterface = QLatin1String(tethra::bus::varnexInterface);
const QString kProperties = QLatin1String(tethra::bus::propertiesInterface);
const QString kConnectorClsid = QLatin1String(tethra::bus::connectorClassId);

// Calls after the first go to the server process that answered it, by its unique name:
// a server started anew later has other objects under the same paths, and a call to a
// server that has gone must fail rather than start a fresh one.
QDBusMessage callTo(const QString &server, const QString &path, const QString &interface, const QString &member,
                    const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(server, path, interface, member);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return message;
}

QVariant propertyValue(const QDBusMessage &reply)
{
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

} // namespace

LinkClient::LinkClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

LinkClient::~LinkClient()
{
    abandonRead();
    releaseHeld(m_held);
}

QDBusPendingCallWatcher *LinkClient::watch(const QDBusPendingCall &call)
{
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
    return watcher;
}

void LinkClient::connectToServer()
{
    const quint64 attempt = ++m_attempt;
    if (!m_bus.isConnected()) {
        // Told later, as any other failure is, so the activation runs on first.
        const QString reason = m_bus.lastError().isValid() ? m_bus.lastError().message()
                                                           : QStringLiteral("there is no connection to the bus");
        QMetaObject::invokeMethod(this, [this, attempt, reason] { fail(attempt, reason); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage create = QDBusMessage::createMethodCall(kService, kFactoryPath, kFactoryInterface,
                                                         QStringLiteral("CreateObject"));
    create.setArguments({kConnectorClsid});
    QDBusPendingCallWatcher *call = watch(m_bus.asyncCall(create, kConnectTimeoutMs));
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, attempt](QDBusPendingCallWatcher *done) { onConnectorCreated(done, attempt); });
}

void LinkClient::onConnectorCreated(QDBusPendingCallWatcher *call, quint64 attempt)
{
    if (call->isError()) {
        fail(attempt, call->error().message());
        return;
    }
    const QDBusMessage reply = call->reply();
    const Held fresh{reply.service(), reply.arguments().value(0).value<QDBusObjectPath>().path(), {}};
    if (attempt != m_attempt) {
        releaseHeld(fresh);
        return;
    }
    const QDBusMessage read = callTo(fresh.server, fresh.connector, kProperties, QStringLiteral("Get"),
                                     {kConnectorInterface, QStringLiteral("Varnex")});
    QDBusPendingCallWatcher *next = watch(m_bus.asyncCall(read, kConnectTimeoutMs));
    connect(next, &QDBusPendingCallWatcher::finished, this,
            [this, attempt, fresh](QDBusPendingCallWatcher *done) { onObjectRead(done, attempt, fresh); });
}

void LinkClient::onObjectRead(QDBusPendingCallWatcher *call, quint64 attempt, const Held &fresh)
{
    Held obtained = fresh;
    if (!call->isError())
        obtained.object = propertyValue(call->reply()).value<QDBusObjectPath>().path();
    if (attempt != m_attempt) {
        releaseHeld(obtained);
        return;
    }
    if (call->isError() || obtained.object.isEmpty() || obtained.object == u"/") {
        releaseHeld(obtained);
        fail(attempt, call->isError() ? call->error().message()
                                      : QStringLiteral("the connector handed out no shared object"));
        return;
    }
    Held previous = m_held;
    m_held = obtained;
    abandonRead();  // a read of the previous object has nothing to say about the new one
    // Every connector of one server hands out the same object, and the server counts one
    // hold per client: releasing it would let go of the object now in use.
    if (previous.server == obtained.server && previous.object == obtained.object)
        previous.object.clear();
    releaseHeld(previous);
    emit connected();
}

void LinkClient::fail(quint64 attempt, const QString &reason)
{
    if (attempt != m_attempt)
        return;
    // What was held before belongs to a server that could not serve this activation.
    abandonRead();
    releaseHeld(m_held);
    m_held = {};
    emit connectFailed(reason);
}

void LinkClient::release(const QString &server, const QString &path, const QString &interface)
{
    if (path.isEmpty())
        return;
    m_bus.send(callTo(server, path, interface, QStringLiteral("Release"), {}));
}

void LinkClient::releaseHeld(const Held &held)
{
    release(held.server, held.connector, kConnectorInterface);
    release(held.server, held.object, kVarnexInterface);
}

bool LinkClient::readBand()
{
    if (!isConnected() || m_read)
        return false;
    const QDBusMessage read = callTo(m_held.server, m_held.object, kProperties, QStringLiteral("Get"),
                                     {kVarnexInterface, QStringLiteral("Band")});
    m_read = watch(m_bus.asyncCall(read, kReadTimeoutMs));
    connect(m_read, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        m_read = nullptr;
        if (done->isError())
            return;
        const QVariant band = propertyValue(done->reply());
        if (band.metaType().id() == QMetaType::Int)
            emit bandRead(band.toInt());
    });
    return true;
}

void LinkClient::abandonRead()
{
    if (!m_read)
        return;
    m_read->disconnect(this);
    m_read->deleteLater();
    m_read = nullptr;
}

} // namespace tovana
