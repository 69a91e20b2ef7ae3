// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LinkClient.h"
#include "TethraBus.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <algorithm>

namespace {
const QString kService = QLatin1String(tethra::bus::serviceName);
const QString kFactoryPath = QLatin1String(tethra::bus::rootPath);
const QString kFactoryInterface = QLatin1String(tethra::bus::factoryInterface);
const QString kConnectorInterface = QLatin1String(tethra::bus::connectorInterface);
const QString kObjectInterface = QLatin1String(tethra::bus::varnexInterface);
const QString kEventInterface = QLatin1String(tethra::bus::eventInterface);
const QString kProperties = QLatin1String(tethra::bus::propertiesInterface);
const QString kConnectorClsid = QLatin1String(tethra::bus::connectorClassId);
constexpr int kFirstBackoffMs = 250;
constexpr int kMaxBackoffMs = 4000;
// Activation of a fresh server included; a call slower than this counts as failed.
constexpr int kCallTimeoutMs = 10000;
} // namespace

LinkClient::LinkClient(const QDBusConnection &bus, const QStringList &events, QObject *parent)
    : QObject(parent), m_bus(bus), m_events(events),
      m_serviceWatcher(new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForUnregistration, this)),
      m_backoffMs(kFirstBackoffMs)
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &LinkClient::start);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &LinkClient::onServiceGone);
}

void LinkClient::start()
{
    if (m_connecting || m_up)
        return;
    m_connecting = true;
    QDBusMessage create = QDBusMessage::createMethodCall(kService, kFactoryPath, kFactoryInterface,
                                                         QStringLiteral("CreateObject"));
    create << kConnectorClsid;
    connect(callAsync(create), &QDBusPendingCallWatcher::finished, this, &LinkClient::onConnectorCreated);
}

bool LinkClient::isUp() const
{
    return m_up;
}

QDBusPendingCallWatcher *LinkClient::callAsync(const QDBusMessage &message)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
    return watcher;
}

void LinkClient::onConnectorCreated(QDBusPendingCallWatcher *watcher)
{
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        goDown(QStringLiteral("cannot create a connector: %1").arg(reply.error().message()));
        return;
    }
    // Reading the connector's Varnex is what makes us a holder of the shared object.
    QDBusMessage get = QDBusMessage::createMethodCall(kService, reply.value().path(), kProperties, QStringLiteral("Get"));
    get << kConnectorInterface << QStringLiteral("Varnex");
    connect(callAsync(get), &QDBusPendingCallWatcher::finished, this, &LinkClient::onObjectReceived);
}

void LinkClient::onObjectReceived(QDBusPendingCallWatcher *watcher)
{
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    const QString path = reply.isError() ? QString() : reply.value().variant().value<QDBusObjectPath>().path();
    if (path.isEmpty()) {
        goDown(QStringLiteral("cannot get the shared object: %1")
                   .arg(reply.isError() ? reply.error().message() : QStringLiteral("empty reference")));
        return;
    }
    m_objectPath = path;
    m_connecting = false;
    m_up = true;
    m_backoffMs = kFirstBackoffMs;
    m_written.clear();
    subscribe(true);
    emit up();
}

void LinkClient::onServiceGone()
{
    if (m_up)
        goDown(QStringLiteral("the link server went away"));
}

void LinkClient::goDown(const QString &reason)
{
    if (m_up)
        subscribe(false);
    m_up = false;
    m_connecting = false;
    m_objectPath.clear();
    emit down(reason);
    if (!m_retryTimer.isActive()) {
        m_retryTimer.start(m_backoffMs);
        m_backoffMs = std::min(m_backoffMs * 2, kMaxBackoffMs);
    }
}

void LinkClient::subscribe(bool on)
{
    for (const QString &name : std::as_const(m_events)) {
        if (on)
            m_bus.connect(kService, m_objectPath, kEventInterface, name, this, SLOT(onEvent(QDBusMessage)));
        else
            m_bus.disconnect(kService, m_objectPath, kEventInterface, name, this, SLOT(onEvent(QDBusMessage)));
    }
}

void LinkClient::onEvent(const QDBusMessage &message)
{
    emit event(message.member());
}

void LinkClient::write(const QString &field, const QVariant &value)
{
    if (!m_up)
        return;
    const auto last = m_written.constFind(field);
    if (last != m_written.cend() && *last == value)
        return;
    m_written.insert(field, value);
    QDBusMessage set = QDBusMessage::createMethodCall(kService, m_objectPath, kProperties, QStringLiteral("Set"));
    set << kObjectInterface << field << QVariant::fromValue(QDBusVariant(value));
    connect(callAsync(set), &QDBusPendingCallWatcher::finished, this, [this, field](QDBusPendingCallWatcher *w) {
        if (!w->isError())
            return;
        m_written.remove(field); // so the next poll tries again
        emit failed(QStringLiteral("cannot write %1: %2").arg(field, w->error().message()));
    });
}

void LinkClient::forgetWrites()
{
    m_written.clear();
}

void LinkClient::read(const QString &field, std::function<void(const QVariant &)> done)
{
    if (!m_up)
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(kService, m_objectPath, kProperties, QStringLiteral("Get"));
    get << kObjectInterface << field;
    connect(callAsync(get), &QDBusPendingCallWatcher::finished, this,
            [this, field, done = std::move(done)](QDBusPendingCallWatcher *w) {
                const QDBusPendingReply<QDBusVariant> reply = *w;
                if (reply.isError())
                    emit failed(QStringLiteral("cannot read %1: %2").arg(field, reply.error().message()));
                else
                    done(reply.value().variant());
            });
}

void LinkClient::call(const QString &method)
{
    if (!m_up)
        return;
    const QDBusMessage message = QDBusMessage::createMethodCall(kService, m_objectPath, kObjectInterface, method);
    connect(callAsync(message), &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher *w) {
        if (w->isError())
            emit failed(QStringLiteral("cannot call %1: %2").arg(method, w->error().message()));
    });
}
