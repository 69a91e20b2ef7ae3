// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's settings as plain values: what the store holds, what loading hands to the
// station and what a save takes from it. Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tovana::station {

constexpr int kMeterCount = 8;
constexpr int kRelayCount = 12;
constexpr int kBandCount = 9;        // band positions "160" .. "10"
constexpr int kBandStatusCount = 10; // stored band flags; the tenth mirrors the ninth
// Characters a relay label is made for: the setup dialog takes no more when typing, and a
// relay button holds that many of the widest letters. Longer stored labels stay whole.
constexpr int kRelayLabelLength = 8;
constexpr int kTwipsPerPixel = 15;

// One colour band of a gauge ring; colour laid out 0x00BBGGRR (red in the low byte).
struct Annulus {
    double start = 0;
    double stop = 0;
    std::uint32_t color = 0;
};

// Meter i (0..7). bands[0..2] are the gauge's annuli 2, 3 and 4.
struct MeterConfig {
    std::string caption = "Volts DC";
    double scaleMin = 0;
    double scaleMax = 5;
    int ticSubCount = 4;
    std::array<Annulus, 3> bands{{{0, 3, 32768}, {3, 4, 65535}, {4, 5, 255}}};
};

// Relay n (1..12) is element n-1.
struct RelayConfig {
    std::string label;
    bool status = false;
};

struct PortConfig {
    int number = 1;
    std::string settings = "19200,n,8,1";
};

// Left and top of the main window's frame, in twips.
struct WindowPosition {
    double left = 0;
    double top = 0;
};

// Width and height of the main window (without its frame), in twips; kept in the store's
// [Window] section. Zero when none is stored: the window then takes its natural size.
struct WindowSize {
    double width = 0;
    double height = 0;
    bool isValid() const { return width > 0 && height > 0; }
};

// The transmit hold, kept in the store's [Interlock] section; off unless stored on.
struct InterlockConfig {
    bool holdWhileTx = false;
};

// Everything loading hands to the station and a save takes back from it.
struct Preferences {
    WindowPosition position;
    WindowSize size;
    InterlockConfig interlock;
    std::array<RelayConfig, kRelayCount> relays;
    std::array<bool, kBandStatusCount> bandStatus{}; // BandStatus1..10; entry 10 mirrors 9
    PortConfig port;
    int meterResponse = 15000;
    std::array<MeterConfig, kMeterCount> meters;
};

// Per-meter scaling: a raw reading r stands for (r + offset) * factor. When the scale span
// or the multiplier is zero or not a number, `valid` is false and every reading shows the
// scale minimum instead.
struct MeterScaling {
    double factor = 0;
    double offset = 0;
    double scaleMin = 0;
    bool valid = false;
    double value(int raw) const { return valid ? (raw + offset) * factor : scaleMin; }
};

} // namespace tovana::station
