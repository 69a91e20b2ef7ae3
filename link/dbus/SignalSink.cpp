// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SignalSink.h"

#include "IntrospectionXml.h"
#include "Status.h"

#include <QDBusMessage>

namespace tethra::dbus {

SignalSink::SignalSink(QDBusConnection connection, QString path)
    : m_connection(std::move(connection)), m_path(std::move(path))
{
}

std::int32_t SignalSink::raise(const catalogue::Event &event)
{
    const auto signal = QDBusMessage::createSignal(m_path, QLatin1String(eventInterface),
                                                   QString::fromLatin1(event.name.data(), qsizetype(event.name.size())));
    return m_connection.send(signal) ? status::ok : status::failed;
}

} // namespace tethra::dbus
