// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The signals of one exported shared object, on the object's path: each event it raises as a
// signal of the event interface, and each stored change the object reports as
// PropertiesChanged with the new values of the fields that really changed. The object reports
// a command's changes before its event, so a client that sees an event finds the values
// already announced, and every signal precedes the call's reply.
#pragma once

#include "Varnex.h"

#include <QString>

#include <span>
#include <string_view>

namespace tethra::dbus {

class BusConnection;

class SignalSink : public EventSink {
public:
    SignalSink(BusConnection &bus, QString path);

    void changed(const Varnex &object, std::span<const std::string_view> fields) override;
    std::int32_t raise(const catalogue::Event &event) override;

private:
    BusConnection &m_bus;
    QString m_path;
};

} // namespace tethra::dbus
