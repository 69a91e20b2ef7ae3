// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The stored text forms of numbers and Booleans. Reals are written as the shortest decimal
// text with at most `digits` significant digits and the separator given (a point on Linux,
// the user's own on Windows, so that the earlier program reads back what is written);
// reading takes a point or a comma (not both), blanks around the text, and "true"/"false"
// in any case. Infinities and NaN are never values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovana::station {

std::string formatReal(double value, int digits = 15, char separator = '.');
std::string formatBool(bool value);
std::optional<double> parseReal(std::string_view text);
std::optional<bool> parseBool(std::string_view text);
// A whole number within [min, max], or a real rounded half to even into it, as the
// platform's own integer conversion does.
std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min, std::int64_t max);

std::string_view trimmed(std::string_view text);

} // namespace tovana::station
