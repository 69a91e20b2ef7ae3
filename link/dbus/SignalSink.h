// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The event sink of one exported shared object: each event the object raises goes out as a
// signal of the event interface on the object's path, before the command's reply.
#pragma once

#include "Varnex.h"

#include <QDBusConnection>
#include <QString>

namespace tethra::dbus {

class SignalSink : public EventSink
{
public:
    SignalSink(QDBusConnection connection, QString path);
    std::int32_t raise(const catalogue::Event &event) override;

private:
    QDBusConnection m_connection;
    QString m_path;
};

} // namespace tethra::dbus
