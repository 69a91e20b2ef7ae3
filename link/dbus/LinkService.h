// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server on D-Bus: one virtual object under /org/tethra/Tethra that serves the
// class factory, the connectors and the shared objects, dispatching every call through the
// member catalogue. It tracks which client holds what (a connector from CreateObject until
// Release, a shared object from its first read of a connector's Varnex until Release) and
// drops the holds of clients that leave the bus. idle() fires once nobody holds anything
// for a short while (a longer grace at start). Every stored change of a shared object is
// announced as PropertiesChanged before the call's event and reply (SignalSink). Runs on
// the one thread of the process.
#pragma once

#include "VarnexConnector.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QSet>
#include <QTimer>

#include <map>
#include <memory>

namespace tethra::dbus {

class SignalSink;

class LinkService : public QDBusVirtualObject
{
    Q_OBJECT
public:
    LinkService(const QDBusConnection &connection, int startGraceMs, int lingerMs, QObject *parent = nullptr);
    ~LinkService() override;

    // Holds a connector of the server's own from now on, so the shared object and its
    // values outlive every client and the server never goes idle (tethra --stay).
    std::int32_t keepState();

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

signals:
    void idle();

private:
    struct ConnectorEntry {
        std::unique_ptr<VarnexConnector> connector;
        QString owner;
    };
    struct ObjectEntry {
        std::weak_ptr<Varnex> object;
        std::shared_ptr<Varnex> heldByClients; // set while any client holds the object
        QSet<QString> holders;
        std::unique_ptr<SignalSink> sink;
    };

    QDBusMessage dispatch(const QDBusMessage &message);
    QDBusMessage callFactory(const QDBusMessage &message);
    QDBusMessage callConnector(const QDBusMessage &message, int id);
    QDBusMessage callObject(const QDBusMessage &message, int id);
    QDBusMessage readVarnex(const QDBusMessage &message, int connectorId);
    QDBusMessage objectProperties(const QDBusMessage &message, Varnex &object, SignalSink &sink);
    QDBusMessage command(const QDBusMessage &message, Varnex &object, SignalSink &sink);

    int exportObject(const std::shared_ptr<Varnex> &object);
    QString objectPath(int id) const;
    QString connectorPath(int id) const;
    void watchClient(const QString &client);
    void clientLeft(const QString &client);
    void sweep();
    bool anythingHeld() const;
    void updateIdleTimer();

    QDBusConnection m_connection;
    QDBusServiceWatcher m_clients;
    QTimer m_idleTimer;
    int m_lingerMs;
    basTethra m_module;
    std::unique_ptr<VarnexConnector> m_ownConnector;
    std::map<int, ConnectorEntry> m_connectors;
    std::map<int, ObjectEntry> m_objects;
    int m_nextConnector = 1;
    int m_nextObject = 1;
};

} // namespace tethra::dbus
