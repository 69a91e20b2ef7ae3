// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Board.h"

#include <algorithm>

namespace boardsim {

namespace {

constexpr int kFirstBandRelay = 13;
constexpr const char *kBandCaptions[] = {"160", "80", "40", "30", "20", "17", "15", "12", "10"};

} // namespace

Board::Board(const Options &options, std::FILE *log, Clock::time_point start)
    : m_options(options)
    , m_log(log)
    , m_start(start)
    , m_lineInFree(start)
    , m_lineOutFree(start)
    , m_random(options.seed)
{
    if (options.baud > 0) {
        // 10 bits a byte: start, eight data bits, stop.
        m_byteTime = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / options.baud));
    }
    if (options.healAfterS > 0)
        m_healed =
            start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.healAfterS));
    scheduleStray(start);
}

void Board::receive(unsigned char byte, Clock::time_point now)
{
    m_lineInFree = std::max(now, m_lineInFree) + m_byteTime;
    if (byte <= 0x07)
        answer(byte == 0 ? 8 : byte, m_lineInFree);
    else if (byte >= 0x20 && byte <= 0x3F)
        switchRelay((byte - 0x1E) / 2, byte & 1);
}

void Board::answer(int channel, Clock::time_point queryArrived)
{
    const bool faults = faulty(queryArrived);
    if (faults && (m_options.silent || chance(m_options.dropRate)))
        return;
    const double seconds = std::chrono::duration<double>(queryArrived - m_start).count();
    const auto reading = static_cast<unsigned char>(
        m_options.channels[static_cast<std::size_t>(channel - 1)].readingAt(seconds, m_random));
    const int copies = faults && chance(m_options.doubleRate) ? 2 : 1;
    const auto late = std::chrono::milliseconds(faults ? m_options.lateMs : 0);
    for (int i = 0; i < copies; ++i) {
        m_lineOutFree = std::max(queryArrived, m_lineOutFree) + m_byteTime;
        m_outgoing.emplace(m_lineOutFree + late, reading);
    }
}

void Board::switchRelay(int relay, bool on)
{
    bool &state = m_relays[static_cast<std::size_t>(relay)];
    if (state == on)
        return;
    state = on;
    line("relay " + std::to_string(relay) + (on ? " on" : " off"));
    if (relay >= kFirstBandRelay)
        m_bandChanged = true;
}

void Board::endOfBatch()
{
    if (!m_bandChanged)
        return;
    m_bandChanged = false;
    std::string code;
    int position = 0;
    for (int bit = 0; bit < 4; ++bit) {
        const bool on = m_relays[static_cast<std::size_t>(kFirstBandRelay + bit)];
        code += on ? '1' : '0';
        position |= (on ? 1 : 0) << bit;
    }
    const std::string band =
        position >= 1 && position <= 9 ? std::string(kBandCaptions[position - 1]) + " m" : "no band";
    line("band code " + code + " (" + band + ")");
}

std::optional<Clock::time_point> Board::nextDue() const
{
    std::optional<Clock::time_point> due = m_nextStray;
    if (!m_outgoing.empty() && (!due || m_outgoing.begin()->first < *due))
        due = m_outgoing.begin()->first;
    return due;
}

std::string Board::takeDue(Clock::time_point now)
{
    if (m_nextStray && *m_nextStray <= now) {
        if (faulty(*m_nextStray))
            m_outgoing.emplace(*m_nextStray,
                               static_cast<unsigned char>(std::uniform_int_distribution<int>(0, 255)(m_random)));
        scheduleStray(*m_nextStray);
    }
    std::string due;
    while (!m_outgoing.empty() && m_outgoing.begin()->first <= now) {
        due += static_cast<char>(m_outgoing.begin()->second);
        m_outgoing.erase(m_outgoing.begin());
    }
    return due;
}

void Board::scheduleStray(Clock::time_point after)
{
    if (m_options.strayPerSecond <= 0 || !faulty(after)) {
        m_nextStray.reset();
        return;
    }
    const double gap = std::exponential_distribution<double>(m_options.strayPerSecond)(m_random);
    m_nextStray = after + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(gap));
}

void Board::line(const std::string &text)
{
    std::fprintf(m_log, "%s\n", text.c_str());
    std::fflush(m_log);
}

bool Board::faulty(Clock::time_point now) const
{
    return !m_healed || now < *m_healed;
}

bool Board::chance(double rate)
{
    return rate > 0 && std::uniform_real_distribution<double>(0, 1)(m_random) < rate;
}

} // namespace boardsim
