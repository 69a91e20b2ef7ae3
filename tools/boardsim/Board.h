// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The simulated ADC board and relay board: takes the bytes the monitor sends, keeps the
// state of relays 1..16 and reports each change as a line, and schedules the reply bytes
// to channel queries (paced by the line speed, with the faults asked for). It owns no
// descriptor: the caller feeds bytes in and takes the bytes that are due out.
#pragma once

#include "Options.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>

namespace boardsim {

using Clock = std::chrono::steady_clock;

class Board {
public:
    Board(const Options &options, std::FILE *log, Clock::time_point start);

    void receive(unsigned char byte, Clock::time_point now);
    // After a batch of received bytes: reports the band code once if relays 13..16 changed.
    void endOfBatch();

    // When the next byte is due to go out, if any.
    std::optional<Clock::time_point> nextDue() const;
    // Removes and returns the bytes due at `now`, in order.
    std::string takeDue(Clock::time_point now);

private:
    void answer(int channel, Clock::time_point now);
    void switchRelay(int relay, bool on);
    void scheduleStray(Clock::time_point after);
    void line(const std::string &text);
    bool chance(double rate);
    // Whether the faults asked for still apply at this moment.
    bool faulty(Clock::time_point now) const;

    const Options &m_options;
    std::FILE *m_log;
    Clock::time_point m_start;
    std::optional<Clock::time_point> m_healed; // when the faults end
    Clock::duration m_byteTime{};
    Clock::time_point m_lineInFree;  // when the incoming line has carried the last byte
    Clock::time_point m_lineOutFree; // when the outgoing line has carried the last reply
    std::multimap<Clock::time_point, unsigned char> m_outgoing;
    std::optional<Clock::time_point> m_nextStray;
    std::array<bool, 17> m_relays{}; // 1..16
    bool m_bandChanged = false;
    std::mt19937 m_random;
};

} // namespace boardsim
