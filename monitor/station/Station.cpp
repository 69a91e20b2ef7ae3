// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Station.h"

#include "BandTable.h"
#include "TextForms.h"
#include "WireFormat.h"

#include <algorithm>

namespace tovana::station {

void Outcome::append(Outcome &&later)
{
    line.insert(line.end(), later.line.begin(), later.line.end());
    save = save || later.save;
    closePort = closePort || later.closePort;
    if (refusal.empty())
        refusal = std::move(later.refusal);
    if (notice.empty())
        notice = std::move(later.notice);
}

Station::Station(char decimalSeparator) : m_separator(decimalSeparator)
{
    for (int n = 1; n <= kRelayCount; ++n)
        m_relays[n - 1].label = "Relay" + std::to_string(n);
}

void Station::addObserver(StationObserver *observer)
{
    m_observers.push_back(observer);
}

void Station::removeObserver(StationObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void Station::notify(StationChange change, int index)
{
    // A copy: an observer may come or go while it is told.
    const std::vector<StationObserver *> observers = m_observers;
    for (StationObserver *observer : observers)
        observer->stationChanged(change, index);
}

std::string Station::portName() const
{
    return "COM" + std::to_string(m_port.number);
}

// -- Settings

SeedValues Station::seedValues() const
{
    SeedValues seed;
    for (int n = 0; n < kRelayCount; ++n)
        seed.relayLabels[n] = m_relays[n].label;
    seed.position = m_position;
    return seed;
}

void Station::load(const Preferences &prefs, const ScalingTable &scaling)
{
    m_position = prefs.position;
    m_size = prefs.size;
    m_relays = prefs.relays;
    // Band status entries 1..10 show on positions 1..9: entry 10 decides the ninth.
    for (int entry = 1; entry <= kBandStatusCount; ++entry)
        m_bandShown[std::min(entry, kBandCount) - 1] = prefs.bandStatus[entry - 1];
    m_port = prefs.port;
    m_response = std::clamp(prefs.meterResponse, 0, BoardProtocol::kMaxSettleMicros);
    m_protocol.setSettleDelay(*m_response);
    m_meters = prefs.meters;
    m_scaling = scaling;
    setHoldWhileTx(prefs.interlock.holdWhileTx); // a code released here goes out as the port opens
    notify(StationChange::All);
}

Preferences Station::preferences() const
{
    Preferences prefs;
    prefs.position = m_position;
    prefs.size = m_size;
    prefs.interlock.holdWhileTx = m_hold;
    prefs.relays = m_relays;
    for (int entry = 1; entry <= kBandStatusCount; ++entry)
        prefs.bandStatus[entry - 1] = m_bandShown[std::min(entry, kBandCount) - 1];
    prefs.port = m_port;
    prefs.meterResponse = m_response.value_or(15000);
    prefs.meters = m_meters;
    return prefs;
}

void Station::setWindow(const WindowPosition &position, const WindowSize &size)
{
    m_position = position;
    m_size = size;
}

// -- Meters

void Station::setCaption(int index, const std::string &caption)
{
    m_meters[index].caption = caption;
    notify(StationChange::Meter, index);
}

void Station::setTicks(int index, int count)
{
    m_meters[index].ticSubCount = count;
    notify(StationChange::Meter, index);
}

void Station::setBandColour(int index, int band, std::uint32_t bgr)
{
    m_meters[index].bands[band].color = bgr;
    notify(StationChange::Meter, index);
}

Outcome Station::applyScale(int index, double zero, double full)
{
    // The band ends as the dialog shows them: each as its stored text reads back.
    const auto shown = [](double value) { return parseReal(formatReal(value)).value_or(value); };
    MeterConfig &meter = m_meters[index];
    meter.scaleMin = zero;
    meter.scaleMax = full;
    const double first = shown(zero + (full - zero) * 0.6);
    const double second = shown(zero + (full - zero) * 0.8);
    meter.bands[0].start = zero;
    meter.bands[0].stop = first;
    meter.bands[1].start = first;
    meter.bands[1].stop = second;
    meter.bands[2].start = second;
    meter.bands[2].stop = full;
    m_scaling.scaling[index] = scalingFor(m_scaling.multipliers[index], zero, full);
    notify(StationChange::Meter, index);
    Outcome outcome;
    outcome.save = true;
    return outcome;
}

Outcome Station::applyBands(int index, double zero, const std::array<double, 3> &ends)
{
    MeterConfig &meter = m_meters[index];
    meter.bands[0].start = zero;
    meter.bands[0].stop = ends[0];
    meter.bands[1].start = ends[0];
    meter.bands[1].stop = ends[1];
    meter.bands[2].start = ends[1];
    meter.bands[2].stop = ends[2];
    notify(StationChange::Meter, index);
    Outcome outcome;
    outcome.save = true;
    return outcome;
}

void Station::setMultiplier(int index, const std::string &stored)
{
    m_scaling.multipliers[index] = stored;
    m_scaling.scaling[index] = scalingFor(stored, m_meters[index].scaleMin, m_meters[index].scaleMax);
    notify(StationChange::Meter, index);
}

// Reaches a running cycle at once.
void Station::setMeterResponse(int microseconds)
{
    m_response = std::clamp(microseconds, 0, BoardProtocol::kMaxSettleMicros);
    m_protocol.setSettleDelay(*m_response);
    notify(StationChange::Response);
}

// -- Relays

void Station::setRelayLabel(int n, const std::string &label)
{
    if (m_relays[n - 1].label == label)
        return;
    m_relays[n - 1].label = label;
    notify(StationChange::Relay, n);
}

// The relay changes only with its byte: a closed port changes nothing.
Outcome Station::switchRelay(int n)
{
    Outcome outcome;
    if (!m_portOpen) {
        outcome.refusal = m_relays[n - 1].label + " was not switched: " + portName() + " is not open.";
        return outcome;
    }
    if (const std::string kept = keptByTrip(n); !kept.empty()) {
        outcome.refusal = kept;
        return outcome;
    }
    RelayConfig &relay = m_relays[n - 1];
    relay.status = !relay.status;
    outcome.line.push_back({LineAction::Kind::Write, std::string(1, relayByte(n, relay.status))});
    outcome.save = true;
    notify(StationChange::Relay, n);
    outcome.append(restartCycle());
    return outcome;
}

// -- Bands

void Station::select(int position)
{
    m_bandShown.fill(false);
    m_bandShown[position - 1] = true;
    notify(StationChange::Bands);
}

Outcome Station::encodeBands()
{
    Outcome outcome;
    m_codePending = true;
    if (holds())
        return outcome;
    for (const BandPosition &band : bandTable()) {
        if (!m_bandShown[band.position - 1])
            continue;
        if (!m_portOpen)
            return outcome;
        outcome.line.push_back({LineAction::Kind::Write, band.bytes});
        m_bandCode = band.code;
    }
    m_codePending = false;
    notify(StationChange::Bands);
    return outcome;
}

// With the port closed the band is still shown and saved, and its code goes out with the
// first tick that finds the port open.
Outcome Station::chooseBand(int position)
{
    Outcome outcome;
    if (holds()) {
        outcome.refusal = "The band relays are held while the radio transmits.";
        return outcome;
    }
    outcome.append(setFollowing(false));
    select(position);
    outcome.save = true;
    outcome.append(encodeBands());
    if (m_codePending) {
        outcome.notice = "The band code was not sent: " + portName() + " is not open.";
        return outcome;
    }
    outcome.append(restartCycle());
    return outcome;
}

// -- Band following and the link

Outcome Station::setFollowing(bool on)
{
    if (m_following != on) {
        m_following = on;
        notify(StationChange::Following);
    }
    return {};
}

Outcome Station::linkBand(int band)
{
    const int position = bandPositionForLinkBand(band);
    if (!m_following || position == 0 || m_bandShown[position - 1])
        return {};
    select(position);
    return encodeBands();
}

Outcome Station::tick()
{
    if (m_codePending && m_portOpen && !holds())
        return encodeBands();
    return {};
}

Outcome Station::setLinkAway(bool away)
{
    Outcome outcome;
    if (away)
        setTx(Tx::Unknown, outcome);
    if (away != m_linkAway) {
        m_linkAway = away;
        notify(StationChange::Link);
    }
    return outcome;
}

// -- The transmit hold

void Station::setTx(Tx tx, Outcome &outcome)
{
    if (!wantsTx() || tx == m_tx)
        return;
    const bool held = holds();
    m_tx = tx;
    notify(StationChange::Hold);
    if (held && !holds())
        outcome.append(tick());
}

Outcome Station::setHoldWhileTx(bool on)
{
    Outcome outcome;
    if (on == m_hold)
        return outcome;
    const bool held = holds();
    m_hold = on;
    m_tx = Tx::Unknown;
    notify(StationChange::Hold);
    if (held && !holds())
        outcome.append(tick());
    return outcome;
}

// Only 0 is receive: any other value could be a transmitter keyed.
Outcome Station::linkPtt(int ptt)
{
    Outcome outcome;
    setTx(ptt == 0 ? Tx::Receive : Tx::Transmit, outcome);
    return outcome;
}

Outcome Station::linkPttUnknown()
{
    Outcome outcome;
    setTx(Tx::Unknown, outcome);
    return outcome;
}

// -- Port and board

// The port's closing comes back through portClosed().
Outcome Station::setPort(int number, const std::string &settings)
{
    Outcome outcome;
    m_port = {number, settings};
    notify(StationChange::Port);
    outcome.closePort = true;
    outcome.save = true;
    return outcome;
}

// A board may have been switched on since the panel last spoke to it, with every relay off.
Outcome Station::portOpened()
{
    m_portOpen = true;
    if (m_board != BoardState::Gone)
        m_board = BoardState::Opened;
    notify(StationChange::Port);
    notify(StationChange::Board);
    Outcome outcome;
    std::string relays;
    for (int n = 1; n <= kRelayCount; ++n)
        relays += relayByte(n, m_relays[n - 1].status);
    outcome.line.push_back({LineAction::Kind::Write, relays});
    outcome.append(encodeBands());
    outcome.append(restartCycle());
    return outcome;
}

Outcome Station::portClosed(bool failed, const std::string &reason)
{
    m_portOpen = false;
    Outcome outcome = fromProtocol(m_protocol.stop());
    m_board = failed ? BoardState::Gone : BoardState::Closed;
    m_lostReason = failed ? reason : std::string();
    notify(StationChange::Port);
    notify(StationChange::Board);
    return outcome;
}

Outcome Station::restartCycle()
{
    if (!m_portOpen)
        return {};
    m_protocol.setSettleDelay(meterResponse());
    return fromProtocol(m_protocol.restart());
}

Outcome Station::bytesReceived(std::string_view bytes)
{
    return fromProtocol(m_protocol.bytesReceived(bytes));
}

Outcome Station::settleElapsed()
{
    return fromProtocol(m_protocol.settleElapsed());
}

Outcome Station::replyTimeout()
{
    return fromProtocol(m_protocol.replyTimeout());
}

Outcome Station::fromProtocol(BoardProtocol::Result &&result)
{
    Outcome outcome;
    outcome.line = std::move(result.line);
    if (result.overdue && m_portOpen) {
        m_board = *result.overdue ? BoardState::Silent : BoardState::Answering;
        notify(StationChange::Board);
    }
    if (result.readings) {
        for (int i = 0; i < kMeterCount; ++i)
            m_readings[i] = m_scaling.scaling[i].value((*result.readings)[i]);
        m_history.add(m_clock(), m_readings);
        checkLimits(outcome);
        if (m_board != BoardState::Answering) {
            m_board = BoardState::Answering;
            notify(StationChange::Board);
        }
        notify(StationChange::Readings);
        m_lampA = !m_lampA;
        notify(StationChange::Lamps);
    }
    return outcome;
}

// -- Limits

bool Station::wantsTx() const
{
    return m_hold || std::any_of(m_limits.begin(), m_limits.end(), [](const LimitConfig &limit) {
               return limit.kind != LimitKind::Off && limit.onlyWhileTx;
           });
}

void Station::setLimits(const LimitTable &limits)
{
    const bool wanted = wantsTx();
    for (int i = 0; i < kMeterCount; ++i) {
        m_limits[i] = limits[i];
        m_trips[i].run = 0;
        notify(StationChange::Limit, i);
    }
    // The link is asked for PTT only while something needs it; once nothing does, the
    // transmit state of before is no longer followed and is unknown.
    if (wanted && !wantsTx())
        m_tx = Tx::Unknown;
    if (wanted != wantsTx())
        notify(StationChange::Hold);
}

Outcome Station::setLimit(int index, const LimitConfig &limit)
{
    const bool wanted = wantsTx();
    m_limits[index] = limit;
    m_limits[index].readings = std::clamp(limit.readings, 1, LimitConfig::kMaxReadings);
    m_trips[index].run = 0;
    notify(StationChange::Limit, index);
    // The link is asked for PTT only while something needs it; once nothing does, the
    // transmit state of before is no longer followed and is unknown.
    if (wanted && !wantsTx())
        m_tx = Tx::Unknown;
    if (wanted != wantsTx())
        notify(StationChange::Hold);
    Outcome outcome;
    outcome.save = true;
    return outcome;
}

std::string Station::keptByTrip(int relay) const
{
    for (int i = 0; i < kMeterCount; ++i) {
        if (m_trips[i].latched && m_limits[i].moves(relay))
            return m_relays[relay - 1].label + " is kept by the " + m_meters[i].caption +
                   " limit until the trip is acknowledged.";
    }
    return {};
}

// Counted on every completed cycle; a trip's relay bytes go ahead of the next query.
void Station::checkLimits(Outcome &outcome)
{
    std::string bytes;
    for (int i = 0; i < kMeterCount; ++i) {
        const LimitConfig &limit = m_limits[i];
        LimitTrip &trip = m_trips[i];
        const bool counting = limit.kind != LimitKind::Off && (!limit.onlyWhileTx || m_tx == Tx::Transmit);
        trip.run = counting && limit.beyond(m_readings[i]) ? trip.run + 1 : 0;
        if (trip.latched || trip.run < limit.readings || !counting)
            continue;
        trip.latched = true;
        trip.reading = m_readings[i];
        trip.at = m_clock();
        m_history.markTrip(i, trip.at);
        for (int n = 1; n <= kRelayCount; ++n) {
            if (!limit.moves(n))
                continue;
            m_relays[n - 1].status = limit.action[n - 1] == RelayMove::On;
            bytes += relayByte(n, m_relays[n - 1].status);
            notify(StationChange::Relay, n);
        }
        m_lastLimitEvent = {LimitEvent::Kind::Tripped, i, trip.reading, trip.at};
        notify(StationChange::Trip, i);
        outcome.save = true;
    }
    if (!bytes.empty())
        outcome.line.insert(outcome.line.begin(), {LineAction::Kind::Write, bytes});
}

int Station::latestTrip() const
{
    int latest = -1;
    for (int i = 0; i < kMeterCount; ++i) {
        if (m_trips[i].latched && (latest < 0 || m_trips[i].at > m_trips[latest].at))
            latest = i;
    }
    return latest;
}

std::string Station::latestTripLine(const std::string &timeOfDay) const
{
    const int latest = latestTrip();
    if (latest < 0)
        return {};
    const LimitConfig &limit = m_limits[latest];
    std::string line = m_meters[latest].caption + (limit.kind == LimitKind::Below ? " below " : " above ") +
                       formatReal(limit.value, 6, m_separator) + ": " +
                       formatReal(m_trips[latest].reading, 3, m_separator) + " at " + timeOfDay;
    const auto latched = std::count_if(m_trips.begin(), m_trips.end(), [](const LimitTrip &t) { return t.latched; });
    if (latched > 1)
        line += " (" + std::to_string(latched - 1) + " more tripped)";
    return line;
}

Outcome Station::acknowledge(int index)
{
    Outcome outcome;
    LimitTrip &trip = m_trips[index];
    if (!trip.latched)
        return outcome;
    const LimitConfig &limit = m_limits[index];
    if (limit.kind != LimitKind::Off && limit.beyond(m_readings[index])) {
        outcome.refusal =
            m_meters[index].caption + " is still " + (limit.kind == LimitKind::Above ? "above " : "below ") +
            formatReal(limit.value, 15, m_separator) + " (" + formatReal(m_readings[index], 4, m_separator) +
            "): the trip stays until the reading is back within its limit.";
        return outcome;
    }
    trip.latched = false;
    trip.run = 0;
    m_lastLimitEvent = {LimitEvent::Kind::Acknowledged, index, m_readings[index], m_clock()};
    notify(StationChange::Trip, index);
    return outcome;
}

} // namespace tovana::station
