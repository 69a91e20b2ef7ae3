// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkService.h"

#include "DBusValue.h"
#include "IntrospectionXml.h"
#include "SignalSink.h"
#include "Status.h"

#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tethra::dbus {
namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

using Answer = LinkService::Answer;

Answer answer(const QVariant &value = {})
{
    return {value.isValid() ? QVariantList{value} : QVariantList{}, {}, {}};
}

// The detail often echoes what the caller sent; an echo of a whole huge text would be a
// message the bus cannot carry, and no help to read.
constexpr qsizetype maxDetail = 256;

Answer failure(std::int32_t code, const QString &detail = {})
{
    QString text = QStringLiteral("0x") +
                   QString::number(static_cast<std::uint32_t>(code), 16).toUpper().rightJustified(8, QLatin1Char('0')) +
                   QLatin1Char(' ');
    const std::string_view description = status::text(code);
    text += QString::fromLatin1(description.data(), qsizetype(description.size()));
    if (!detail.isEmpty())
        text += QStringLiteral(": ") +
                (detail.size() > maxDetail ? detail.left(maxDetail) + QStringLiteral("...") : detail);
    return {{}, text, QLatin1String(errorName)};
}

// A value for this field or argument that could not be taken.
Answer refusedValue(std::int32_t code, const QString &name)
{
    if (code == status::outOfStringSpace)
        return failure(code,
                       QStringLiteral("%1 takes a text of at most %2 bytes as UTF-8").arg(name).arg(kMaxTextBytes));
    return failure(code, name);
}

bool is(const BusCall &call, const QString &interface, const char *member, const char *signature)
{
    return call.interface == interface && call.member == QLatin1String(member) &&
           call.signature == QLatin1String(signature);
}

bool isIntrospect(const BusCall &call)
{
    return (call.interface.isEmpty() || call.interface == introspectableInterface) &&
           call.member == QLatin1String("Introspect") && call.signature.isEmpty();
}

bool isOwnInterface(const BusCall &call, const char *interface)
{
    return call.interface.isEmpty() || call.interface == QLatin1String(interface);
}

// The number after prefix + '/', or 0 when the path is not of that form. A number has one
// spelling (no leading zeros), so an object has one path.
int idUnder(const QString &path, const QString &prefix)
{
    if (!path.startsWith(prefix + QLatin1Char('/')))
        return 0;
    const QString number = path.mid(prefix.size() + 1);
    bool ok = false;
    const int id = number.toInt(&ok);
    return ok && id > 0 && number == QString::number(id) ? id : 0;
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

LinkService::LinkService(BusConnection &bus, int startGraceMs, int lingerMs, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_lingerMs(lingerMs)
{
    m_bus.setCallHandler([this](const BusCall &call) { handleCall(call); });
    connect(&m_bus, &BusConnection::nameOwnerChanged, this, &LinkService::nameOwnerChanged);
    installWatch();
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        if (!anythingHeld())
            emit idle();
    });
    m_idleTimer.start(startGraceMs);
}

LinkService::~LinkService()
{
    m_bus.setCallHandler({});
}

std::int32_t LinkService::keepState()
{
    if (m_ownConnector)
        return status::ok;
    const std::int32_t created = VarnexConnector::create(m_module, m_ownConnector);
    if (created == status::ok)
        m_idleTimer.stop();
    return created;
}

QString LinkService::introspect(const QString &path, const QString &caller) const
{
    const QString root = QLatin1String(rootPath);
    QStringList connectors, objects;
    for (const auto &[id, entry] : m_connectors)
        if (entry.owner == caller)
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
    if (m_objects.count(idUnder(path, root + QLatin1String("/Varnex"))))
        return varnexXml();
    // The way down to the root, for tools that walk the tree from "/".
    const QString above = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    if (root.startsWith(above))
        return containerXml({root.mid(above.size()).section(QLatin1Char('/'), 0, 0)});
    return containerXml({});
}

void LinkService::stopServing()
{
    m_stopping = true;
    m_idleTimer.stop();
}

void LinkService::handleCall(const BusCall &call)
{
    if (m_stopping) {
        m_bus.error(call, QLatin1String(errorName),
                    failure(status::serverStopping, QStringLiteral("call again, and a new server answers")).error);
        return;
    }
    const Answer reply = dispatch(call);
    if (reply.errorName.isEmpty())
        m_bus.reply(call, reply.arguments);
    else
        m_bus.error(call, reply.errorName, reply.error);
    sweep();
    updateIdleTimer();
}

LinkService::Answer LinkService::dispatch(const BusCall &call)
{
    const QString root = QLatin1String(rootPath);
    const QString &path = call.path;
    // A connector answers its owner alone, its introspection included.
    const auto connector = m_connectors.find(idUnder(path, root + QLatin1String("/VarnexConnector")));
    if (connector != m_connectors.end())
        return callConnector(call, connector);
    if (isIntrospect(call))
        return answer(introspect(path, call.sender));
    if (path == root)
        return callFactory(call);
    if (const int id = idUnder(path, root + QLatin1String("/Varnex")))
        return callObject(call, id);
    if (path != root && !path.startsWith(root + QLatin1Char('/')))
        return {{},
                QStringLiteral("No such object path '%1'").arg(path),
                QStringLiteral("org.freedesktop.DBus.Error.UnknownObject")};
    return failure(status::objectNotConnected, path);
}

LinkService::Answer LinkService::callFactory(const BusCall &call)
{
    if (!isOwnInterface(call, factoryInterface) || call.member != QLatin1String("CreateObject"))
        return failure(status::memberNotFound, call.member);
    if (call.signature != QLatin1String("s"))
        return failure(status::typeMismatch, QStringLiteral("CreateObject takes one string"));
    const QString clsid = call.arguments.at(0).toString();
    if (clsid.compare(latin1(catalogue::connectorClassId), Qt::CaseInsensitive) != 0)
        return failure(status::classNotRegistered, clsid);

    const QString client = call.sender;
    if (m_connectorsOf.value(client) >= kConnectorsPerClient)
        return failure(status::overflow,
                       QStringLiteral("one client holds at most %1 connectors").arg(kConnectorsPerClient));
    QString why;
    if (!watchClient(client, &why))
        return failure(status::failed, why);

    std::unique_ptr<VarnexConnector> connector;
    const std::int32_t created = VarnexConnector::create(m_module, connector);
    if (created != status::ok)
        return failure(created);
    exportObject(connector->varnex());
    const int id = m_nextConnector++;
    m_connectors[id] = ConnectorEntry{std::move(connector), client};
    ++m_connectorsOf[client];
    return answer(QVariant::fromValue(QDBusObjectPath(connectorPath(id))));
}

LinkService::Answer LinkService::callConnector(const BusCall &call, std::map<int, ConnectorEntry>::iterator it)
{
    // Another client, or one left over from an earlier server whose numbers this one uses
    // again, neither reaches the shared object nor takes a hold through it.
    if (it->second.owner != call.sender)
        return failure(status::accessDenied, QStringLiteral("the connector belongs to another client"));
    if (isIntrospect(call))
        return answer(connectorXml());
    if (isOwnInterface(call, connectorInterface) && call.member == QLatin1String("Release")) {
        dropConnector(it);
        return answer();
    }
    const bool ourInterface = call.arguments.value(0).toString().isEmpty() ||
                              call.arguments.value(0).toString() == QLatin1String(connectorInterface);
    if (is(call, propertiesInterface, "Get", "ss")) {
        if (!ourInterface || call.arguments.at(1).toString() != QLatin1String("Varnex"))
            return failure(status::unknownName, call.arguments.at(1).toString());
        return readVarnex(call, it->second);
    }
    if (is(call, propertiesInterface, "GetAll", "s")) {
        if (!ourInterface)
            return failure(status::unknownName, call.arguments.at(0).toString());
        const Answer read = readVarnex(call, it->second);
        if (!read.errorName.isEmpty())
            return read;
        QVariantMap all{{QStringLiteral("Varnex"), read.arguments.at(0).value<QDBusVariant>().variant()}};
        return answer(QVariant::fromValue(all));
    }
    if (is(call, propertiesInterface, "Set", "ssv"))
        return failure(status::memberNotFound, QStringLiteral("Varnex is read only"));
    return failure(status::memberNotFound, call.member);
}

LinkService::Answer LinkService::readVarnex(const BusCall &call, const ConnectorEntry &connector)
{
    const std::shared_ptr<Varnex> object = connector.connector->varnex();
    if (!object)
        return failure(status::objectNotConnected);
    QString why;
    if (!watchClient(call.sender, &why))
        return failure(status::failed, why);
    const int id = exportObject(object);
    ObjectEntry &entry = m_objects.at(id);
    entry.holders.insert(call.sender);
    entry.heldByClients = object;
    return answer(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(objectPath(id))))));
}

LinkService::Answer LinkService::callObject(const BusCall &call, int id)
{
    auto it = m_objects.find(id);
    const std::shared_ptr<Varnex> object = it == m_objects.end() ? nullptr : it->second.object.lock();
    if (!object)
        return failure(status::objectNotConnected, call.path);
    if (call.interface == propertiesInterface)
        return objectProperties(call, *object);
    if (!isOwnInterface(call, varnexInterface))
        return failure(status::memberNotFound, call.interface);
    if (call.member == QLatin1String("Release")) {
        if (!it->second.holders.remove(call.sender))
            return failure(status::accessDenied, QStringLiteral("this client does not hold the object"));
        if (it->second.holders.isEmpty())
            it->second.heldByClients.reset();
        return answer();
    }
    return command(call, *object);
}

LinkService::Answer LinkService::objectProperties(const BusCall &call, Varnex &object)
{
    const QVariantList args = call.arguments;
    const QString interface = args.value(0).toString();
    if (!interface.isEmpty() && interface != QLatin1String(varnexInterface))
        return failure(status::unknownName, interface);
    if (is(call, propertiesInterface, "GetAll", "s")) {
        QVariantMap all;
        for (std::string_view field : catalogue::fieldOrder()) {
            Value value;
            object.get(field, value);
            all.insert(latin1(field), toDBus(value));
        }
        return answer(QVariant::fromValue(all));
    }
    const QString name = args.value(1).toString();
    const std::string key = name.toStdString();
    if (is(call, propertiesInterface, "Get", "ss")) {
        Value value;
        const std::int32_t result = object.get(key, value);
        if (result != status::ok)
            return failure(result, name);
        return answer(QVariant::fromValue(QDBusVariant(toDBus(value))));
    }
    if (is(call, propertiesInterface, "Set", "ssv")) {
        const catalogue::Member *member = catalogue::findVarnexMember(key);
        if (!member || member->kind != catalogue::Kind::Property)
            return failure(status::unknownName, name);
        Value value;
        std::int32_t result = fromDBus(args.at(2), member->type, value);
        if (result == status::ok)
            result = object.set(key, value);
        if (result != status::ok)
            return refusedValue(result, name);
        return answer();
    }
    return failure(status::memberNotFound, call.member);
}

LinkService::Answer LinkService::command(const BusCall &call, Varnex &object)
{
    const catalogue::Member *member = catalogue::findVarnexMember(call.member.toStdString());
    if (!member || member->kind != catalogue::Kind::Method)
        return failure(status::memberNotFound, call.member);
    const QVariantList args = call.arguments;
    if (static_cast<std::size_t>(args.size()) != member->arguments.size())
        return failure(status::badParamCount, call.member);
    std::vector<Value> values(member->arguments.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::int32_t converted = fromDBus(args.at(qsizetype(i)), member->arguments[i].type, values[i]);
        if (converted != status::ok)
            return refusedValue(converted, latin1(member->arguments[i].name));
    }
    // The changes and the event go out from inside the call (SignalSink), in that order, so
    // both precede the reply on the bus.
    const std::int32_t result = object.call(member->name, values);
    if (result != status::ok)
        return failure(result, call.member);
    return answer();
}

int LinkService::exportObject(const std::shared_ptr<Varnex> &object)
{
    for (const auto &[id, entry] : m_objects)
        if (entry.object.lock() == object)
            return id;
    const int id = m_nextObject++;
    ObjectEntry &entry = m_objects[id];
    entry.object = object;
    entry.sink = std::make_unique<SignalSink>(m_bus, objectPath(id));
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
    m_watch = m_bus.callBus(QStringLiteral("AddMatch"),
                            {QStringLiteral("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                                            "interface='org.freedesktop.DBus',member='NameOwnerChanged'")});
}

bool LinkService::watchClient(const QString &client, QString *why)
{
    // Asked for before the server owns its name, so the answer is nearly always in; only a
    // call sent to the unique name could come first.
    const BusReply watch = m_watch.wait();
    if (watch.isError()) {
        *why = QStringLiteral("the bus refused to watch for clients leaving it (%1), so nothing can be handed out")
                   .arg(watch.errorMessage);
        installWatch(); // a later call may find the bus willing
        return false;
    }
    if (m_watched.contains(client))
        return true;
    m_watched.insert(client);
    // The client may have left before the rule was in place; the bus answers this after it
    // has the rule, so one of the two always tells us.
    m_bus.callBus(QStringLiteral("NameHasOwner"), {client}).then(this, [this, client](const BusReply &reply) {
        if (!reply.isError() && reply.arguments.value(0).metaType().id() == QMetaType::Bool &&
            !reply.arguments.at(0).toBool())
            clientLeft(client);
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
