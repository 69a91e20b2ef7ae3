// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BusConnection.h"

#include "WireArguments.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <dbus/dbus.h>

#include <algorithm>

namespace tethra::dbus {
namespace {

QString textOf(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

BusReply replyOf(DBusMessage *message)
{
    BusReply reply;
    if (!message) {
        reply.errorName = QStringLiteral(DBUS_ERROR_NO_REPLY);
        reply.errorMessage = QStringLiteral("no answer came");
        return reply;
    }
    reply.sender = textOf(dbus_message_get_sender(message));
    reply.arguments = readArguments(message);
    if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_ERROR) {
        reply.errorName = textOf(dbus_message_get_error_name(message));
        reply.errorMessage = reply.arguments.value(0).toString();
    }
    return reply;
}

// The read and write halves of one libdbus watch.
struct WatchNotifiers {
    QSocketNotifier *read = nullptr;
    QSocketNotifier *write = nullptr;
};

} // namespace

struct PendingCall::State {
    DBusPendingCall *call = nullptr;
    bool finished = false;
    BusReply reply;
    QPointer<const QObject> context;
    std::function<void(const BusReply &)> done;
    BusConnection *owner = nullptr;

    ~State()
    {
        if (call)
            dbus_pending_call_unref(call);
    }

    void complete(DBusMessage *message)
    {
        if (finished)
            return;
        reply = replyOf(message);
        finished = true;
        if (call) {
            dbus_pending_call_set_notify(call, nullptr, nullptr, nullptr);
            dbus_pending_call_unref(call);
            call = nullptr;
        }
        std::shared_ptr<State> keep; // the owner's list may hold the last reference
        if (owner) {
            auto &list = owner->m_pending;
            const auto it = std::find_if(list.begin(), list.end(), [this](const auto &s) { return s.get() == this; });
            if (it != list.end()) {
                keep = *it;
                list.erase(it);
            }
            owner = nullptr;
        }
        if (done) {
            const auto run = std::move(done);
            done = nullptr;
            if (context)
                run(reply);
        }
    }

    void completeFromCall()
    {
        DBusMessage *message = call ? dbus_pending_call_steal_reply(call) : nullptr;
        complete(message);
        if (message)
            dbus_message_unref(message);
    }
};

PendingCall::PendingCall() : m_state(std::make_shared<State>())
{
    m_state->finished = true;
    m_state->reply.errorName = QStringLiteral(DBUS_ERROR_FAILED);
    m_state->reply.errorMessage = QStringLiteral("no call was made");
}

bool PendingCall::isFinished() const
{
    return m_state->finished;
}

BusReply PendingCall::wait()
{
    if (!m_state->finished && m_state->call) {
        const std::shared_ptr<State> state = m_state;
        dbus_pending_call_block(state->call);
        if (!state->finished)
            state->completeFromCall();
    }
    return m_state->reply;
}

void PendingCall::then(const QObject *context, std::function<void(const BusReply &)> done)
{
    if (m_state->finished) {
        QMetaObject::invokeMethod(
            const_cast<QObject *>(context), [state = m_state, done = std::move(done)] { done(state->reply); },
            Qt::QueuedConnection);
        return;
    }
    m_state->context = context;
    m_state->done = std::move(done);
}

struct BusConnection::Callbacks {
    static dbus_bool_t addWatch(DBusWatch *watch, void *data)
    {
        auto *self = static_cast<BusConnection *>(data);
        const int fd = dbus_watch_get_unix_fd(watch);
        const unsigned flags = dbus_watch_get_flags(watch);
        auto *notifiers = new WatchNotifiers;
        const auto make = [&](QSocketNotifier::Type type, unsigned condition) {
            auto *notifier = new QSocketNotifier(fd, type, self);
            QObject::connect(notifier, &QSocketNotifier::activated, self, [self, watch, condition] {
                dbus_watch_handle(watch, condition);
                self->scheduleDispatch();
            });
            return notifier;
        };
        if (flags & DBUS_WATCH_READABLE)
            notifiers->read = make(QSocketNotifier::Read, DBUS_WATCH_READABLE);
        if (flags & DBUS_WATCH_WRITABLE)
            notifiers->write = make(QSocketNotifier::Write, DBUS_WATCH_WRITABLE);
        dbus_watch_set_data(watch, notifiers, nullptr);
        toggleWatch(watch, data);
        return TRUE;
    }

    static void removeWatch(DBusWatch *watch, void *)
    {
        auto *notifiers = static_cast<WatchNotifiers *>(dbus_watch_get_data(watch));
        if (!notifiers)
            return;
        // The watch may go from inside its own notifier's signal.
        for (QSocketNotifier *notifier : {notifiers->read, notifiers->write}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->disconnect();
                notifier->deleteLater();
            }
        }
        delete notifiers;
        dbus_watch_set_data(watch, nullptr, nullptr);
    }

    static void toggleWatch(DBusWatch *watch, void *)
    {
        auto *notifiers = static_cast<WatchNotifiers *>(dbus_watch_get_data(watch));
        if (!notifiers)
            return;
        const bool enabled = dbus_watch_get_enabled(watch);
        for (QSocketNotifier *notifier : {notifiers->read, notifiers->write})
            if (notifier)
                notifier->setEnabled(enabled);
    }

    static dbus_bool_t addTimeout(DBusTimeout *timeout, void *data)
    {
        auto *self = static_cast<BusConnection *>(data);
        auto *timer = new QTimer(self);
        timer->setSingleShot(false);
        QObject::connect(timer, &QTimer::timeout, self, [self, timeout] {
            dbus_timeout_handle(timeout);
            self->scheduleDispatch();
        });
        dbus_timeout_set_data(timeout, timer, nullptr);
        toggleTimeout(timeout, data);
        return TRUE;
    }

    static void removeTimeout(DBusTimeout *timeout, void *)
    {
        auto *timer = static_cast<QTimer *>(dbus_timeout_get_data(timeout));
        if (!timer)
            return;
        timer->stop();
        timer->disconnect();
        timer->deleteLater();
        dbus_timeout_set_data(timeout, nullptr, nullptr);
    }

    static void toggleTimeout(DBusTimeout *timeout, void *)
    {
        auto *timer = static_cast<QTimer *>(dbus_timeout_get_data(timeout));
        if (!timer)
            return;
        if (dbus_timeout_get_enabled(timeout))
            timer->start(dbus_timeout_get_interval(timeout));
        else
            timer->stop();
    }

    // libdbus forbids dispatching from here; the event loop does it next.
    static void dispatchStatus(DBusConnection *, DBusDispatchStatus status, void *data)
    {
        if (status == DBUS_DISPATCH_DATA_REMAINS)
            static_cast<BusConnection *>(data)->scheduleDispatch();
    }

    static void pendingDone(DBusPendingCall *, void *data)
    {
        static_cast<PendingCall::State *>(data)->completeFromCall();
    }

    static DBusHandlerResult filter(DBusConnection *, DBusMessage *message, void *data)
    {
        auto *self = static_cast<BusConnection *>(data);
        switch (dbus_message_get_type(message)) {
        case DBUS_MESSAGE_TYPE_METHOD_CALL: {
            BusCall call;
            call.sender = textOf(dbus_message_get_sender(message));
            call.path = textOf(dbus_message_get_path(message));
            call.interface = textOf(dbus_message_get_interface(message));
            call.member = textOf(dbus_message_get_member(message));
            call.signature = textOf(dbus_message_get_signature(message));
            call.arguments = readArguments(message);
            call.wantsReply = !dbus_message_get_no_reply(message);
            call.message = std::shared_ptr<DBusMessage>(dbus_message_ref(message), dbus_message_unref);
            if (self->m_handler)
                self->m_handler(call);
            else
                self->error(call, QStringLiteral(DBUS_ERROR_UNKNOWN_OBJECT), call.path);
            return DBUS_HANDLER_RESULT_HANDLED;
        }
        case DBUS_MESSAGE_TYPE_SIGNAL:
            if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged") &&
                qstrcmp(dbus_message_get_sender(message), DBUS_SERVICE_DBUS) == 0) {
                const char *name = nullptr, *before = nullptr, *after = nullptr;
                if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &before,
                                          DBUS_TYPE_STRING, &after, DBUS_TYPE_INVALID))
                    emit self->nameOwnerChanged(textOf(name), textOf(before), textOf(after));
            } else if (dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected")) {
                if (!self->m_disconnected) {
                    self->m_disconnected = true;
                    emit self->disconnected();
                }
            } else {
                emit self->signalReceived({textOf(dbus_message_get_sender(message)),
                                           textOf(dbus_message_get_path(message)),
                                           textOf(dbus_message_get_interface(message)),
                                           textOf(dbus_message_get_member(message)), readArguments(message)});
            }
            break;
        default: break;
        }
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
};

std::unique_ptr<BusConnection> BusConnection::toSessionBus(QString *why)
{
    // As the bus that activated us names itself; a client's own session otherwise.
    const bool started = qEnvironmentVariable("DBUS_STARTER_BUS_TYPE") == QLatin1String("session") &&
                         !qEnvironmentVariableIsEmpty("DBUS_STARTER_ADDRESS");
    QString address = qEnvironmentVariable(started ? "DBUS_STARTER_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return toAddress(address, why);
    DBusError error;
    dbus_error_init(&error);
    DBusConnection *connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    if (!connection) {
        *why = textOf(error.message);
        dbus_error_free(&error);
        return nullptr;
    }
    return std::unique_ptr<BusConnection>(new BusConnection(connection));
}

std::unique_ptr<BusConnection> BusConnection::toAddress(const QString &address, QString *why)
{
    DBusError error;
    dbus_error_init(&error);
    DBusConnection *connection = dbus_connection_open_private(address.toUtf8().constData(), &error);
    if (connection && !dbus_bus_register(connection, &error)) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
    if (!connection) {
        *why = textOf(error.message);
        dbus_error_free(&error);
        return nullptr;
    }
    return std::unique_ptr<BusConnection>(new BusConnection(connection));
}

BusConnection::BusConnection(DBusConnection *connection) : m_connection(connection)
{
    // A lost bus is told by disconnected(); the process decides what to do.
    dbus_connection_set_exit_on_disconnect(m_connection, FALSE);
    dbus_connection_add_filter(m_connection, Callbacks::filter, this, nullptr);
    dbus_connection_set_watch_functions(m_connection, Callbacks::addWatch, Callbacks::removeWatch,
                                        Callbacks::toggleWatch, this, nullptr);
    dbus_connection_set_timeout_functions(m_connection, Callbacks::addTimeout, Callbacks::removeTimeout,
                                          Callbacks::toggleTimeout, this, nullptr);
    dbus_connection_set_dispatch_status_function(m_connection, Callbacks::dispatchStatus, this, nullptr);
    scheduleDispatch();
}

BusConnection::~BusConnection()
{
    for (const auto &state : m_pending) {
        if (state->call) {
            dbus_pending_call_set_notify(state->call, nullptr, nullptr, nullptr);
            dbus_pending_call_cancel(state->call);
        }
        state->owner = nullptr;
    }
    m_pending.clear();
    if (dbus_connection_get_is_connected(m_connection))
        dbus_connection_flush(m_connection);
    dbus_connection_remove_filter(m_connection, Callbacks::filter, this);
    dbus_connection_set_dispatch_status_function(m_connection, nullptr, nullptr, nullptr);
    dbus_connection_close(m_connection);
    dbus_connection_set_watch_functions(m_connection, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_set_timeout_functions(m_connection, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_unref(m_connection);
}

bool BusConnection::isConnected() const
{
    return !m_disconnected && dbus_connection_get_is_connected(m_connection);
}

QString BusConnection::uniqueName() const
{
    return textOf(dbus_bus_get_unique_name(m_connection));
}

void BusConnection::setCallHandler(std::function<void(const BusCall &)> handler)
{
    m_handler = std::move(handler);
}

bool BusConnection::send(DBusMessage *message)
{
    if (!message)
        return false;
    const bool sent = dbus_connection_send(m_connection, message, nullptr);
    dbus_message_unref(message);
    return sent;
}

bool BusConnection::reply(const BusCall &call, const QVariantList &arguments)
{
    if (!call.wantsReply)
        return true;
    DBusMessage *message = dbus_message_new_method_return(call.message.get());
    if (message && !appendArguments(message, arguments)) {
        dbus_message_unref(message);
        return error(call, QStringLiteral(DBUS_ERROR_FAILED), QStringLiteral("the answer could not be written"));
    }
    return send(message);
}

bool BusConnection::error(const BusCall &call, const QString &name, const QString &text)
{
    if (!call.wantsReply)
        return true;
    return send(dbus_message_new_error(call.message.get(), name.toUtf8().constData(), toWire(text).constData()));
}

bool BusConnection::signal(const QString &path, const QString &interface, const QString &member,
                           const QVariantList &arguments)
{
    DBusMessage *message =
        dbus_message_new_signal(path.toUtf8().constData(), interface.toUtf8().constData(), member.toUtf8().constData());
    if (message && !appendArguments(message, arguments)) {
        dbus_message_unref(message);
        return false;
    }
    return send(message);
}

DBusMessage *BusConnection::methodCall(const QString &service, const QString &path, const QString &interface,
                                       const QString &member, const QVariantList &arguments)
{
    DBusMessage *message = dbus_message_new_method_call(service.toUtf8().constData(), path.toUtf8().constData(),
                                                        interface.toUtf8().constData(), member.toUtf8().constData());
    if (message && !appendArguments(message, arguments)) {
        dbus_message_unref(message);
        return nullptr;
    }
    // The bus can start a service for a well-known name only; told so, it answers at once
    // that a unique name is gone.
    if (message && service.startsWith(QLatin1Char(':')))
        dbus_message_set_auto_start(message, FALSE);
    return message;
}

PendingCall BusConnection::call(const QString &service, const QString &path, const QString &interface,
                                const QString &member, const QVariantList &arguments, int timeoutMs)
{
    auto state = std::make_shared<PendingCall::State>();
    DBusMessage *message = methodCall(service, path, interface, member, arguments);
    DBusPendingCall *pending = nullptr;
    const bool written = message != nullptr;
    if (written) {
        dbus_connection_send_with_reply(m_connection, message, &pending, timeoutMs);
        dbus_message_unref(message);
    }
    if (!pending) {
        state->finished = true;
        state->reply.errorName = QString::fromLatin1(written ? DBUS_ERROR_DISCONNECTED : DBUS_ERROR_INVALID_ARGS);
        state->reply.errorMessage =
            written ? QStringLiteral("not connected to the bus") : QStringLiteral("the call could not be written");
        return PendingCall(state);
    }
    state->call = pending;
    state->owner = this;
    m_pending.push_back(state);
    dbus_pending_call_set_notify(pending, Callbacks::pendingDone, state.get(), nullptr);
    // An answer that came before the notification was set.
    if (dbus_pending_call_get_completed(pending))
        state->completeFromCall();
    return PendingCall(state);
}

bool BusConnection::callNoReply(const QString &service, const QString &path, const QString &interface,
                                const QString &member, const QVariantList &arguments)
{
    DBusMessage *message = methodCall(service, path, interface, member, arguments);
    if (message)
        dbus_message_set_no_reply(message, TRUE);
    return send(message);
}

PendingCall BusConnection::callBus(const QString &member, const QVariantList &arguments, int timeoutMs)
{
    return call(QStringLiteral(DBUS_SERVICE_DBUS), QStringLiteral(DBUS_PATH_DBUS), QStringLiteral(DBUS_INTERFACE_DBUS),
                member, arguments, timeoutMs);
}

void BusConnection::flush()
{
    dbus_connection_flush(m_connection);
}

void BusConnection::scheduleDispatch()
{
    if (m_dispatchQueued)
        return;
    m_dispatchQueued = true;
    QMetaObject::invokeMethod(this, &BusConnection::dispatch, Qt::QueuedConnection);
}

void BusConnection::dispatch()
{
    m_dispatchQueued = false;
    // A few messages at a time, so timers and other sockets get their turn under a flood.
    for (int i = 0; i < 64; ++i) {
        if (dbus_connection_dispatch(m_connection) != DBUS_DISPATCH_DATA_REMAINS)
            return;
    }
    scheduleDispatch();
}

} // namespace tethra::dbus
