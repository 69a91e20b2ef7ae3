// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What one ADC channel of the simulated board reads over time: a constant, a ramp or a
// sine with a period, or uniform noise. Readings are 0..255.
#pragma once

#include <random>
#include <string>

namespace boardsim {

struct Waveform {
    enum class Kind { Constant, Ramp, Sine, Noise };
    Kind kind = Kind::Constant;
    int value = 0;        // Constant
    double periodS = 1.0; // Ramp, Sine

    int readingAt(double seconds, std::mt19937 &random) const;

    // "const:V", "ramp:PERIOD", "sine:PERIOD" or "noise"; PERIOD as "5s", "250ms" or "2.5".
    static bool parse(const std::string &text, Waveform *waveform);
};

} // namespace boardsim
