// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What the station asks of the serial line adapter, in order: bytes to write, the input to
// drop, and the two timers of the acquisition cycle. The adapter carries them out as given
// and reports back through the station (bytes received, a timer run out, the port lost).
#pragma once

#include <string>
#include <vector>

namespace tovana::station {

struct LineAction {
    enum class Kind {
        Write,            // `bytes`, in order, without waiting for an answer
        DiscardInput,     // drop every byte received and not yet handed over, the driver's too
        SpinSettle,       // wait `amount` microseconds on the spot (at most a few hundred)
        StartSettleTimer, // report settleElapsed() after `amount` milliseconds
        StopSettleTimer,
        StartReplyTimer, // report replyTimeout() after the reply patience
        StopReplyTimer,
    };
    Kind kind;
    std::string bytes = {};
    int amount = 0;
};

using LineActions = std::vector<LineAction>;

} // namespace tovana::station
