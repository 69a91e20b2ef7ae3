// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BoardProtocol.h"

#include <algorithm>

namespace tovana::station {

void BoardProtocol::Result::append(Result &&later)
{
    line.insert(line.end(), later.line.begin(), later.line.end());
    if (later.readings)
        readings = later.readings;
    if (later.overdue)
        overdue = later.overdue;
}

void BoardProtocol::setSettleDelay(int microseconds)
{
    m_settleMicros = std::clamp(microseconds, 0, kMaxSettleMicros);
}

int BoardProtocol::reading(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? m_readings[static_cast<std::size_t>(slot)] : 0;
}

BoardProtocol::Result BoardProtocol::restart()
{
    Result result;
    result.line = {{LineAction::Kind::StopSettleTimer}, {LineAction::Kind::StopReplyTimer}};
    m_step = Step::Discard;
    result.append(run());
    return result;
}

// With no query out there is nothing to be overdue.
BoardProtocol::Result BoardProtocol::stop()
{
    Result result;
    result.line = {{LineAction::Kind::StopSettleTimer}, {LineAction::Kind::StopReplyTimer}};
    m_step = Step::Idle;
    m_input.clear();
    setOverdue(false, result);
    return result;
}

BoardProtocol::Result BoardProtocol::bytesReceived(std::string_view bytes)
{
    if (m_step == Step::Idle)
        return {};
    m_input.append(bytes);
    return m_step == Step::AwaitReply ? run() : Result{};
}

BoardProtocol::Result BoardProtocol::settleElapsed()
{
    if (m_step != Step::Settling)
        return {};
    m_step = Step::Read;
    return run();
}

BoardProtocol::Result BoardProtocol::replyTimeout()
{
    Result result;
    if (m_step == Step::AwaitReply)
        setOverdue(true, result);
    return result;
}

void BoardProtocol::setOverdue(bool overdue, Result &result)
{
    if (overdue == m_overdue)
        return;
    m_overdue = overdue;
    result.overdue = overdue;
}

// Advances the machine until it has to wait for a reply or for the settle timer.
BoardProtocol::Result BoardProtocol::run()
{
    Result result;
    for (;;) {
        switch (m_step) {
        case Step::Idle:
        case Step::Settling:
        case Step::AwaitReply:
            if (m_step != Step::AwaitReply || m_input.empty())
                return result;
            result.line.push_back({LineAction::Kind::StopReplyTimer});
            m_step = Step::Settle;
            setOverdue(false, result);
            break;
        case Step::Discard:
            // A reply left over from an abandoned query, and any surplus besides (doubled
            // replies, stray bytes): a backlog would otherwise be read as the readings of
            // every cycle after it.
            m_input.clear();
            result.line.push_back({LineAction::Kind::DiscardInput});
            m_channel = 1;
            m_step = Step::Query;
            break;
        case Step::Query:
            result.line.push_back({LineAction::Kind::Write, std::string(1, queryByte(m_channel))});
            result.line.push_back({LineAction::Kind::StartReplyTimer});
            m_step = Step::AwaitReply;
            break;
        case Step::Settle:
            if (m_settleMicros > kSpinLimitMicros) {
                m_step = Step::Settling;
                result.line.push_back({LineAction::Kind::StartSettleTimer, {}, (m_settleMicros + 999) / 1000});
                return result;
            }
            if (m_settleMicros > 0)
                result.line.push_back({LineAction::Kind::SpinSettle, {}, m_settleMicros});
            m_step = Step::Read;
            break;
        case Step::Read:
            if (!m_input.empty()) {
                m_readings[static_cast<std::size_t>(m_channel)] = static_cast<unsigned char>(m_input.front());
                m_input.erase(0, 1);
            }
            if (m_channel < kChannelCount) {
                ++m_channel;
                m_step = Step::Query;
                break;
            }
            m_step = Step::Discard;
            Readings readings;
            std::copy_n(m_readings.begin() + 1, kChannelCount, readings.begin());
            result.readings = readings;
            // The readings are shown before the next cycle's first query goes out.
            result.append(run());
            return result;
        }
    }
}

} // namespace tovana::station
