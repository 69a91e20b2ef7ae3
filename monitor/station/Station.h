// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station: the monitor's whole state and every rule that acts on it, in plain C++.
// State: each meter's configuration, scaling and last reading; each relay's label and
// state; the bands shown and the band code; band following; the transmit hold and the
// transmit state; the port, its settings and the board's state; the window's stored place;
// each meter's limit, its latched trip and its last 24 hours of readings.
// Rules: each operation a person or a program can ask for answers with an Outcome (what goes
// on the line, in order; whether a full save is due; or a refusal with its message), and
// tells every observer what changed. It does no I/O: adapters carry out the outcomes (the
// serial line, the store) and feed it what happens (bytes, timers, the link's values). One
// thread; no locks.
#pragma once

#include "BoardProtocol.h"
#include "History.h"
#include "LimitSettings.h"
#include "LineAction.h"
#include "Records.h"
#include "Settings.h"
#include "StationObserver.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovana::station {

// What an operation asks of the adapters.
struct Outcome {
    LineActions line;       // for the serial line, in order
    bool save = false;      // a full save is due
    bool closePort = false; // the port is to be closed (new settings take effect at the next opening)
    std::string refusal;    // not empty: refused and nothing changed; the message says why
    std::string notice;     // not empty: done, but the operator is to be told this
    void append(Outcome &&later);
};

// The transmit state read from the link: only 0 is receive.
enum class Tx { Unknown, Receive, Transmit };

// Closed: the port is not open. Opened: open, no reply yet. Answering: the last query was
// answered. Silent: a query has waited past the reply patience. Gone: the port failed under
// the cycle (it is closed; the readings of before are stale until the next complete cycle).
enum class BoardState { Closed, Opened, Answering, Silent, Gone };

class Station {
public:
    explicit Station(char decimalSeparator = '.');

    void addObserver(StationObserver *observer);
    void removeObserver(StationObserver *observer);
    char decimalSeparator() const { return m_separator; }

    // -- Settings
    SeedValues seedValues() const;
    // Takes loaded settings and the stored multipliers in; observers hear All.
    void load(const Preferences &prefs, const ScalingTable &scaling);
    // The whole state as a save writes it.
    Preferences preferences() const;
    void setWindow(const WindowPosition &position, const WindowSize &size);

    // -- Meters
    const MeterConfig &meter(int index) const { return m_meters[index]; }
    const MeterScaling &scaling(int index) const { return m_scaling.scaling[index]; }
    const std::string &multiplier(int index) const { return m_scaling.multipliers[index]; }
    // The scaled value of the meter's last reading (0 before the first).
    double reading(int index) const { return m_readings[index]; }
    // Readings are stale: the board is silent or gone.
    bool noReading() const { return m_board == BoardState::Silent || m_board == BoardState::Gone; }
    void setCaption(int index, const std::string &caption);
    void setTicks(int index, int count);
    void setBandColour(int index, int band, std::uint32_t bgr);
    // The scale from zero to full, and the three bands reset to 0-60 %, 60-80 % and
    // 80-100 % of it; rescaled with the stored multiplier; saved.
    Outcome applyScale(int index, double zero, double full);
    // Band 1 from `zero` to ends[0], band 2 to ends[1], band 3 to ends[2]; saved.
    Outcome applyBands(int index, double zero, const std::array<double, 3> &ends);
    // A multiplier stored at once (by the caller) takes effect here.
    void setMultiplier(int index, const std::string &stored);
    int meterResponse() const { return m_response.value_or(0); }
    bool responseLoaded() const { return m_response.has_value(); }
    void setMeterResponse(int microseconds);

    // -- Relays 1..12
    const RelayConfig &relay(int n) const { return m_relays[n - 1]; }
    void setRelayLabel(int n, const std::string &label);
    // Toggles relay n: its byte, a save and the cycle from channel 1; refused while the port
    // is closed.
    Outcome switchRelay(int n);

    // -- Bands 1..9
    bool bandShown(int position) const { return m_bandShown[position - 1]; }
    const std::string &bandCode() const { return m_bandCode; }
    bool codePending() const { return m_codePending; }
    // A band chosen by hand: band following off, the band shown and saved, its code sent
    // and the cycle restarted. Refused while the hold keeps the band relays.
    Outcome chooseBand(int position);
    // The codes of every band shown, in table order, unless held or the port is closed
    // (they then wait, see codePending()).
    Outcome encodeBands();

    // -- Band following and the link
    bool following() const { return m_following; }
    Outcome setFollowing(bool on);
    // A Band read from the link or announced by it; acted on while following.
    Outcome linkBand(int band);
    // The 200 ms tick: a code that waits goes out once the port is open and nothing holds it.
    Outcome tick();
    bool linkAway() const { return m_linkAway; }
    // The link server reached again, or gone (then the transmit state is unknown).
    Outcome setLinkAway(bool away);

    // -- The transmit hold
    bool holdWhileTx() const { return m_hold; }
    Outcome setHoldWhileTx(bool on);
    Tx tx() const { return m_tx; }
    bool holds() const { return m_hold && m_tx == Tx::Transmit; }
    Outcome linkPtt(int ptt);
    // PTT could not be read: nothing is held.
    Outcome linkPttUnknown();

    // -- Port and board
    const PortConfig &port() const { return m_port; }
    bool portOpen() const { return m_portOpen; }
    BoardState board() const { return m_board; }
    const std::string &boardLostReason() const { return m_lostReason; }
    bool lampALit() const { return m_lampA; }
    // New port settings from the setup dialog: the port closes, the settings are saved, and
    // the next opening uses them.
    Outcome setPort(int number, const std::string &settings);
    // The port opened: the relays and the band shown go to the board, then the cycle starts.
    Outcome portOpened();
    // The port was closed on purpose, or failed under its user (`failed`, with its reason).
    Outcome portClosed(bool failed, const std::string &reason = {});
    // PollMeters: the cycle again from its discard read (nothing while the port is closed).
    Outcome restartCycle();
    Outcome bytesReceived(std::string_view bytes);
    Outcome settleElapsed();
    Outcome replyTimeout();
    const BoardProtocol &protocol() const { return m_protocol; }

    const WindowPosition &windowPosition() const { return m_position; }
    const WindowSize &windowSize() const { return m_size; }

    // -- Limits: a trip switches its relays at once and keeps them until acknowledged
    // What trips and acknowledgements are stamped with (milliseconds since 1970).
    void setClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    const LimitTable &limits() const { return m_limits; }
    const LimitTrip &trip(int index) const { return m_trips[index]; }
    // The trip a panel shows: the latest latched one, -1 when none is.
    int latestTrip() const;
    // How the latest trip reads on a panel, e.g. "SWR above 3.5: 3.73 at 16:01:16 (1 more
    // tripped)"; the view gives its time of day in the operator's own time.
    std::string latestTripLine(const std::string &timeOfDay) const;
    const LimitEvent &lastLimitEvent() const { return m_lastLimitEvent; }
    // Loaded limits; a latched trip stays latched.
    void setLimits(const LimitTable &limits);
    // One meter's limit from the setup dialog: counted afresh, saved.
    Outcome setLimit(int index, const LimitConfig &limit);
    // Releases a latched trip; refused while the reading is still beyond the limit.
    Outcome acknowledge(int index);
    // Something needs the transmit state: the hold, or a limit that counts only under transmit.
    bool wantsTx() const;
    // Every meter's readings of the last 24 hours, and its trips.
    const History &history() const { return m_history; }

private:
    void checkLimits(Outcome &outcome);
    std::string keptByTrip(int relay) const;
    std::function<std::int64_t()> m_clock = [] { return std::int64_t(0); };
    LimitTable m_limits;
    std::array<LimitTrip, kMeterCount> m_trips;
    LimitEvent m_lastLimitEvent;
    History m_history;

    void notify(StationChange change, int index = -1);
    void select(int position);
    void setTx(Tx tx, Outcome &outcome);
    Outcome fromProtocol(BoardProtocol::Result &&result);
    std::string portName() const;

    char m_separator;
    std::vector<StationObserver *> m_observers;

    std::array<MeterConfig, kMeterCount> m_meters;
    ScalingTable m_scaling;
    std::array<double, kMeterCount> m_readings{};
    std::optional<int> m_response;

    std::array<RelayConfig, kRelayCount> m_relays;
    std::array<bool, kBandCount> m_bandShown{};
    std::string m_bandCode;
    bool m_codePending = false;

    bool m_following = false;
    bool m_linkAway = false;
    bool m_hold = false;
    Tx m_tx = Tx::Unknown;

    PortConfig m_port;
    bool m_portOpen = false;
    BoardState m_board = BoardState::Closed;
    std::string m_lostReason;
    bool m_lampA = false;
    BoardProtocol m_protocol;

    WindowPosition m_position;
    WindowSize m_size;
};

} // namespace tovana::station
