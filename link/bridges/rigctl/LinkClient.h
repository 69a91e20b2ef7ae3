// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The bridge's hold on the link server: a connector and the shared object, obtained through
// bus activation (CreateObject on the well-known name). Every call is asynchronous. up()
// says a shared object is held (possibly a new one, whose fields are all at their defaults),
// down() that the server went away; after a failure or a loss it tries again with a growing
// delay. The events named at construction arrive as event(name).
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <functional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

class LinkClient : public QObject
{
    Q_OBJECT
public:
    LinkClient(const QDBusConnection &bus, const QStringList &events, QObject *parent = nullptr);

    void start();
    bool isUp() const;
    // Writes a field of the shared object, unless this client last wrote the same value.
    // The value's type picks the D-Bus type: int for Long, double for Double, QString for String.
    void write(const QString &field, const QVariant &value);
    // The next write of every field goes out even if unchanged.
    void forgetWrites();
    void read(const QString &field, std::function<void(const QVariant &)> done);
    void call(const QString &method);

signals:
    void up();
    void down(const QString &reason);
    void event(const QString &name);
    void failed(const QString &what);

private slots:
    void onEvent(const QDBusMessage &message);

private:
    void onServiceGone();
    void onConnectorCreated(QDBusPendingCallWatcher *watcher);
    void onObjectReceived(QDBusPendingCallWatcher *watcher);
    void goDown(const QString &reason);
    void subscribe(bool on);
    QDBusPendingCallWatcher *callAsync(const QDBusMessage &message);

    QDBusConnection m_bus;
    QStringList m_events;
    QDBusServiceWatcher *m_serviceWatcher;
    QTimer m_retryTimer;
    int m_backoffMs;
    bool m_connecting = false;
    bool m_up = false;
    QString m_objectPath;
    QHash<QString, QVariant> m_written;
};
