// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TextForms.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tovana::station {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

} // namespace

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string formatReal(double value, int digits, char separator)
{
    if (value == 0)
        return "0"; // also for -0
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, error == std::errc() ? end : buffer);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string formatBool(bool value)
{
    return value ? "True" : "False";
}

std::optional<double> parseReal(std::string_view text)
{
    std::string number(trimmed(text));
    // Either separator is a decimal separator; with both the text is ambiguous.
    const auto commas = std::count(number.begin(), number.end(), ',');
    if (commas > 0) {
        if (commas > 1 || number.find('.') != std::string::npos)
            return std::nullopt;
        std::replace(number.begin(), number.end(), ',', '.');
    }
    std::string_view digits = number;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Case does not matter, as with the platform's own Boolean conversion; numbers are not
// Booleans here.
std::optional<bool> parseBool(std::string_view text)
{
    const std::string_view word = trimmed(text);
    if (equalsIgnoringCase(word, "True"))
        return true;
    if (equalsIgnoringCase(word, "False"))
        return false;
    return std::nullopt;
}

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min, std::int64_t max)
{
    std::string_view digits = trimmed(text);
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        const std::optional<double> real = parseReal(text);
        if (!real || *real < double(min) - 0.5 || *real > double(max) + 0.5)
            return std::nullopt;
        value = static_cast<std::int64_t>(std::nearbyint(*real));
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

} // namespace tovana::station
