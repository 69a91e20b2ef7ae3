// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle (`PollMeters`) as a state machine on the port's readyRead, living
// on the UI thread: discard read (everything waiting), then for channels 1..8 query -> wait for a byte ->
// settle delay -> read into the reading table, then the display phase, and again.
// PollMeters() (re)starts at the discard read, abandoning a running cycle wherever it
// waits, so exactly one cycle is live and nothing nests. A failed read or write, a port
// failure or a close() of the port ends the cycle with ended(reason), the port closed.
// A query that waits longer than kReplyPatienceMs is reported with replyOverdue(true),
// the next reply with replyOverdue(false); the waiting itself goes on unchanged.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>
#include <array>

namespace tovana {

class CommPort;

class AcquisitionCycle : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 21;            // slots 1..8 hold channels 1..8
    static constexpr int kMaxSettleMicros = 32767;
    // Delays up to this are spun out on the spot; longer ones wait on a timer.
    static constexpr int kSpinLimitMicros = 200;
    static constexpr int kReplyPatienceMs = 1000;

    explicit AcquisitionCycle(CommPort *port, QObject *parent = nullptr);

    // The settle delay N in microseconds between a reply's arrival and its read
    // (the response setting); negative counts as 0, values above 32767 as 32767.
    void setSettleDelay(int microseconds);
    int settleDelay() const;

    void PollMeters();
    bool isRunning() const;

    // The channel counter: the channel queried last (1..8), 0 before the first query.
    int channel() const;
    // The last raw reading held in a slot, 0 for a slot never read.
    int reading(int slot) const;
    // A query has waited longer than kReplyPatienceMs, and no reply has come since.
    bool isReplyOverdue() const { return m_overdue; }

signals:
    // After a complete read phase: the raw readings of channels 1..8 (meters 0..7).
    void displayPhase(const QList<int> &readings);
    // Once per completed cycle, after displayPhase: the activity lamps change over.
    void lampsToggled();
    void ended(const QString &reason);
    void replyOverdue(bool overdue);

private:
    enum class Step { Idle, Discard, Query, AwaitReply, Settle, Settling, Read };

    void run();
    void onSettled();
    void end(const QString &reason);
    void setOverdue(bool overdue);

    CommPort *m_port;
    QTimer m_settle;
    QTimer m_patience;  // runs while a query waits for its reply
    bool m_overdue = false;
    Step m_step = Step::Idle;
    quint64 m_generation = 0;  // bumped whenever the running cycle is abandoned
    int m_settleMicros = 0;
    int m_channel = 0;
    std::array<int, kSlotCount> m_readings{};
};

} // namespace tovana
