// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The monitor's client of the link server tethra, on the bus it is given. Every call is
// asynchronous: nothing here ever waits, and a hung server costs at most a timeout.
// connectToServer() asks the class factory for a new connector and reads its Varnex; the
// pair it held before is released only once the new pair is in hand, so the server never
// sees this client hold nothing. It ends in connected() or, at most once per call, in
// connectFailed(). readBand() starts one read of Band (1 s timeout) unless the previous one
// is still out; a reply gives bandRead(), an error or a timeout gives nothing at all.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

class QDBusPendingCall;
class QDBusPendingCallWatcher;

namespace tovana {

class LinkClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kReadTimeoutMs = 1000;
    // Creating a connector may have to start the server first.
    static constexpr int kConnectTimeoutMs = 5000;

    explicit LinkClient(const QDBusConnection &bus, QObject *parent = nullptr);
    ~LinkClient() override;

    void connectToServer();
    // Holds a connector and the shared object it handed out.
    bool isConnected() const { return !m_held.object.isEmpty(); }
    QString connectorPath() const { return m_held.connector; }
    QString objectPath() const { return m_held.object; }

    // False when no read was started: not connected, or the last read has not come back.
    bool readBand();
    // The read under way, if any, will report nothing.
    void abandonRead();

signals:
    void connected();
    void connectFailed(const QString &reason);
    void bandRead(qint32 band);

private:
    struct Held {
        QString server;     // unique bus name of the server process that handed them out
        QString connector;
        QString object;
    };

    QDBusPendingCallWatcher *watch(const QDBusPendingCall &call);
    void onConnectorCreated(QDBusPendingCallWatcher *call, quint64 attempt);
    void onObjectRead(QDBusPendingCallWatcher *call, quint64 attempt, const Held &fresh);
    void fail(quint64 attempt, const QString &reason);
    void release(const QString &server, const QString &path, const QString &interface);
    void releaseHeld(const Held &held);

    QDBusConnection m_bus;
    Held m_held;
    quint64 m_attempt = 0;  // bumped by each connectToServer(); older replies are stale
    QPointer<QDBusPendingCallWatcher> m_read;
};

} // namespace tovana
