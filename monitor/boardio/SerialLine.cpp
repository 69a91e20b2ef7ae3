// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SerialLine.h"

#include "BoardProtocol.h"
#include "CommPort.h"

#include <chrono>

namespace tovana {

namespace {

// A bounded busy wait for delays too short for any timer (at most kSpinLimitMicros).
void spinFor(int microseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < until) {
    }
}

} // namespace

SerialLine::SerialLine(CommPort *port, QObject *parent) : QObject(parent), m_port(port)
{
    m_settle.setSingleShot(true);
    m_settle.setTimerType(Qt::PreciseTimer);
    connect(&m_settle, &QTimer::timeout, this, &SerialLine::settleElapsed);
    m_patience.setSingleShot(true);
    m_patience.setInterval(station::BoardProtocol::kReplyPatienceMs);
    connect(&m_patience, &QTimer::timeout, this, &SerialLine::replyTimeout);
    connect(m_port, &CommPort::readyRead, this, [this] {
        std::string received;
        QByteArray bytes;
        while (m_port->waitingCount() > 0 && m_port->input(&bytes))
            received += bytes.toStdString();
        if (!received.empty())
            emit bytesReceived(received);
    });
    connect(m_port, &CommPort::portFailed, this, &SerialLine::failed);
}

bool SerialLine::carryOut(const station::LineActions &actions)
{
    using Kind = station::LineAction::Kind;
    for (const station::LineAction &action : actions) {
        switch (action.kind) {
        case Kind::Write:
            if (!m_port->isOpen())
                return false;
            if (!m_port->output(QByteArray::fromStdString(action.bytes))) {
                const QString reason = m_port->errorString();
                m_port->close();
                emit failed(reason);
                return false;
            }
            break;
        case Kind::DiscardInput: m_port->discardInput(); break;
        case Kind::SpinSettle: spinFor(action.amount); break;
        case Kind::StartSettleTimer: m_settle.start(action.amount); break;
        case Kind::StopSettleTimer: m_settle.stop(); break;
        case Kind::StartReplyTimer: m_patience.start(); break;
        case Kind::StopReplyTimer: m_patience.stop(); break;
        }
    }
    return true;
}

} // namespace tovana
