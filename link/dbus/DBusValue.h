// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Conversion between D-Bus values and the link object's values. Integers of any D-Bus width
// are accepted for a Long when they fit and for a Double; anything else is a type mismatch,
// an integer that does not fit 32 bits an overflow, a text longer than kMaxTextBytes out of
// string space.
#pragma once

#include "MemberCatalogue.h"
#include "Varnex.h"

#include <QVariant>

namespace tethra::dbus {

// The most bytes of UTF-8 one text may take. GetAll carries every field in one message:
// with the three texts of no fixed width (sData, NewsData, Transceiver) at this size it is
// about 24 MiB, within the 32 MiB a dbus-daemon takes in one message unless configured
// otherwise, and far within the protocol's 64 MiB for an array, which the session bus
// enforces. A larger value would make the bus drop the server, and every value with it.
inline constexpr qsizetype kMaxTextBytes = 8 * 1024 * 1024;

// Returns a status; out is set only on success.
std::int32_t fromDBus(const QVariant &in, catalogue::Type type, Value &out);
QVariant toDBus(const Value &value);
// The D-Bus signature of a catalogue type ("i", "d", "s", "o").
const char *signature(catalogue::Type type);

} // namespace tethra::dbus
