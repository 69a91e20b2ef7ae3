// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkService.h"

#include "DBusValue.h"
#include "IntrospectionXml.h"
#include "SignalSink.h"
#include "Status.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace tethra::dbus {
namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");
const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

QDBusMessage failure(const QDBusMessage &message, std::int32_t code, const QString &detail = {})
{
    QString text = QStringLiteral("0x") + QString::number(static_cast<std::uint32_t>(code), 16).toUpper().rightJustified(8, QLatin1Char('0'))
                   + QLatin1Char(' ');
    const std::string_view description = status::text(code);
    text += QString::fromLatin1(description.data(), qsizetype(description.size()));
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return message.createErrorReply(QLatin1String(errorName), text);
}

bool is(const QDBusMessage &message, const QString &interface, const char *member, const char *signature)
{
    return message.interface() == interface && message.member() == QLatin1String(member)
           && message.signature() == QLatin1String(signature);
}

bool isIntrospect(const QDBusMessage &message)
{
    return message.interface() == introspectableInterface && message.member() == QLatin1String("Introspect");
}

bool isOwnInterface(const QDBusMessage &message, const char *interface)
{
    return message.interface().isEmpty() || message.interface() == QLatin1String(interface);
}

// The number after prefix + '/', or 0 when the path is not of that form.
int idUnder(const QString &path, const QString &prefix)
{
    if (!path.startsWith(prefix + QLatin1Char('/')))
        return 0;
    bool ok = false;
    const int id = path.mid(prefix.size() + 1).toInt(&ok);
    return ok && id > 0 ? id : 0;
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

LinkService::LinkService(const QDBusConnection &connection, int startGraceMs, int lingerMs, QObject *parent)
    : QDBusVirtualObject(parent),
      m_connection(connection),
      m_watch(QDBusPendingCall::fromCompletedCall(QDBusMessage())),
      m_lingerMs(lingerMs)
{
    // Qt asks the bus for a rule of its own here and never says whether it was refused;
    // installWatch() asks for the same one and checks.
    m_connection.connect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), this,
                         SLOT(nameOwnerChanged(QString,QString,QString)));
    installWatch();
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        if (!anythingHeld())
            emit idle();
    });
    m_idleTimer.start(startGraceMs);
}

LinkService::~LinkService() = default;

std::int32_t LinkService::keepState()
{
    if (m_ownConnector)
        return status::ok;
    const std::int32_t created = VarnexConnector::create(m_module, m_ownConnector);
    if (created == status::ok)
        m_idleTimer.stop();
    return created;
}

QString LinkService::introspect(const QString &path) const
{
    const QString root = QLatin1String(rootPath);
    QStringList connectors, objects;
    for (const auto &[id, entry] : m_connectors)
        connectors << QString::number(id);
    for (const auto &[id, entry] : m_objects)
        objects << QString::number(id);
    if (path == root) {
        QStringList children;
        if (!connectors.isEmpty())
            children << QStringLiteral("VarnexConnector");
        if (!objects.isEmpty())
            children << QStringLiteral("Varnex");
        return factoryXml(children);
    }
    if (path == root + QLatin1String("/VarnexConnector"))
        return containerXml(connectors);
    if (path == root + QLatin1String("/Varnex"))
        return containerXml(objects);
    if (m_connectors.count(idUnder(path, root + QLatin1String("/VarnexConnector"))))
        return connectorXml();
    if (m_objects.count(idUnder(path, root + QLatin1String("/Varnex"))))
        return varnexXml();
    return containerXml({});
}

bool LinkService::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QDBusMessage reply = dispatch(message);
    if (message.isReplyRequired())
        m_connection.send(reply);
    sweep();
    updateIdleTimer();
    return true;
}

QDBusMessage LinkService::dispatch(const QDBusMessage &message)
{
    const QString root = QLatin1String(rootPath);
    const QString path = message.path();
    if (isIntrospect(message))
        return message.createReply(introspect(path));
    if (path == root)
        return callFactory(message);
    if (const int id = idUnder(path, root + QLatin1String("/VarnexConnector")))
        return callConnector(message, id);
    if (const int id = idUnder(path, root + QLatin1String("/Varnex")))
        return callObject(message, id);
    return failure(message, status::objectNotConnected, path);
}

QDBusMessage LinkService::callFactory(const QDBusMessage &message)
{
    if (!isOwnInterface(message, factoryInterface) || message.member() != QLatin1String("CreateObject"))
        return failure(message, status::memberNotFound, message.member());
    if (message.signature() != QLatin1String("s"))
        return failure(message, status::typeMismatch, QStringLiteral("CreateObject takes one string"));
    const QString clsid = message.arguments().at(0).toString();
    if (clsid.compare(latin1(catalogue::connectorClassId), Qt::CaseInsensitive) != 0)
        return failure(message, status::classNotRegistered, clsid);

    const QString client = message.service();
    if (m_connectorsOf.value(client) >= kConnectorsPerClient)
        return failure(message, status::overflow,
                       QStringLiteral("one client holds at most %1 connectors").arg(kConnectorsPerClient));
    QString why;
    if (!watchClient(client, &why))
        return failure(message, status::failed, why);

    std::unique_ptr<VarnexConnector> connector;
    const std::int32_t created = VarnexConnector::create(m_module, connector);
    if (created != status::ok)
        return failure(message, created);
    exportObject(connector->varnex());
    const int id = m_nextConnector++;
    m_connectors[id] = ConnectorEntry{std::move(connector), client};
    ++m_connectorsOf[client];
    return message.createReply(QVariant::fromValue(QDBusObjectPath(connectorPath(id))));
}

QDBusMessage LinkService::callConnector(const QDBusMessage &message, int id)
{
    auto it = m_connectors.find(id);
    if (it == m_connectors.end())
        return failure(message, status::objectNotConnected, message.path());
    if (isOwnInterface(message, connectorInterface) && message.member() == QLatin1String("Release")) {
        if (it->second.owner != message.service())
            return failure(message, status::accessDenied, QStringLiteral("the connector belongs to another client"));
        dropConnector(it);
        return message.createReply();
    }
    const bool ourInterface = message.arguments().value(0).toString().isEmpty()
                              || message.arguments().value(0).toString() == QLatin1String(connectorInterface);
    if (is(message, propertiesInterface, "Get", "ss")) {
        if (!ourInterface || message.arguments().at(1).toString() != QLatin1String("Varnex"))
            return failure(message, status::unknownName, message.arguments().at(1).toString());
        return readVarnex(message, id);
    }
    if (is(message, propertiesInterface, "GetAll", "s")) {
        if (!ourInterface)
            return failure(message, status::unknownName, message.arguments().at(0).toString());
        QDBusMessage reply = readVarnex(message, id);
        if (reply.type() == QDBusMessage::ErrorMessage)
            return reply;
        QVariantMap all{{QStringLiteral("Varnex"), reply.arguments().at(0).value<QDBusVariant>().variant()}};
        return message.createReply(QVariant::fromValue(all));
    }
    if (is(message, propertiesInterface, "Set", "ssv"))
        return failure(message, status::memberNotFound, QStringLiteral("Varnex is read only"));
    return failure(message, status::memberNotFound, message.member());
}

QDBusMessage LinkService::readVarnex(const QDBusMessage &message, int connectorId)
{
    const std::shared_ptr<Varnex> object = m_connectors.at(connectorId).connector->varnex();
    if (!object)
        return failure(message, status::objectNotConnected);
    QString why;
    if (!watchClient(message.service(), &why))
        return failure(message, status::failed, why);
    const int id = exportObject(object);
    ObjectEntry &entry = m_objects.at(id);
    entry.holders.insert(message.service());
    entry.heldByClients = object;
    return message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(objectPath(id))))));
}

QDBusMessage LinkService::callObject(const QDBusMessage &message, int id)
{
    auto it = m_objects.find(id);
    const std::shared_ptr<Varnex> object = it == m_objects.end() ? nullptr : it->second.object.lock();
    if (!object)
        return failure(message, status::objectNotConnected, message.path());
    SignalSink &sink = *it->second.sink;
    if (message.interface() == propertiesInterface)
        return objectProperties(message, *object, sink);
    if (!isOwnInterface(message, varnexInterface))
        return failure(message, status::memberNotFound, message.interface());
    if (message.member() == QLatin1String("Release")) {
        if (!it->second.holders.remove(message.service()))
            return failure(message, status::accessDenied, QStringLiteral("this client does not hold the object"));
        if (it->second.holders.isEmpty())
            it->second.heldByClients.reset();
        return message.createReply();
    }
    return command(message, *object, sink);
}

QDBusMessage LinkService::objectProperties(const QDBusMessage &message, Varnex &object, SignalSink &sink)
{
    const QVariantList args = message.arguments();
    const QString interface = args.value(0).toString();
    if (!interface.isEmpty() && interface != QLatin1String(varnexInterface))
        return failure(message, status::unknownName, interface);
    if (is(message, propertiesInterface, "GetAll", "s")) {
        QVariantMap all;
        for (std::string_view field : catalogue::fieldOrder()) {
            Value value;
            object.get(field, value);
            all.insert(latin1(field), toDBus(value));
        }
        return message.createReply(QVariant::fromValue(all));
    }
    const QString name = args.value(1).toString();
    const std::string key = name.toStdString();
    if (is(message, propertiesInterface, "Get", "ss")) {
        Value value;
        const std::int32_t result = object.get(key, value);
        if (result != status::ok)
            return failure(message, result, name);
        return message.createReply(QVariant::fromValue(QDBusVariant(toDBus(value))));
    }
    if (is(message, propertiesInterface, "Set", "ssv")) {
        const catalogue::Member *member = catalogue::findVarnexMember(key);
        if (!member || member->kind != catalogue::Kind::Property)
            return failure(message, status::unknownName, name);
        Value value;
        std::int32_t result = fromDBus(args.at(2), member->type, value);
        if (result == status::ok) {
            const std::string_view field = member->name;
            sink.noteFields(object, {&field, 1});
            result = object.set(key, value);
            sink.flushChanges();
        }
        if (result != status::ok)
            return failure(message, result, name);
        return message.createReply();
    }
    return failure(message, status::memberNotFound, message.member());
}

QDBusMessage LinkService::command(const QDBusMessage &message, Varnex &object, SignalSink &sink)
{
    const catalogue::Member *member = catalogue::findVarnexMember(message.member().toStdString());
    if (!member || member->kind != catalogue::Kind::Method)
        return failure(message, status::memberNotFound, message.member());
    const QVariantList args = message.arguments();
    if (static_cast<std::size_t>(args.size()) != member->arguments.size())
        return failure(message, status::badParamCount, message.member());
    std::vector<Value> values(member->arguments.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::int32_t converted = fromDBus(args.at(qsizetype(i)), member->arguments[i].type, values[i]);
        if (converted != status::ok)
            return failure(message, converted, latin1(member->arguments[i].name));
    }
    // The changes and the event go out from inside the call, in that order, so both
    // precede the reply on the bus.
    std::vector<std::string_view> stored;
    for (const catalogue::Argument &argument : member->arguments)
        stored.push_back(argument.field);
    sink.noteFields(object, stored);
    const std::int32_t result = object.call(member->name, values);
    sink.flushChanges();
    if (result != status::ok)
        return failure(message, result, message.member());
    return message.createReply();
}

int LinkService::exportObject(const std::shared_ptr<Varnex> &object)
{
    for (const auto &[id, entry] : m_objects)
        if (entry.object.lock() == object)
            return id;
    const int id = m_nextObject++;
    ObjectEntry &entry = m_objects[id];
    entry.object = object;
    entry.sink = std::make_unique<SignalSink>(m_connection, objectPath(id));
    object->connect(entry.sink.get());
    return id;
}

QString LinkService::objectPath(int id) const
{
    return QStringLiteral("%1/Varnex/%2").arg(QLatin1String(rootPath)).arg(id);
}

QString LinkService::connectorPath(int id) const
{
    return QStringLiteral("%1/VarnexConnector/%2").arg(QLatin1String(rootPath)).arg(id);
}

void LinkService::installWatch()
{
    QDBusMessage addMatch = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("AddMatch"));
    addMatch << QStringLiteral("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                               "interface='org.freedesktop.DBus',member='NameOwnerChanged'");
    m_watch = m_connection.asyncCall(addMatch);
}

bool LinkService::watchClient(const QString &client, QString *why)
{
    // Asked for before the server owns its name, so the answer is nearly always in; only a
    // call sent to the unique name could come first.
    m_watch.waitForFinished();
    if (m_watch.isError()) {
        *why = QStringLiteral("the bus refused to watch for clients leaving it (%1), so nothing can be handed out")
                   .arg(m_watch.error().message());
        installWatch(); // a later call may find the bus willing
        return false;
    }
    if (m_watched.contains(client))
        return true;
    m_watched.insert(client);
    // The client may have left before the rule was in place; the bus answers this after it
    // has the rule, so one of the two always tells us.
    auto *pending = new QDBusPendingCallWatcher(m_connection.interface()->asyncCall(QStringLiteral("NameHasOwner"), client), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, client](QDBusPendingCallWatcher *call) {
        QDBusPendingReply<bool> reply = *call;
        if (reply.isValid() && !reply.value())
            clientLeft(client);
        call->deleteLater();
    });
    return true;
}

void LinkService::nameOwnerChanged(const QString &name, const QString &, const QString &newOwner)
{
    if (newOwner.isEmpty() && m_watched.contains(name))
        clientLeft(name);
}

void LinkService::dropConnector(std::map<int, ConnectorEntry>::iterator it)
{
    const QString owner = it->second.owner;
    m_connectors.erase(it);
    if (--m_connectorsOf[owner] <= 0)
        m_connectorsOf.remove(owner);
}

void LinkService::clientLeft(const QString &client)
{
    m_watched.remove(client);
    m_connectorsOf.remove(client);
    std::erase_if(m_connectors, [&client](const auto &item) { return item.second.owner == client; });
    for (auto &[id, entry] : m_objects) {
        entry.holders.remove(client);
        if (entry.holders.isEmpty())
            entry.heldByClients.reset();
    }
    sweep();
    updateIdleTimer();
}

void LinkService::sweep()
{
    std::erase_if(m_objects, [](const auto &item) { return item.second.object.expired(); });
}

bool LinkService::anythingHeld() const
{
    if (m_ownConnector || !m_connectors.empty())
        return true;
    for (const auto &[id, entry] : m_objects)
        if (!entry.holders.isEmpty())
            return true;
    return false;
}

void LinkService::updateIdleTimer()
{
    if (anythingHeld())
        m_idleTimer.stop();
    else if (!m_idleTimer.isActive())
        m_idleTimer.start(m_lingerMs);
}

} // namespace tethra::dbus
