// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PortSettings.h"

#include "TextForms.h"

#include <vector>

namespace tovana::station {

namespace {

std::optional<PortSettings::Parity> parityFor(std::string_view letter)
{
    if (letter.size() != 1)
        return std::nullopt;
    switch (letter[0] & ~0x20) { // either case
    case 'N': return PortSettings::Parity::None;
    case 'E': return PortSettings::Parity::Even;
    case 'O': return PortSettings::Parity::Odd;
    case 'M': return PortSettings::Parity::Mark;
    case 'S': return PortSettings::Parity::Space;
    default: return std::nullopt;
    }
}

std::optional<PortSettings::StopBits> stopBitsFor(std::string_view text)
{
    if (text == "1")
        return PortSettings::StopBits::One;
    if (text == "1.5")
        return PortSettings::StopBits::OneAndHalf;
    if (text == "2")
        return PortSettings::StopBits::Two;
    return std::nullopt;
}

std::vector<std::string_view> fieldsOf(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (std::size_t from = 0;;) {
        const std::size_t comma = text.find(',', from);
        fields.push_back(
            trimmed(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from)));
        if (comma == std::string_view::npos)
            return fields;
        from = comma + 1;
    }
}

} // namespace

std::optional<PortSettings> PortSettings::parse(const std::string &text, std::string *error)
{
    const std::vector<std::string_view> fields = fieldsOf(text);
    const auto fail = [&](const std::string &why) -> std::optional<PortSettings> {
        *error =
            "Invalid port settings \"" + text + "\": " + why + " (expected speed,parity,data,stop such as 19200,n,8,1)";
        return std::nullopt;
    };
    if (fields.size() != 4)
        return fail("four fields are needed");

    PortSettings result;
    const auto speed = parseInteger(fields[0], 1, 0x7FFFFFFF);
    if (!speed || fields[0].find_first_of(".,eE") != std::string_view::npos)
        return fail("the speed is not a positive number");
    result.baudRate = static_cast<int>(*speed);

    const auto parity = parityFor(fields[1]);
    if (!parity)
        return fail("the parity is not one of N, E, O, M, S");
    result.parity = *parity;

    const auto dataBits = parseInteger(fields[2], 5, 8);
    if (!dataBits || fields[2].find_first_of(".,eE") != std::string_view::npos)
        return fail("the data bits are not 5 to 8");
    result.dataBits = static_cast<int>(*dataBits);

    const auto stopBits = stopBitsFor(fields[3]);
    if (!stopBits)
        return fail("the stop bits are not 1, 1.5 or 2");
    result.stopBits = *stopBits;
    return result;
}

} // namespace tovana::station
