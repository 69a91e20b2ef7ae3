// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "History.h"

#include <algorithm>

namespace tovana::station {

namespace {

std::int64_t secondOf(std::int64_t ms)
{
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

std::size_t slotOf(std::int64_t second)
{
    const std::int64_t slot = second % History::kSeconds;
    return static_cast<std::size_t>(slot < 0 ? slot + History::kSeconds : slot);
}

} // namespace

void History::add(std::int64_t atMs, const std::array<double, kMeterCount> &readings)
{
    const std::int64_t second = secondOf(atMs);
    // A clock set back starts a new second rather than reopening an old slot's sums.
    if (second != m_open) {
        close();
        m_open = second;
    }
    for (int i = 0; i < kMeterCount; ++i) {
        const double value = readings[i];
        m_sum[i] = m_count == 0 ? value : m_sum[i] + value;
        m_min[i] = m_count == 0 ? value : std::min(m_min[i], value);
        m_max[i] = m_count == 0 ? value : std::max(m_max[i], value);
    }
    ++m_count;
}

void History::close()
{
    if (m_count == 0)
        return;
    if (m_stamps.empty()) {
        m_stamps.assign(kSeconds, -1);
        for (auto &ring : m_rings)
            ring.resize(kSeconds);
    }
    const std::size_t slot = slotOf(m_open);
    m_stamps[slot] = m_open;
    for (int i = 0; i < kMeterCount; ++i)
        m_rings[i][slot] = {float(m_min[i]), float(m_sum[i] / m_count), float(m_max[i])};
    m_last = m_open;
    m_count = 0;
}

void History::markTrip(int meter, std::int64_t atMs)
{
    std::deque<std::int64_t> &trips = m_trips[meter];
    trips.push_back(atMs);
    if (trips.size() > kMaxTrips)
        trips.pop_front();
}

std::vector<SecondSummary> History::since(int meter, std::int64_t fromSecond) const
{
    std::vector<SecondSummary> out;
    if (m_last < 0)
        return out;
    const std::int64_t first = std::max(fromSecond, m_last - kSeconds + 1);
    for (std::int64_t second = first; second <= m_last; ++second) {
        const std::size_t slot = slotOf(second);
        if (m_stamps[slot] != second)
            continue;
        const Summary &s = m_rings[meter][slot];
        out.push_back({second, s.min, s.mean, s.max});
    }
    return out;
}

std::size_t History::memoryBytes() const
{
    std::size_t bytes = m_stamps.capacity() * sizeof(std::int64_t);
    for (const auto &ring : m_rings)
        bytes += ring.capacity() * sizeof(Summary);
    return bytes;
}

} // namespace tovana::station
