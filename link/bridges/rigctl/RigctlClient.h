// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A connection to rigctld using its extended response protocol ("+" before each command),
// where every answer ends with "RPRT n". Requests queue and go out one at a time; each
// handler runs exactly once, with RigctlReply::unanswered() if the connection goes first.
// A refused or lost connection, an answer slower than the reply timeout, or one longer
// than any real answer (RigctlReplyReader's bounds), closes the socket and retries with a
// growing delay. Lives on the thread that created it.
#pragma once

#include "RigctlReply.h"
#include "RigctlReplyReader.h"

#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

class RigctlClient : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const RigctlReply &)>;

    RigctlClient(const QString &host, quint16 port, QObject *parent = nullptr);

    void start();
    bool isConnected() const;
    QString address() const;
    // A command as rigctl spells it, without the "+": "f", "F 7074000", "\\dump_caps".
    void send(const QString &command, Handler handler);
    // Requests queued or waiting for their answer.
    qsizetype pending() const;

signals:
    void connected();
    // The connection was lost, or an attempt to make it failed; a retry is scheduled.
    void disconnected(const QString &reason);

private:
    struct Request {
        QString command;
        Handler handler;
    };

    void onConnected();
    void onReadyRead();
    void onSocketError();
    void onReplyTimeout();
    void dropConnection(const QString &reason);
    void sendNext();
    void scheduleReconnect();

    QString m_host;
    quint16 m_port;
    QTcpSocket m_socket;
    QTimer m_reconnectTimer;
    QTimer m_replyTimer;
    int m_backoffMs;
    bool m_connected = false;
    bool m_waiting = false; // the head of the queue has been sent
    QQueue<Request> m_queue;
    RigctlReplyReader m_reader;
};
