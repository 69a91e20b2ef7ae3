// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MeterChoice.h"

#include "Records.h"
#include "TextForms.h"

#include <cctype>
#include <cmath>
#include <string>

namespace tovana::face {

std::optional<int> meterNamedBy(std::string_view text)
{
    text = station::trimmed(text);
    constexpr std::string_view prefix = "meter ";
    if (text.size() < prefix.size())
        return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return std::nullopt;
    }
    const std::optional<double> number = station::parseReal(text.substr(prefix.size()));
    if (!number)
        return std::nullopt;
    const double whole = std::trunc(*number);
    if (whole < 1 || whole > station::kMeterCount)
        return std::nullopt;
    return int(whole) - 1;
}

} // namespace tovana::face
