// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The project's own connection to a D-Bus bus, for the link server and its clients alike:
// on libdbus and the Qt event loop of the thread that made it, so that every string crosses
// unit for unit (WireArguments.h) and nothing waits on another thread. Each method call
// that reaches it goes to the call handler, which answers it with reply() or error();
// NameOwnerChanged from the bus is told by nameOwnerChanged(), any other signal that
// reaches it by signalReceived() (after an AddMatch that asks for it), the loss of the bus
// once by disconnected(). Outgoing calls are asynchronous: a PendingCall tells its answer,
// or an error once its time is up. Handlers and answers run from the event loop, never
// nested in another call of their own.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

struct DBusConnection;
struct DBusMessage;
struct DBusPendingCall;

namespace tethra::dbus {

// A method call that reached the server.
struct BusCall {
    QString sender;
    QString path;
    QString interface;
    QString member;
    QString signature;
    QVariantList arguments;
    bool wantsReply = true;
    std::shared_ptr<DBusMessage> message; // what the reply answers
};

// A signal that reached the connection.
struct BusSignal {
    QString sender; // the unique name of the connection that sent it
    QString path;
    QString interface;
    QString member;
    QVariantList arguments;
};

// The answer to a call made on the connection.
struct BusReply {
    QString sender; // the unique name of the connection that answered
    QVariantList arguments;
    QString errorName; // empty on success
    QString errorMessage;
    bool isError() const { return !errorName.isEmpty(); }
};

class PendingCall {
public:
    PendingCall();
    bool isFinished() const;
    // Blocks until the answer is in; the event loop does not run meanwhile.
    BusReply wait();
    // Runs done once with the answer, from the event loop (also when the answer is in
    // already), unless context is gone by then.
    void then(const QObject *context, std::function<void(const BusReply &)> done);

private:
    friend class BusConnection;
    struct State;
    explicit PendingCall(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

class BusConnection : public QObject {
    Q_OBJECT
public:
    // The session bus that started the process, or else the one the environment names;
    // null, with *why, when there is none.
    static std::unique_ptr<BusConnection> toSessionBus(QString *why);
    // Any bus by its address, registered on it.
    static std::unique_ptr<BusConnection> toAddress(const QString &address, QString *why);
    ~BusConnection() override;

    bool isConnected() const;
    QString uniqueName() const;
    void setCallHandler(std::function<void(const BusCall &)> handler);

    bool reply(const BusCall &call, const QVariantList &arguments = {});
    bool error(const BusCall &call, const QString &name, const QString &message);
    bool signal(const QString &path, const QString &interface, const QString &member,
                const QVariantList &arguments = {});
    // timeoutMs -1: libdbus's default (25 s). A well-known name may be started by the bus
    // (activation); a unique name never is.
    PendingCall call(const QString &service, const QString &path, const QString &interface, const QString &member,
                     const QVariantList &arguments = {}, int timeoutMs = -1);
    // A call that wants no answer, and the callee is told so.
    bool callNoReply(const QString &service, const QString &path, const QString &interface, const QString &member,
                     const QVariantList &arguments = {});
    // A call to the bus itself (org.freedesktop.DBus: RequestName, AddMatch, ...).
    PendingCall callBus(const QString &member, const QVariantList &arguments = {}, int timeoutMs = -1);
    // Waits until everything queued has been written to the bus.
    void flush();

signals:
    void nameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void signalReceived(const tethra::dbus::BusSignal &signal);
    void disconnected();

private:
    struct Callbacks; // libdbus's hooks into the event loop and the message filter
    friend struct Callbacks;
    friend struct PendingCall::State;

    explicit BusConnection(DBusConnection *connection);
    bool send(DBusMessage *message);
    DBusMessage *methodCall(const QString &service, const QString &path, const QString &interface,
                            const QString &member, const QVariantList &arguments);
    void scheduleDispatch();
    void dispatch();

    DBusConnection *m_connection;
    std::function<void(const BusCall &)> m_handler;
    std::vector<std::shared_ptr<PendingCall::State>> m_pending; // calls out, not answered yet
    bool m_dispatchQueued = false;
    bool m_disconnected = false;
};

} // namespace tethra::dbus
