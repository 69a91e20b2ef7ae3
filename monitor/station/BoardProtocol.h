// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle (`PollMeters`) as a state machine without I/O. A cycle: discard
// read (everything waiting), then for channels 1..8 query -> wait for a byte -> settle
// delay -> read one byte into the reading table, then the readings are complete, and again.
// restart() begins at the discard read, abandoning a running cycle wherever it waits, so
// exactly one cycle is live and nothing nests; stop() ends it (the port closed or lost).
// It is fed the bytes the line received and the expiry of its two timers, and answers with
// the line actions to carry out in order. A query that waits longer than kReplyPatienceMs
// makes the reply overdue until the next reply; the waiting itself goes on unchanged.
#pragma once

#include "LineAction.h"
#include "WireFormat.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tovana::station {

class BoardProtocol {
public:
    static constexpr int kSlotCount = 21; // slots 1..8 hold channels 1..8
    static constexpr int kMaxSettleMicros = 32767;
    // Delays up to this are spun out on the spot; longer ones wait on the settle timer.
    static constexpr int kSpinLimitMicros = 200;
    static constexpr int kReplyPatienceMs = 1000;

    using Readings = std::array<int, kChannelCount>;

    // What one event led to: the line actions in order, the readings of a completed cycle
    // (channels 1..8), and whether the reply became overdue or came after all.
    struct Result {
        LineActions line;
        std::optional<Readings> readings;
        std::optional<bool> overdue;
        void append(Result &&later);
    };

    // The settle delay N in microseconds between a reply's arrival and its read (the
    // response setting); negative counts as 0, values above 32767 as 32767.
    void setSettleDelay(int microseconds);
    int settleDelay() const { return m_settleMicros; }

    Result restart();
    Result stop();
    Result bytesReceived(std::string_view bytes);
    Result settleElapsed();
    Result replyTimeout();

    bool isRunning() const { return m_step != Step::Idle; }
    bool isOverdue() const { return m_overdue; }
    // The channel queried last (1..8), 0 before the first query.
    int channel() const { return m_channel; }
    // The last raw reading held in a slot, 0 for a slot never read.
    int reading(int slot) const;

private:
    enum class Step { Idle, Discard, Query, AwaitReply, Settle, Settling, Read };

    Result run();
    void setOverdue(bool overdue, Result &result);

    Step m_step = Step::Idle;
    int m_settleMicros = 0;
    int m_channel = 0;
    bool m_overdue = false;
    std::string m_input; // received and not yet read
    std::array<int, kSlotCount> m_readings{};
};

} // namespace tovana::station
