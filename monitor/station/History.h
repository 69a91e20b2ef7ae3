// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Each meter's scaled readings of the last 24 hours, one summary a second (minimum, mean
// and maximum of the readings in that second), in a ring per meter whose size never grows:
// about 9 MB for eight meters, taken at the first reading. Seconds without a reading are
// gaps, not zeros. Trips are kept beside it (the latest kMaxTrips per meter) so a plot can
// mark them. Times are milliseconds since 1970, as the station's clock gave them.
#pragma once

#include "Records.h"

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

namespace tovana::station {

struct SecondSummary {
    std::int64_t second = 0; // seconds since 1970
    float min = 0;
    float mean = 0;
    float max = 0;
};

class History {
public:
    static constexpr int kSeconds = 24 * 60 * 60;
    static constexpr std::size_t kMaxTrips = 256;

    // A completed cycle's readings; a second is summed up once a later one begins.
    void add(std::int64_t atMs, const std::array<double, kMeterCount> &readings);
    void markTrip(int meter, std::int64_t atMs);

    // The summaries of one meter's complete seconds from `fromSecond` on, oldest first
    // (at most the last 24 hours).
    std::vector<SecondSummary> since(int meter, std::int64_t fromSecond) const;
    // The trips of one meter, in ms, oldest first.
    const std::deque<std::int64_t> &trips(int meter) const { return m_trips[meter]; }
    // The newest complete second, or -1 before the first.
    std::int64_t lastSecond() const { return m_last; }
    // Bytes held for the readings (the ring, once taken).
    std::size_t memoryBytes() const;

private:
    void close();

    struct Summary {
        float min, mean, max;
    };
    std::vector<std::int64_t> m_stamps;                    // by slot: the second it holds, -1 none
    std::array<std::vector<Summary>, kMeterCount> m_rings; // by slot
    std::array<std::deque<std::int64_t>, kMeterCount> m_trips;
    std::int64_t m_open = -1; // the second being summed
    std::int64_t m_last = -1;
    int m_count = 0;
    std::array<double, kMeterCount> m_sum{}, m_min{}, m_max{};
};

} // namespace tovana::station
