// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The serial line settings text "speed,parity,data,stop" ("19200,n,8,1"), parity letter
// N/E/O/M/S in either case. parse() accepts only what a serial port can be set to and
// names the offending text otherwise, so a bad stored value becomes a clear message.
#pragma once

#include <optional>
#include <string>

namespace tovana::station {

struct PortSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baudRate = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Nothing, with *error set, when the text is not a valid settings string.
    static std::optional<PortSettings> parse(const std::string &text, std::string *error);
};

} // namespace tovana::station
