// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The signals of one exported shared object, on the object's path: each event it raises as a
// signal of the event interface, and each stored change as PropertiesChanged, carrying the
// new values of the fields that really changed. A write or command notes the fields it may
// store (noteFields), and the changes go out before its event (or at flushChanges when it
// raises none), so a client that sees an event finds the values already announced, and
// every signal precedes the call's reply.
#pragma once

#include "Varnex.h"

#include <QString>

#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace tethra::dbus {

class BusConnection;

class SignalSink : public EventSink
{
public:
    SignalSink(BusConnection &bus, QString path);

    // Remembers the present values of these fields of the object.
    void noteFields(const Varnex &object, std::span<const std::string_view> fields);
    // Announces the noted fields whose values differ now; forgets the notes.
    void flushChanges();
    std::int32_t raise(const catalogue::Event &event) override;

private:
    BusConnection &m_bus;
    QString m_path;
    const Varnex *m_noted = nullptr;
    std::vector<std::pair<std::string_view, Value>> m_before;
};

} // namespace tethra::dbus
