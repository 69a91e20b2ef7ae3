// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SignalSink.h"

#include "BusConnection.h"
#include "DBusValue.h"
#include "IntrospectionXml.h"
#include "Status.h"

#include <QStringList>

namespace tethra::dbus {

SignalSink::SignalSink(BusConnection &bus, QString path) : m_bus(bus), m_path(std::move(path)) {}

void SignalSink::changed(const Varnex &object, std::span<const std::string_view> fields)
{
    QVariantMap values;
    for (std::string_view field : fields) {
        Value now;
        if (object.get(field, now) == status::ok)
            values.insert(QString::fromLatin1(field.data(), qsizetype(field.size())), toDBus(now));
    }
    m_bus.signal(m_path, QLatin1String(tethra::bus::propertiesInterface), QStringLiteral("PropertiesChanged"),
                 {QString(QLatin1String(varnexInterface)), values, QStringList()});
}

std::int32_t SignalSink::raise(const catalogue::Event &event)
{
    const bool sent = m_bus.signal(m_path, QLatin1String(eventInterface),
                                   QString::fromLatin1(event.name.data(), qsizetype(event.name.size())));
    return sent ? status::ok : status::failed;
}

} // namespace tethra::dbus
