// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RigctlClient.h"

#include <algorithm>

namespace {
constexpr int kFirstBackoffMs = 250;
constexpr int kMaxBackoffMs = 4000;
// rigctld answers itself on a radio timeout (RPRT -5); this only catches a hung daemon.
constexpr int kReplyTimeoutMs = 10000;
} // namespace

RigctlClient::RigctlClient(const QString &host, quint16 port, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_port(port)
    , m_socket(this)
    , m_backoffMs(kFirstBackoffMs)
{
    m_reconnectTimer.setSingleShot(true);
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(kReplyTimeoutMs);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &RigctlClient::start);
    connect(&m_replyTimer, &QTimer::timeout, this, &RigctlClient::onReplyTimeout);
    connect(&m_socket, &QTcpSocket::connected, this, &RigctlClient::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &RigctlClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &RigctlClient::onSocketError);
}

void RigctlClient::start()
{
    m_socket.abort();
    m_socket.connectToHost(m_host, m_port);
}

bool RigctlClient::isConnected() const
{
    return m_connected;
}

QString RigctlClient::address() const
{
    return QStringLiteral("%1:%2").arg(m_host).arg(m_port);
}

void RigctlClient::send(const QString &command, Handler handler)
{
    if (!m_connected) {
        QTimer::singleShot(0, this, [handler = std::move(handler)] { handler(RigctlReply::unanswered()); });
        return;
    }
    m_queue.enqueue({command, std::move(handler)});
    sendNext();
}

qsizetype RigctlClient::pending() const
{
    return m_queue.size();
}

void RigctlClient::onConnected()
{
    m_connected = true;
    m_backoffMs = kFirstBackoffMs;
    emit connected();
}

void RigctlClient::sendNext()
{
    if (m_waiting || m_queue.isEmpty() || !m_connected)
        return;
    m_waiting = true;
    m_socket.write("+" + m_queue.head().command.toUtf8() + "\n");
    m_replyTimer.start();
}

void RigctlClient::onReadyRead()
{
    // In pieces, so a peer that floods the socket never costs more than one piece at a time.
    constexpr qint64 kPiece = 64 * 1024;
    QList<RigctlReply> replies;
    while (m_socket.bytesAvailable() > 0) {
        if (!m_reader.feed(m_socket.read(kPiece), &replies)) {
            dropConnection(QStringLiteral("rigctld sent an answer of more than %1 lines or %2 bytes")
                               .arg(RigctlReplyReader::kMaxLines)
                               .arg(RigctlReplyReader::kMaxBytes));
            return;
        }
        for (const RigctlReply &reply : std::as_const(replies)) {
            if (!m_waiting || !m_connected)
                continue; // nothing asked for this; rigctld never does that, but a stray answer must not crash us
            m_waiting = false;
            m_replyTimer.stop();
            const Request request = m_queue.dequeue();
            request.handler(reply);
            sendNext();
        }
        replies.clear();
        if (!m_connected)
            return; // a handler's request found the connection gone
    }
}

void RigctlClient::onSocketError()
{
    dropConnection(m_socket.errorString());
}

void RigctlClient::onReplyTimeout()
{
    dropConnection(
        QStringLiteral("rigctld did not answer \"%1\"").arg(m_queue.isEmpty() ? QString() : m_queue.head().command));
}

void RigctlClient::dropConnection(const QString &reason)
{
    m_connected = false;
    m_waiting = false;
    m_replyTimer.stop();
    m_reader.clear();
    m_socket.abort();
    // Handlers may queue new requests; those fail at once because we are disconnected.
    QQueue<Request> orphans;
    orphans.swap(m_queue);
    for (const Request &request : orphans)
        request.handler(RigctlReply::unanswered());
    emit disconnected(reason);
    scheduleReconnect();
}

void RigctlClient::scheduleReconnect()
{
    if (m_reconnectTimer.isActive())
        return;
    m_reconnectTimer.start(m_backoffMs);
    m_backoffMs = std::min(m_backoffMs * 2, kMaxBackoffMs);
}
