// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The one-byte wire format shared by the ADC board and the relay board. Every message is a
// single byte: a channel query (the board answers it with one reading byte) or a relay
// command (no answer). Relays are numbered 1..16, channels 1..8.
#pragma once

namespace tovana::station {

constexpr int kChannelCount = 8;
constexpr int kBoardRelayCount = 16;

// Channel 8 is queried with 0, the others with their own number.
constexpr char queryByte(int channel)
{
    return static_cast<char>(channel % kChannelCount);
}

constexpr char relayOnByte(int relay)
{
    return static_cast<char>(0x1F + 2 * relay);
}

constexpr char relayOffByte(int relay)
{
    return static_cast<char>(0x1E + 2 * relay);
}

constexpr char relayByte(int relay, bool on)
{
    return on ? relayOnByte(relay) : relayOffByte(relay);
}

} // namespace tovana::station
