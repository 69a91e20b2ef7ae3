// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What a view of the station (the panel, the setup dialog, the network, a log) is told: that
// one part of the station's state changed. The view then reads that part from the station.
// Called on the station's thread, after the change; an observer may read the station but
// must not change it from inside the call.
#pragma once

namespace tovana::station {

enum class StationChange {
    Meter,     // a meter's configuration or scaling; index: the meter 0..7
    Readings,  // the eight readings of a completed cycle
    Relay,     // a relay's state or label; index: the relay 1..12
    Bands,     // the bands shown, or the band code
    Following, // band following on or off
    Link,      // the link server reached or away
    Hold,      // the transmit hold switched, or the transmit state
    Board,     // the board answering, silent, gone
    Port,      // the port's number or settings, open or closed
    Lamps,     // the activity lamps changed over
    Response,  // the meter response (settle delay)
    Limit,     // a meter's limit set; index: the meter 0..7
    Trip,      // a limit tripped or was acknowledged (see lastLimitEvent()); index: the meter
    All,       // everything, after loading
};

class StationObserver {
public:
    virtual ~StationObserver() = default;
    virtual void stationChanged(StationChange change, int index) = 0;
};

} // namespace tovana::station
