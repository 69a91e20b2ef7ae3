// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Waveform.h"

#include <cmath>
#include <numbers>

namespace boardsim {

namespace {

bool parseNumber(const std::string &text, double *value)
{
    try {
        std::size_t used = 0;
        *value = std::stod(text, &used);
        return used == text.size();
    } catch (const std::exception &) {
        return false;
    }
}

bool parsePeriod(std::string text, double *seconds)
{
    double scale = 1.0;
    if (text.ends_with("ms")) {
        scale = 0.001;
        text.resize(text.size() - 2);
    } else if (text.ends_with("s")) {
        text.resize(text.size() - 1);
    }
    if (!parseNumber(text, seconds) || *seconds <= 0)
        return false;
    *seconds *= scale;
    return true;
}

} // namespace

int Waveform::readingAt(double seconds, std::mt19937 &random) const
{
    const double phase = std::fmod(seconds / periodS, 1.0);
    switch (kind) {
    case Kind::Constant: return value;
    case Kind::Ramp: return static_cast<int>(phase * 256.0) & 0xFF;
    case Kind::Sine: return static_cast<int>(std::lround(127.5 + 127.5 * std::sin(2 * std::numbers::pi * phase)));
    case Kind::Noise: return std::uniform_int_distribution<int>(0, 255)(random);
    }
    return 0;
}

bool Waveform::parse(const std::string &text, Waveform *waveform)
{
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string argument = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (kind == "noise" && colon == std::string::npos) {
        waveform->kind = Kind::Noise;
        return true;
    }
    if (kind == "const") {
        double value = 0;
        if (!parseNumber(argument, &value) || value < 0 || value > 255 || value != std::floor(value))
            return false;
        waveform->kind = Kind::Constant;
        waveform->value = static_cast<int>(value);
        return true;
    }
    if (kind == "ramp" || kind == "sine") {
        if (!parsePeriod(argument, &waveform->periodS))
            return false;
        waveform->kind = kind == "ramp" ? Kind::Ramp : Kind::Sine;
        return true;
    }
    return false;
}

} // namespace boardsim
