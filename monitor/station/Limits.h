// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A meter's limit and its trip: a scaled reading above or below a value for a number of
// readings in a row (optionally only while the radio transmits) trips it; the trip switches
// a chosen set of relays and stays latched until the operator acknowledges it. Plain values
// and the one rule that counts readings; the station owns them and acts on a trip. Times are
// milliseconds since 1970 as the station's clock gave them.
#pragma once

#include "Records.h"

#include <array>
#include <cstdint>

namespace tovana::station {

enum class LimitKind { Off, Above, Below };
// What a trip does to one relay.
enum class RelayMove { Leave, On, Off };

struct LimitConfig {
    LimitKind kind = LimitKind::Off;
    double value = 0;
    int readings = 3; // in a row: one noisy reading does not trip
    bool onlyWhileTx = false;
    std::array<RelayMove, kRelayCount> action{}; // relay n is element n-1
    static constexpr int kMaxReadings = 1000;

    bool beyond(double reading) const
    {
        return (kind == LimitKind::Above && reading > value) || (kind == LimitKind::Below && reading < value);
    }
    bool moves(int relay) const { return action[relay - 1] != RelayMove::Leave; }
};

// A limit's state: the readings beyond it so far, and the latched trip.
struct LimitTrip {
    int run = 0;
    bool latched = false;
    double reading = 0;  // the reading that tripped it
    std::int64_t at = 0; // when it tripped
};

// The last trip or acknowledgement, as observers and the log are told of it.
struct LimitEvent {
    enum class Kind { Tripped, Acknowledged };
    Kind kind = Kind::Tripped;
    int meter = 0;
    double reading = 0;
    std::int64_t at = 0;
};

} // namespace tovana::station
