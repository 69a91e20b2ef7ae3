// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setting records that travel between the store, the main window and the setup
// dialog. Plain values: the widgets hold the live state, these carry it to and from disk.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tovana {

constexpr int kMeterCount = 8;
constexpr int kRelayCount = 12;
constexpr int kBandStatusCount = 10;
// Characters a relay label is made for: the setup dialog takes no more when typing, and
// a relay button holds that many of the widest letters. Longer stored labels stay whole.
constexpr int kRelayLabelLength = 8;

// One colour band of a gauge ring; colour laid out 0x00BBGGRR (red in the low byte).
struct Annulus {
    double start = 0;
    double stop = 0;
    std::uint32_t color = 0;
};

// Meter i (0..7). bands[0..2] are the gauge's annuli 2, 3 and 4.
struct MeterConfig {
    QString caption = QStringLiteral("Volts DC");
    double scaleMin = 0;
    double scaleMax = 5;
    int ticSubCount = 4;
    std::array<Annulus, 3> bands{{{0, 3, 32768}, {3, 4, 65535}, {4, 5, 255}}};
};

// Relay n (1..12) is element n-1.
struct RelayConfig {
    QString label;
    bool status = false;
};

struct PortConfig {
    int number = 1;
    QString settings = QStringLiteral("19200,n,8,1");
};

// Left and top of the main window, in twips.
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

// The transmit interlock, kept in the store's [Interlock] section; off unless stored on.
struct InterlockConfig {
    bool holdWhileTx = false;
};

// Everything the loader hands to the windows and the save takes back from them.
struct Preferences {
    WindowPosition position;
    WindowSize size;
    InterlockConfig interlock;
    std::array<RelayConfig, kRelayCount> relays;
    std::array<bool, kBandStatusCount> bandStatus{};  // BandStatus1..10; entry 10 mirrors 9
    PortConfig port;
    int meterResponse = 15000;
    std::array<MeterConfig, kMeterCount> meters;
};

// Per-meter scaling: a raw reading r stands for (r + offset) * factor. When the scale
// span or the multiplier is zero or not a number, `valid` is false and every reading
// shows the scale minimum instead.
struct MeterScaling {
    double factor = 0;
    double offset = 0;
    double scaleMin = 0;
    bool valid = false;
    double value(int raw) const;
};

} // namespace tovana
