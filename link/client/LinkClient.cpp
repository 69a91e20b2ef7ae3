// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkClient.h"

#include "BusConnection.h"
#include "TethraBus.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QPointer>

#include <algorithm>

namespace tethra::client {
namespace {

using dbus::BusConnection;
using dbus::BusReply;
using dbus::BusSignal;

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
constexpr quint32 kServerStopping = 0x80080008;
constexpr int kFirstBackoffMs = 250;
constexpr int kMaxBackoffMs = 4000;
// A server on its way out refuses a CreateObject; the next one reaches a new server, so
// more than a few refusals in a row would be servers ending as fast as they start.
constexpr int kStoppingRetries = 3;

std::optional<quint32> statusOf(const BusReply &reply)
{
    // The server's errors start with the status: "0x800A0006 Overflow".
    if (reply.errorName != kLinkError || !reply.errorMessage.startsWith(QLatin1String("0x")))
        return std::nullopt;
    bool ok = false;
    const quint32 status = reply.errorMessage.mid(2, 8).toUInt(&ok, 16);
    return ok ? std::optional<quint32>(status) : std::nullopt;
}

Reply replyOf(const BusReply &answer)
{
    Reply reply;
    if (!answer.isError()) {
        const QVariant first = answer.arguments.value(0);
        reply.value =
            first.metaType() == QMetaType::fromType<QDBusVariant>() ? first.value<QDBusVariant>().variant() : first;
        return reply;
    }
    reply.errorName = answer.errorName;
    reply.error = answer.errorMessage.isEmpty() ? answer.errorName : answer.errorMessage;
    reply.timedOut = answer.errorName == kNoReply;
    reply.status = statusOf(answer);
    return reply;
}

// The call went to a server that is no longer on the bus.
bool serverGone(const Reply &reply)
{
    return reply.errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           reply.errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

QString signalRule(const QString &sender, const QString &path, const QString &interface, const QString &member,
                   const QString &arg0 = {})
{
    QString rule = QStringLiteral("type='signal',sender='%1',path='%2',interface='%3',member='%4'")
                       .arg(sender, path, interface, member);
    if (!arg0.isEmpty())
        rule += QStringLiteral(",arg0='%1'").arg(arg0);
    return rule;
}

QString eventRule(const QString &server, const QString &object)
{
    return QStringLiteral("type='signal',sender='%1',path='%2',interface='%3'").arg(server, object, kEventInterface);
}

QString changeRule(const QString &server, const QString &object)
{
    return signalRule(server, object, kProperties, QStringLiteral("PropertiesChanged"), kVarnexInterface);
}

QString leavingRule(const QString &server)
{
    return signalRule(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), server);
}

} // namespace

LinkClient::LinkClient(const QString &busAddress, QObject *parent) : QObject(parent), m_backoffMs(kFirstBackoffMs)
{
    m_bus = busAddress.isEmpty() ? BusConnection::toSessionBus(&m_busError)
                                 : BusConnection::toAddress(busAddress, &m_busError);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LinkClient::connectToServer);
    if (!m_bus)
        return;
    connect(m_bus.get(), &BusConnection::signalReceived, this, &LinkClient::onSignal);
    connect(
        m_bus.get(), &BusConnection::nameOwnerChanged, this,
        [this](const QString &name, const QString &, const QString &newOwner) { onNameOwnerChanged(name, newOwner); });
    connect(m_bus.get(), &BusConnection::disconnected, this,
            [this] { lose(QStringLiteral("the connection to the bus was lost")); });
}

LinkClient::~LinkClient()
{
    release(m_held);
}

QString LinkClient::busError() const
{
    if (!m_bus)
        return m_busError;
    return m_bus->isConnected() ? QString() : QStringLiteral("the connection to the bus was lost");
}

QString LinkClient::uniqueName() const
{
    return m_bus ? m_bus->uniqueName() : QString();
}

void LinkClient::setReconnect(bool on)
{
    m_reconnect = on;
    if (!on)
        m_retry.stop();
}

void LinkClient::watchEvents(const QStringList &names)
{
    m_events = names;
    if (!m_watchEvents) {
        m_watchEvents = true;
        subscribe(m_held, true, Watch::Events);
    }
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

void LinkClient::connectToServer()
{
    m_retry.stop();
    const quint64 attempt = ++m_attempt;
    m_connecting = true;
    const QString noBus = busError();
    if (!noBus.isEmpty()) {
        // Told later, as any other failure is, so the caller's own step runs on first.
        QMetaObject::invokeMethod(
            this, [this, attempt, noBus] { fail(attempt, noBus); }, Qt::QueuedConnection);
        return;
    }
    createConnector(attempt, kStoppingRetries);
}

void LinkClient::createConnector(quint64 attempt, int retries)
{
    m_bus
        ->call(kService, kFactoryPath, kFactoryInterface, QStringLiteral("CreateObject"), {kConnectorClsid},
               m_connectTimeoutMs)
        .then(this, [this, attempt, retries](const BusReply &reply) { onConnectorCreated(reply, attempt, retries); });
}

void LinkClient::onConnectorCreated(const BusReply &reply, quint64 attempt, int retries)
{
    if (reply.isError()) {
        if (attempt == m_attempt && statusOf(reply) == kServerStopping && retries > 0)
            createConnector(attempt, retries - 1);
        else
            fail(attempt, reply.errorMessage);
        return;
    }
    const Held fresh{reply.sender, reply.arguments.value(0).value<QDBusObjectPath>().path(), {}};
    if (attempt != m_attempt) {
        release(fresh);
        return;
    }
    // Reading the connector's Varnex is what makes this client a holder of the object.
    m_bus
        ->call(fresh.server, fresh.connector, kProperties, QStringLiteral("Get"),
               {kConnectorInterface, QStringLiteral("Varnex")}, m_connectTimeoutMs)
        .then(this, [this, attempt, fresh](const BusReply &read) { onObjectRead(read, attempt, fresh); });
}

void LinkClient::onObjectRead(const BusReply &reply, quint64 attempt, const Held &fresh)
{
    Held obtained = fresh;
    if (!reply.isError())
        obtained.object = reply.arguments.value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    if (attempt != m_attempt) {
        release(obtained);
        return;
    }
    if (reply.isError() || obtained.object.isEmpty() || obtained.object == u"/") {
        release(obtained);
        fail(attempt,
             reply.isError() ? reply.errorMessage : QStringLiteral("the connector handed out no shared object"));
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
    if (previous.server != m_held.server)
        watchServer(m_held.server);
    if (previous.server != m_held.server || previous.object != m_held.object) {
        subscribe(previous, false);
        subscribe(m_held, true);
    }
}

void LinkClient::watchServer(const QString &server)
{
    if (!m_bus)
        return;
    if (!m_watchedServer.isEmpty())
        m_bus->callBus(QStringLiteral("RemoveMatch"), {leavingRule(m_watchedServer)});
    m_watchedServer = server;
    if (server.isEmpty())
        return;
    m_bus->callBus(QStringLiteral("AddMatch"), {leavingRule(server)});
    // The server may have gone before the rule was in place; the bus answers this after it
    // has the rule, so one of the two always tells.
    m_bus->callBus(QStringLiteral("NameHasOwner"), {server}).then(this, [this, server](const BusReply &reply) {
        const QVariant owned = reply.arguments.value(0);
        if (!reply.isError() && owned.metaType().id() == QMetaType::Bool && !owned.toBool() && server == m_held.server)
            lose(QStringLiteral("the link server went away"));
    });
}

void LinkClient::onNameOwnerChanged(const QString &name, const QString &newOwner)
{
    if (newOwner.isEmpty() && !name.isEmpty() && name == m_held.server)
        lose(QStringLiteral("the link server went away"));
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
    watchServer({});
    emit connectFailed(reason);
    retryLater();
}

void LinkClient::lose(const QString &reason)
{
    if (!isConnected())
        return;
    subscribe(m_held, false);
    m_held = {};
    watchServer({});
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
    watchServer({});
}

void LinkClient::release(const Held &held)
{
    if (!m_bus)
        return;
    if (!held.connector.isEmpty())
        m_bus->callNoReply(held.server, held.connector, kConnectorInterface, QStringLiteral("Release"));
    if (!held.object.isEmpty())
        m_bus->callNoReply(held.server, held.object, kVarnexInterface, QStringLiteral("Release"));
}

void LinkClient::subscribe(const Held &held, bool on, Watch what)
{
    if (held.object.isEmpty() || !m_bus)
        return;
    const QString method = on ? QStringLiteral("AddMatch") : QStringLiteral("RemoveMatch");
    // Every event comes to this client, and onSignal passes on those asked for.
    if (m_watchEvents && what != Watch::Changes)
        m_bus->callBus(method, {eventRule(held.server, held.object)});
    if (m_watchChanges && what != Watch::Events)
        m_bus->callBus(method, {changeRule(held.server, held.object)});
}

void LinkClient::confirmSubscriptions()
{
    if (!m_watchEvents && !m_watchChanges)
        return;
    // The bus handles this client's messages in order: once it answers, it has the rules.
    const quint64 attempt = m_attempt;
    m_bus->callBus(QStringLiteral("GetId")).then(this, [this, attempt](const BusReply &) {
        if (attempt == m_attempt && isConnected())
            emit subscribed();
    });
}

void LinkClient::onSignal(const BusSignal &signal)
{
    if (signal.sender != m_held.server || signal.path != m_held.object || m_held.object.isEmpty())
        return;
    if (signal.interface == kEventInterface) {
        if (m_watchEvents && (m_events.isEmpty() || m_events.contains(signal.member)))
            emit event(signal.member);
    } else if (signal.interface == kProperties && signal.member == QLatin1String("PropertiesChanged")) {
        const QVariantMap changed = signal.arguments.value(1).toMap();
        if (m_watchChanges && signal.arguments.value(0).toString() == kVarnexInterface && !changed.isEmpty())
            emit propertiesChanged(changed);
    }
}

void LinkClient::send(const QString &path, const QString &interface, const QString &member,
                      const QVariantList &arguments, const QObject *context, Done done)
{
    if (!context)
        context = this;
    if (!isConnected()) {
        if (done)
            QTimer::singleShot(0, context, [done] {
                Reply reply;
                reply.error = QStringLiteral("not connected to the link server");
                done(reply);
            });
        return;
    }
    const QString server = m_held.server;
    const QPointer<const QObject> alive(context);
    m_bus->call(server, path, interface, member, arguments, m_callTimeoutMs)
        .then(this, [this, server, alive, done = std::move(done)](const BusReply &answer) {
            const Reply reply = replyOf(answer);
            if (serverGone(reply) && server == m_held.server)
                lose(QStringLiteral("the link server went away"));
            if (done && alive)
                done(reply);
        });
}

void LinkClient::read(const QString &field, const QObject *context, Done done)
{
    send(m_held.object, kProperties, QStringLiteral("Get"), {kVarnexInterface, field}, context, std::move(done));
}

void LinkClient::readAll(const QObject *context, Done done)
{
    send(m_held.object, kProperties, QStringLiteral("GetAll"), {kVarnexInterface}, context,
         [done = std::move(done)](const Reply &reply) {
             Reply all = reply;
             if (reply.ok())
                 all.value = reply.value.toMap();
             if (done)
                 done(all);
         });
}

void LinkClient::write(const QString &field, const QVariant &value, const QObject *context, Done done)
{
    send(m_held.object, kProperties, QStringLiteral("Set"),
         {kVarnexInterface, field, QVariant::fromValue(QDBusVariant(value))}, context, std::move(done));
}

void LinkClient::call(const QString &command, const QVariantList &arguments, const QObject *context, Done done)
{
    send(m_held.object, kVarnexInterface, command, arguments, context, std::move(done));
}

} // namespace tethra::client
