// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "AcquisitionCycle.h"

#include "CommPort.h"
#include "WireFormat.h"

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

AcquisitionCycle::AcquisitionCycle(CommPort *port, QObject *parent)
    : QObject(parent), m_port(port)
{
    m_settle.setSingleShot(true);
    m_settle.setTimerType(Qt::PreciseTimer);
    connect(&m_settle, &QTimer::timeout, this, &AcquisitionCycle::onSettled);
    m_patience.setSingleShot(true);
    m_patience.setInterval(kReplyPatienceMs);
    connect(&m_patience, &QTimer::timeout, this, [this] { setOverdue(true); });
    connect(m_port, &CommPort::readyRead, this, [this] {
        if (m_step == Step::AwaitReply)
            run();
    });
    connect(m_port, &CommPort::portFailed, this, [this](const QString &message) {
        if (isRunning())
            end(message);
    });
    connect(m_port, &CommPort::closed, this, [this] {
        if (isRunning())
            end(QStringLiteral("The port was closed."));
    });
}

void AcquisitionCycle::setSettleDelay(int microseconds)
{
    m_settleMicros = qBound(0, microseconds, kMaxSettleMicros);
}

int AcquisitionCycle::settleDelay() const { return m_settleMicros; }
bool AcquisitionCycle::isRunning() const { return m_step != Step::Idle; }
int AcquisitionCycle::channel() const { return m_channel; }

int AcquisitionCycle::reading(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? m_readings[static_cast<std::size_t>(slot)] : 0;
}

void AcquisitionCycle::PollMeters()
{
    m_settle.stop();
    m_patience.stop();
    ++m_generation;
    if (!m_port->isOpen()) {
        end(m_port->errorString().isEmpty() ? QStringLiteral("The port is not open.") : m_port->errorString());
        return;
    }
    m_step = Step::Discard;
    run();
}

// Advances the machine until it has to wait for a reply or for the settle timer.
// Handlers of its signals and of the port's may restart or end the cycle; the
// generation check then leaves this (abandoned) run at once.
void AcquisitionCycle::run()
{
    const quint64 generation = m_generation;
    const auto failed = [&] {
        if (generation == m_generation)
            end(m_port->errorString());
    };
    QByteArray bytes;
    while (generation == m_generation) {
        switch (m_step) {
        case Step::Idle:
        case Step::Settling:
            return;
        case Step::Discard:
            // Takes up a reply left over from an abandoned query, if it has come already, and
            // any surplus besides (doubled replies, stray bytes): a backlog would otherwise
            // be read as the readings of every cycle after it.
            if (!m_port->discardInput())
                return failed();
            m_channel = 1;
            m_step = Step::Query;
            break;
        case Step::Query:
            if (!m_port->output(QByteArray(1, queryByte(m_channel))))
                return failed();
            m_patience.start();
            m_step = Step::AwaitReply;
            break;
        case Step::AwaitReply:
            if (m_port->waitingCount() < 1)
                return;
            m_patience.stop();
            m_step = Step::Settle;
            setOverdue(false);
            break;
        case Step::Settle:
            if (m_settleMicros > kSpinLimitMicros) {
                m_step = Step::Settling;
                m_settle.start((m_settleMicros + 999) / 1000);
                return;
            }
            if (m_settleMicros > 0)
                spinFor(m_settleMicros);
            m_step = Step::Read;
            break;
        case Step::Read:
            if (!m_port->input(&bytes))
                return failed();
            if (!bytes.isEmpty())
                m_readings[static_cast<std::size_t>(m_channel)] = static_cast<unsigned char>(bytes.at(0));
            if (m_channel < kChannelCount) {
                ++m_channel;
                m_step = Step::Query;
                break;
            }
            m_step = Step::Discard;
            emit displayPhase(QList<int>(m_readings.begin() + 1, m_readings.begin() + 1 + kChannelCount));
            if (generation == m_generation)
                emit lampsToggled();
            break;
        }
    }
}

void AcquisitionCycle::onSettled()
{
    if (m_step != Step::Settling)
        return;
    m_step = Step::Read;
    run();
}

void AcquisitionCycle::end(const QString &reason)
{
    m_step = Step::Idle;
    m_settle.stop();
    m_patience.stop();
    ++m_generation;
    m_port->close();
    // With no query out there is nothing to be overdue; the cycle's end is told by ended().
    setOverdue(false);
    emit ended(reason);
}

void AcquisitionCycle::setOverdue(bool overdue)
{
    if (overdue == m_overdue)
        return;
    m_overdue = overdue;
    emit replyOverdue(overdue);
}

} // namespace tovana
