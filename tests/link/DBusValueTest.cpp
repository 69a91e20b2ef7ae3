// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The server's conversion between its String values and the bus's texts.
#include "DBusValue.h"

#include <gtest/gtest.h>

using tethra::catalogue::Type;
using tethra::dbus::fromDBus;
using tethra::dbus::toDBus;
using namespace std::string_literals;

TEST(DBusValue, EveryCodeUnitOfAStringCrossesBothWaysUnchanged)
{
    // Every 16-bit unit, lone surrogates included, and starts that look like byte-order marks.
    std::u16string all;
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit)
        all += static_cast<char16_t>(unit);
    for (const std::u16string &text : {u"\uFEFFRadio-1"s, u"\uFFFERadio-1"s, u"\uFEFF"s, u"\uFFFE\uFEFF\uFFFE"s, all}) {
        const QVariant onTheBus = toDBus(tethra::Value(text));
        ASSERT_EQ(onTheBus.toString().size(), qsizetype(text.size()));
        EXPECT_EQ(onTheBus.toString().at(0).unicode(), text.front());
        tethra::Value back;
        ASSERT_EQ(fromDBus(onTheBus, Type::String, back), 0);
        EXPECT_TRUE(std::get<std::u16string>(back) == text) << "text of " << text.size() << " units";
    }
}
