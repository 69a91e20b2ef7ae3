// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SignalSink.h"

#include "BusConnection.h"
#include "DBusValue.h"
#include "IntrospectionXml.h"
#include "Status.h"

#include <QStringList>

#include <bit>

namespace tethra::dbus {
namespace {

// Doubles compare by their bits: writing NaN again is no change, 0 after -0 is one.
bool same(const Value &a, const Value &b)
{
    const auto *x = std::get_if<double>(&a);
    const auto *y = std::get_if<double>(&b);
    if (x && y)
        return std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(*y);
    return a == b;
}

} // namespace

SignalSink::SignalSink(BusConnection &bus, QString path)
    : m_bus(bus), m_path(std::move(path))
{
}

void SignalSink::noteFields(const Varnex &object, std::span<const std::string_view> fields)
{
    m_noted = &object;
    m_before.clear();
    for (std::string_view field : fields) {
        Value value;
        if (object.get(field, value) == status::ok)
            m_before.emplace_back(field, std::move(value));
    }
}

void SignalSink::flushChanges()
{
    if (!m_noted)
        return;
    QVariantMap changed;
    for (const auto &[field, before] : m_before) {
        Value now;
        if (m_noted->get(field, now) == status::ok && !same(now, before))
            changed.insert(QString::fromLatin1(field.data(), qsizetype(field.size())), toDBus(now));
    }
    m_noted = nullptr;
    m_before.clear();
    if (changed.isEmpty())
        return;
    m_bus.signal(m_path, QLatin1String(tethra::bus::propertiesInterface), QStringLiteral("PropertiesChanged"),
                 {QString(QLatin1String(varnexInterface)), changed, QStringList()});
}

std::int32_t SignalSink::raise(const catalogue::Event &event)
{
    flushChanges();
    const bool sent = m_bus.signal(m_path, QLatin1String(eventInterface),
                                   QString::fromLatin1(event.name.data(), qsizetype(event.name.size())));
    return sent ? status::ok : status::failed;
}

} // namespace tethra::dbus
