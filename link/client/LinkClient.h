// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A client's hold on the link server's shared object, for every client of the server (the
// monitor, tethra-cli, tethra-rigctl), on a bus connection of its own of the same kind as
// the server's (BusConnection): every text crosses unit for unit, and nothing waits on
// another thread.
//
// Thread: lives on the thread that made it; every callback and signal comes on that thread.
// Asynchronous: nothing here waits for the bus. Each read, write or command ends in exactly
// one call of its done function (unless the client or the context object given goes first),
// at once (queued) with an error when nothing is held.
// Timeout: a call with no answer in time ends with timedOut set. It says nothing about the
// server's state: a write or command may still have been carried out, and the hold stays.
//
// connectToServer() creates a connector through the well-known name (the bus starts the
// server if none runs; a server on its way out refuses, and is asked again, which starts a
// new one) and reads its Varnex. The pair held before is released only once the new pair
// is in hand, so the server never sees this client hold nothing. Every later call
// goes to the server process that answered, by its unique name and without activation: a
// server started anew has other objects under the same paths. When that process leaves the
// bus, disconnected() says so; with reconnection on, the client then connects again (with a
// growing delay, as after a failed connection), which activates a new server.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace tethra::dbus {
class BusConnection;
struct BusReply;
struct BusSignal;
} // namespace tethra::dbus

namespace tethra::client {

struct Reply {
    // A read: the value (int for a Long, double for a Double, QString for a text);
    // readAll: a QVariantMap of every field.
    QVariant value;
    // Empty on success; else the server's message, the bus's, or why nothing was sent.
    QString error;
    QString errorName;             // the D-Bus error name, when there was one
    std::optional<quint32> status; // the link status, when the server refused the call
    bool timedOut = false;
    bool ok() const { return error.isEmpty(); }
};

class LinkClient : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const Reply &)>;

    static constexpr int kDefaultCallTimeoutMs = 1000;
    // Creating a connector may have to start the server first.
    static constexpr int kDefaultConnectTimeoutMs = 10000;

    // Connects, at once, to the bus at busAddress, or to the session bus when it is empty.
    explicit LinkClient(const QString &busAddress = QString(), QObject *parent = nullptr);
    // Releases what it holds, without waiting for the answers.
    ~LinkClient() override;

    // Why the client has no connection to its bus (it could not connect, or lost it);
    // empty while it has one.
    QString busError() const;
    // The client's own unique name on the bus.
    QString uniqueName() const;

    void setCallTimeout(int ms) { m_callTimeoutMs = ms; }
    void setConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    // Off by default: a failed connection or a lost server is then final until the next
    // connectToServer().
    void setReconnect(bool on);
    // Subscriptions, kept across reconnections: the events named (every event for an
    // empty list), the PropertiesChanged of the shared object. subscribed() follows
    // once the bus has them for the object now held. watchChanges(false) ends the latter.
    void watchEvents(const QStringList &names = {});
    void watchChanges(bool on = true);

    void connectToServer();
    // Releases the connector and the object; no signal follows.
    void disconnectFromServer();
    bool isConnected() const { return !m_held.object.isEmpty(); }
    QString serverName() const { return m_held.server; }
    QString connectorPath() const { return m_held.connector; }
    QString objectPath() const { return m_held.object; }

    // The done function is dropped if context (this client when none is given) goes first.
    void read(const QString &field, const QObject *context, Done done);
    void readAll(const QObject *context, Done done);
    // The value's type picks the D-Bus type: int for a Long, double for a Double, QString for
    // a text.
    void write(const QString &field, const QVariant &value, const QObject *context = nullptr, Done done = {});
    void call(const QString &command, const QVariantList &arguments = {}, const QObject *context = nullptr,
              Done done = {});

signals:
    // A connector and the shared object are held; the object may be a new one at its defaults.
    void connected();
    // At most once per connectToServer() (or retry); what was held before is let go.
    void connectFailed(const QString &reason);
    // The server holding this client's objects left the bus, or the bus itself went away.
    void disconnected(const QString &reason);
    // From here on no event or change of the object held is missed.
    void subscribed();
    void event(const QString &name);
    // Fields of the shared object and their new values, after a stored change.
    void propertiesChanged(const QVariantMap &changed);

private:
    struct Held {
        QString server; // unique bus name of the server process that handed them out
        QString connector;
        QString object;
    };

    void send(const QString &path, const QString &interface, const QString &member, const QVariantList &arguments,
              const QObject *context, Done done);
    void createConnector(quint64 attempt, int retries);
    void onConnectorCreated(const dbus::BusReply &reply, quint64 attempt, int retries);
    void onObjectRead(const dbus::BusReply &reply, quint64 attempt, const Held &fresh);
    void fail(quint64 attempt, const QString &reason);
    void lose(const QString &reason);
    void retryLater();
    void release(const Held &held);
    void follow(const Held &previous);
    void watchServer(const QString &server);
    enum class Watch { Events, Changes, Both };
    void subscribe(const Held &held, bool on, Watch what = Watch::Both);
    void confirmSubscriptions();
    void onSignal(const dbus::BusSignal &signal);
    void onNameOwnerChanged(const QString &name, const QString &newOwner);

    std::unique_ptr<dbus::BusConnection> m_bus;
    QString m_busError; // why m_bus could not be made
    Held m_held;
    quint64 m_attempt = 0; // bumped by each connectToServer(); older replies are stale
    bool m_connecting = false;
    int m_callTimeoutMs = kDefaultCallTimeoutMs;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    bool m_reconnect = false;
    int m_backoffMs;
    QTimer m_retry;
    QString m_watchedServer; // the server whose leaving the bus tells this client of
    bool m_watchEvents = false;
    QStringList m_events;
    bool m_watchChanges = false;
};

} // namespace tethra::client
