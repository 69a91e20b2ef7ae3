// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Command line of tovana-boardsim: which port link to make, what each ADC channel reads,
// the line speed to pace replies by, and the faults to inject.
#pragma once

#include "Waveform.h"

#include <array>
#include <optional>
#include <string>

namespace boardsim {

struct Options {
    int port = 1;
    bool makeLink = true;
    std::array<Waveform, 8> channels; // channel 1 is element 0
    int baud = 0;                     // 0: no line timing
    bool silent = false;
    int lateMs = 0;
    double doubleRate = 0;
    double dropRate = 0;
    double strayPerSecond = 0;
    double healAfterS = 0; // 0: the faults never end
    unsigned seed = 1;
};

// nullopt with *message set for --help or --version (the answer, *exitCode 0) or for a bad
// argument (message says which, *exitCode 2).
std::optional<Options> parseOptions(int argc, char **argv, std::string *message, int *exitCode);

} // namespace boardsim
