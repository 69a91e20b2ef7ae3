// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkClient.h"
#include "TethraBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <algorithm>

namespace tethra::client {
namespace {

const QString kService = QLatin1String(tethra::bus::serviceName);
const QString kFactoryPath = QLatin1String(tethra::bus::rootPath);
const QString kFactoryInterface = QLatin1String(tethra::bus::factoryInterface);
const QString kConnectorInterface = QLatin1String(tethra::bus::connectorInterface);
const QString kVarnexInterface = QLatin1String(tethra::bus::varnexInterface);
const QString kEventInterface = QLatin1String(tethra::bus::eventInterface);
const QString kProperties = QLatin1String(tethra::bus::propertiesInterface);
const QString kConnectorClsid = QLatin1String(tethra::bus::connectorClassId);
const QString kLinkError = QLatin1String(tethra::bus::errorName);
const QString kNoReply = QStringLiteral("org.freedesktop.DBus.Error.NoReply");
constexpr int kFirstBackoffMs = 250;
constexpr int kMaxBackoffMs = 4000;

// Calls after the first go to the server process that answered it, and never start one.
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

QVariantMap mapOf(const QVariant &argument)
{
    QVariantMap map;
    if (argument.canConvert<QDBusArgument>())
        argument.value<QDBusArgument>() >> map;
    else
        map = argument.toMap();
    return map;
}

Reply replyOf(const QDBusPendingCallWatcher &call)
{
    Reply reply;
    if (!call.isError()) {
        const QDBusMessage message = call.reply();
        const QVariant first = message.arguments().value(0);
        reply.value = first.canConvert<QDBusVariant>() ? first.value<QDBusVariant>().variant() : first;
        return reply;
    }
    const QDBusError error = call.error();
    reply.errorName = error.name();
    reply.error = error.message().isEmpty() ? error.name() : error.message();
    reply.timedOut = error.name() == kNoReply;
    // The server's errors start with the status: "0x800A0006 Overflow".
    if (error.name() == kLinkError && reply.error.startsWith(QLatin1String("0x"))) {
        bool ok = false;
        const quint32 status = reply.error.mid(2, 8).toUInt(&ok, 16);
        if (ok)
            reply.status = status;
    }
    return reply;
}

// The call went to a server that is no longer on the bus.
bool serverGone(const Reply &reply)
{
    return reply.errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
           || reply.errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

} // namespace

LinkClient::LinkClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus), m_backoffMs(kFirstBackoffMs),
      m_serverWatch(new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this))
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LinkClient::connectToServer);
    connect(m_serverWatch, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString &name) {
        if (name == m_held.server)
            lose(QStringLiteral("the link server went away"));
    });
}

LinkClient::~LinkClient()
{
    release(m_held);
}

void LinkClient::setReconnect(bool on)
{
    m_reconnect = on;
    if (!on)
        m_retry.stop();
}

void LinkClient::watchEvents(const QStringList &names)
{
    if (m_watchEvents)
        subscribe(m_held, false, Watch::Events);
    m_watchEvents = true;
    m_events = names;
    subscribe(m_held, true, Watch::Events);
    if (isConnected())
        confirmSubscriptions();
}

void LinkClient::watchChanges(bool on)
{
    if (m_watchChanges == on)
        return;
    if (!on) {
        subscribe(m_held, false, Watch::Changes);
        m_watchChanges = false;
        return;
    }
    m_watchChanges = true;
    subscribe(m_held, true, Watch::Changes);
    if (isConnected())
        confirmSubscriptions();
}

QDBusPendingCallWatcher *LinkClient::watch(const QDBusPendingCall &call)
{
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
    return watcher;
}

void LinkClient::connectToServer()
{
    m_retry.stop();
    const quint64 attempt = ++m_attempt;
    m_connecting = true;
    if (!m_bus.isConnected()) {
        // Told later, as any other failure is, so the caller's own step runs on first.
        const QString reason = m_bus.lastError().isValid() ? m_bus.lastError().message()
                                                           : QStringLiteral("there is no connection to the bus");
        QMetaObject::invokeMethod(this, [this, attempt, reason] { fail(attempt, reason); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage create = QDBusMessage::createMethodCall(kService, kFactoryPath, kFactoryInterface,
                                                         QStringLiteral("CreateObject"));
    create.setArguments({kConnectorClsid});
    QDBusPendingCallWatcher *call = watch(m_bus.asyncCall(create, m_connectTimeoutMs));
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
        release(fresh);
        return;
    }
    // Reading the connector's Varnex is what makes this client a holder of the object.
    const QDBusMessage read = callTo(fresh.server, fresh.connector, kProperties, QStringLiteral("Get"),
                                     {kConnectorInterface, QStringLiteral("Varnex")});
    QDBusPendingCallWatcher *next = watch(m_bus.asyncCall(read, m_connectTimeoutMs));
    connect(next, &QDBusPendingCallWatcher::finished, this,
            [this, attempt, fresh](QDBusPendingCallWatcher *done) { onObjectRead(done, attempt, fresh); });
}

void LinkClient::onObjectRead(QDBusPendingCallWatcher *call, quint64 attempt, const Held &fresh)
{
    Held obtained = fresh;
    if (!call->isError())
        obtained.object = propertyValue(call->reply()).value<QDBusObjectPath>().path();
    if (attempt != m_attempt) {
        release(obtained);
        return;
    }
    if (call->isError() || obtained.object.isEmpty() || obtained.object == u"/") {
        release(obtained);
        fail(attempt, call->isError() ? call->error().message()
                                      : QStringLiteral("the connector handed out no shared object"));
        return;
    }
    Held previous = m_held;
    m_held = obtained;
    m_connecting = false;
    m_backoffMs = kFirstBackoffMs;
    follow(previous);
    // Every connector of one server hands out the same object, and the server counts one
    // hold per client: releasing it would let go of the object now in use.
    if (previous.server == obtained.server && previous.object == obtained.object)
        previous.object.clear();
    release(previous);
    emit connected();
    confirmSubscriptions();
}

void LinkClient::follow(const Held &previous)
{
    if (previous.server != m_held.server) {
        m_serverWatch->setWatchedServices({m_held.server});
        // The server may have gone before the watch was in place; the bus answers this
        // after it has the watch's match rule, so one of the two always tells.
        const QString server = m_held.server;
        QDBusPendingCallWatcher *check =
            watch(m_bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), server));
        connect(check, &QDBusPendingCallWatcher::finished, this, [this, server](QDBusPendingCallWatcher *done) {
            const QDBusPendingReply<bool> owned = *done;
            if (owned.isValid() && !owned.value() && server == m_held.server)
                lose(QStringLiteral("the link server went away"));
        });
    }
    if (previous.server != m_held.server || previous.object != m_held.object) {
        subscribe(previous, false);
        subscribe(m_held, true);
    }
}

void LinkClient::fail(quint64 attempt, const QString &reason)
{
    if (attempt != m_attempt)
        return;
    m_connecting = false;
    // What was held before belongs to a server that could not serve this connection.
    subscribe(m_held, false);
    release(m_held);
    m_held = {};
    m_serverWatch->setWatchedServices({});
    emit connectFailed(reason);
    retryLater();
}

void LinkClient::lose(const QString &reason)
{
    if (!isConnected())
        return;
    subscribe(m_held, false);
    m_held = {};
    m_serverWatch->setWatchedServices({});
    emit disconnected(reason);
    // A connection under way may well reach a new server; it ends in its own signal.
    if (!m_connecting)
        retryLater();
}

void LinkClient::retryLater()
{
    if (!m_reconnect || m_retry.isActive())
        return;
    m_retry.start(m_backoffMs);
    m_backoffMs = std::min(m_backoffMs * 2, kMaxBackoffMs);
}

void LinkClient::disconnectFromServer()
{
    ++m_attempt;
    m_connecting = false;
    m_retry.stop();
    subscribe(m_held, false);
    release(m_held);
    m_held = {};
    m_serverWatch->setWatchedServices({});
}

void LinkClient::release(const Held &held)
{
    if (!held.connector.isEmpty())
        m_bus.send(callTo(held.server, held.connector, kConnectorInterface, QStringLiteral("Release"), {}));
    if (!held.object.isEmpty())
        m_bus.send(callTo(held.server, held.object, kVarnexInterface, QStringLiteral("Release"), {}));
}

void LinkClient::subscribe(const Held &held, bool on, Watch what)
{
    if (held.object.isEmpty())
        return;
    const auto hook = [&](const QString &interface, const QString &name, const char *slot) {
        if (on)
            m_bus.connect(held.server, held.object, interface, name, this, slot);
        else
            m_bus.disconnect(held.server, held.object, interface, name, this, slot);
    };
    if (m_watchEvents && what != Watch::Changes) {
        if (m_events.isEmpty())
            hook(kEventInterface, QString(), SLOT(onEvent(QDBusMessage)));
        for (const QString &name : std::as_const(m_events))
            hook(kEventInterface, name, SLOT(onEvent(QDBusMessage)));
    }
    if (m_watchChanges && what != Watch::Events)
        hook(kProperties, QStringLiteral("PropertiesChanged"), SLOT(onPropertiesChanged(QDBusMessage)));
}

void LinkClient::confirmSubscriptions()
{
    if (!m_watchEvents && !m_watchChanges)
        return;
    // The bus handles this client's messages in order: once it answers, it has the rules.
    const quint64 attempt = m_attempt;
    QDBusPendingCallWatcher *ping = watch(m_bus.interface()->asyncCall(QStringLiteral("GetId")));
    connect(ping, &QDBusPendingCallWatcher::finished, this, [this, attempt] {
        if (attempt == m_attempt && isConnected())
            emit subscribed();
    });
}

void LinkClient::onEvent(const QDBusMessage &message)
{
    emit event(message.member());
}

void LinkClient::onPropertiesChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.value(0).toString() != kVarnexInterface)
        return;
    const QVariantMap changed = mapOf(arguments.value(1));
    if (!changed.isEmpty())
        emit propertiesChanged(changed);
}

void LinkClient::send(const QDBusMessage &message, const QObject *context, Done done)
{
    if (!isConnected()) {
        if (done)
            QTimer::singleShot(0, context ? context : this, [done] {
                Reply reply;
                reply.error = QStringLiteral("not connected to the link server");
                done(reply);
            });
        return;
    }
    const QString server = message.service();
    QDBusPendingCallWatcher *call = watch(m_bus.asyncCall(message, m_callTimeoutMs));
    connect(call, &QDBusPendingCallWatcher::finished, context ? context : this,
            [this, server, done = std::move(done)](QDBusPendingCallWatcher *finished) {
                const Reply reply = replyOf(*finished);
                if (serverGone(reply) && server == m_held.server)
                    lose(QStringLiteral("the link server went away"));
                if (done)
                    done(reply);
            });
}

void LinkClient::read(const QString &field, const QObject *context, Done done)
{
    send(callTo(m_held.server, m_held.object, kProperties, QStringLiteral("Get"), {kVarnexInterface, field}), context,
         std::move(done));
}

void LinkClient::readAll(const QObject *context, Done done)
{
    send(callTo(m_held.server, m_held.object, kProperties, QStringLiteral("GetAll"), {kVarnexInterface}), context,
         [done = std::move(done)](const Reply &reply) {
             Reply all = reply;
             if (reply.ok())
                 all.value = mapOf(reply.value);
             if (done)
                 done(all);
         });
}

void LinkClient::write(const QString &field, const QVariant &value, const QObject *context, Done done)
{
    send(callTo(m_held.server, m_held.object, kProperties, QStringLiteral("Set"),
                {kVarnexInterface, field, QVariant::fromValue(QDBusVariant(value))}),
         context, std::move(done));
}

void LinkClient::call(const QString &command, const QVariantList &arguments, const QObject *context, Done done)
{
    send(callTo(m_held.server, m_held.object, kVarnexInterface, command, arguments), context, std::move(done));
}

} // namespace tethra::client
