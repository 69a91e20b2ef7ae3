// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server on D-Bus: one virtual object under /org/tethra/Tethra that serves the
// class factory, the connectors and the shared objects, dispatching every call through the
// member catalogue. It tracks which client holds what (a connector from CreateObject until
// Release, a shared object from its first read of a connector's Varnex until Release) and
// drops the holds of clients that leave the bus, which it learns of through a single match
// rule that covers them all: a hold is handed out only once the bus has confirmed it. One
// client holds at most kConnectorsPerClient connectors, and a connector answers only the
// client that created it. idle() fires once nobody holds anything for a short while (a
// longer grace at start). Every stored change of a shared object is announced as
// PropertiesChanged before the call's event and reply (SignalSink). A text longer than
// kMaxTextBytes is refused, so that no reply or signal grows beyond what the bus carries.
// Runs on the one thread of the process, on the server's own bus connection.
#pragma once

#include "BusConnection.h"
#include "VarnexConnector.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <map>
#include <memory>

namespace tethra::dbus {

class SignalSink;

class LinkService : public QObject {
    Q_OBJECT
public:
    // What one bus client may hold at once, so that no client can take every connector
    // the 16-bit count allows (32767): 31 clients at this limit still leave room for more.
    static constexpr int kConnectorsPerClient = 1024;

    // Takes every call that reaches bus.
    LinkService(BusConnection &bus, int startGraceMs, int lingerMs, QObject *parent = nullptr);
    ~LinkService() override;

    // Holds a connector of the server's own from now on, so the shared object and its
    // values outlive every client and the server never goes idle (tethra --stay).
    std::int32_t keepState();

    void handleCall(const BusCall &call);
    // From now on every call is refused as the server stopping (status::serverStopping),
    // which a client meets by calling again: once the name is given back, the bus starts a
    // new server. Nothing is served that the server could not go on holding.
    void stopServing();

    // A call's reply, or its error: errorName (org.tethra.Tethra.Error for a status) and text.
    struct Answer {
        QVariantList arguments;
        QString error;
        QString errorName;
    };

signals:
    void idle();

private slots:
    void nameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

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

    Answer dispatch(const BusCall &call);
    // The tree as the caller sees it: its own connectors, the shared objects.
    QString introspect(const QString &path, const QString &caller) const;
    Answer callFactory(const BusCall &call);
    Answer callConnector(const BusCall &call, std::map<int, ConnectorEntry>::iterator it);
    Answer callObject(const BusCall &call, int id);
    Answer readVarnex(const BusCall &call, const ConnectorEntry &connector);
    Answer objectProperties(const BusCall &call, Varnex &object);
    Answer command(const BusCall &call, Varnex &object);

    int exportObject(const std::shared_ptr<Varnex> &object);
    QString objectPath(int id) const;
    QString connectorPath(int id) const;
    void installWatch();
    // False, with the reason, when the bus has not installed the watch on its clients.
    bool watchClient(const QString &client, QString *why);
    void dropConnector(std::map<int, ConnectorEntry>::iterator it);
    void clientLeft(const QString &client);
    void sweep();
    bool anythingHeld() const;
    void updateIdleTimer();

    BusConnection &m_bus;
    PendingCall m_watch;     // the AddMatch of the rule that tells of clients leaving
    QSet<QString> m_watched; // clients that hold or held something
    QHash<QString, int> m_connectorsOf;
    QTimer m_idleTimer;
    int m_lingerMs;
    basTethra m_module;
    std::unique_ptr<VarnexConnector> m_ownConnector;
    std::map<int, ConnectorEntry> m_connectors;
    std::map<int, ObjectEntry> m_objects;
    int m_nextConnector = 1;
    int m_nextObject = 1;
    bool m_stopping = false;
};

} // namespace tethra::dbus
