// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Conversion between D-Bus values and the link object's values. Integers of any D-Bus width
// are accepted for a Long when they fit and for a Double; anything else is a type mismatch,
// an integer that does not fit 32 bits an overflow.
#pragma once

#include "MemberCatalogue.h"
#include "Varnex.h"

#include <QVariant>

namespace tethra::dbus {

// Returns a status; out is set only on success.
std::int32_t fromDBus(const QVariant &in, catalogue::Type type, Value &out);
QVariant toDBus(const Value &value);
// The D-Bus signature of a catalogue type ("i", "d", "s", "o").
const char *signature(catalogue::Type type);

} // namespace tethra::dbus
