// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Varnex.h"

#include "Status.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

namespace tethra {
namespace {

struct FieldInfo {
    std::size_t index;
    const catalogue::Member *member;
};

const std::unordered_map<std::string_view, FieldInfo> &fieldIndex()
{
    static const auto index = [] {
        std::unordered_map<std::string_view, FieldInfo> map;
        const auto order = catalogue::fieldOrder();
        for (std::size_t i = 0; i < order.size(); ++i)
            map.emplace(order[i], FieldInfo{i, catalogue::findVarnexMember(order[i])});
        return map;
    }();
    return index;
}

const FieldInfo *findField(std::string_view name)
{
    const auto &index = fieldIndex();
    auto it = index.find(name);
    return it == index.end() ? nullptr : &it->second;
}

// Doubles compare by their bits: writing NaN again is no change, 0 after -0 is one.
bool same(const Value &a, const Value &b)
{
    const auto *x = std::get_if<double>(&a);
    const auto *y = std::get_if<double>(&b);
    if (x && y)
        return std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(*y);
    return a == b;
}

bool holds(const Value &value, catalogue::Type type)
{
    switch (type) {
    case catalogue::Type::Long: return std::holds_alternative<std::int32_t>(value);
    case catalogue::Type::Double: return std::holds_alternative<double>(value);
    case catalogue::Type::String: return std::holds_alternative<std::u16string>(value);
    case catalogue::Type::Object: return false;
    }
    return false;
}

Value defaultValue(const catalogue::Member &member)
{
    switch (member.type) {
    case catalogue::Type::Double: return 0.0;
    case catalogue::Type::String: return std::u16string(static_cast<std::size_t>(member.textWidth), u' ');
    default: return std::int32_t{0};
    }
}

} // namespace

std::u16string fixedWidth(std::u16string text, std::size_t width)
{
    text.resize(width, u' ');
    return text;
}

Varnex::Varnex()
{
    // Every Long and Double starts at 0, every String empty, and the fixed-width texts
    // (CallSign, Comment and their requests) all spaces.
    for (std::string_view name : catalogue::fieldOrder())
        m_fields.push_back(defaultValue(*catalogue::findVarnexMember(name)));
}

std::int32_t Varnex::get(std::string_view field, Value &out) const
{
    const FieldInfo *info = findField(field);
    if (!info)
        return status::unknownName;
    out = m_fields[info->index];
    return status::ok;
}

std::int32_t Varnex::set(std::string_view field, const Value &value)
{
    const FieldInfo *info = findField(field);
    if (!info)
        return status::unknownName;
    if (!holds(value, info->member->type))
        return status::typeMismatch;
    if (store(info->index, value)) {
        // A sink may drop the last owning reference while the change is reported.
        const auto keepAlive = weak_from_this().lock();
        reportChanges({&info->member->name, 1});
    }
    return status::ok;
}

bool Varnex::store(std::size_t field, const Value &value)
{
    const auto *member = catalogue::findVarnexMember(catalogue::fieldOrder()[field]);
    Value stored = member->textWidth > 0
                       ? Value(fixedWidth(std::get<std::u16string>(value), static_cast<std::size_t>(member->textWidth)))
                       : value;
    if (same(stored, m_fields[field]))
        return false;
    m_fields[field] = std::move(stored);
    return true;
}

std::int32_t Varnex::call(std::string_view command, std::span<const Value> arguments)
{
    const catalogue::Member *member = catalogue::findVarnexMember(command);
    if (!member || member->kind != catalogue::Kind::Method)
        return status::memberNotFound;
    if (arguments.size() != member->arguments.size())
        return status::badParamCount;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (!holds(arguments[i], member->arguments[i].type))
            return status::typeMismatch;

    // A sink may drop the last owning reference while the event is delivered.
    const auto keepAlive = weak_from_this().lock();
    std::vector<std::string_view> changed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view field = member->arguments[i].field;
        if (store(findField(field)->index, arguments[i]))
            changed.push_back(field);
    }
    if (!changed.empty())
        reportChanges(changed);
    return raise(*catalogue::findEvent(member->event));
}

std::uint32_t Varnex::connect(EventSink *sink)
{
    const std::uint32_t cookie = m_nextCookie++;
    if (m_nextCookie == 0)
        m_nextCookie = 1;
    m_sinks.push_back({cookie, sink});
    return cookie;
}

bool Varnex::disconnect(std::uint32_t cookie)
{
    auto it =
        std::find_if(m_sinks.begin(), m_sinks.end(), [cookie](const Connection &c) { return c.cookie == cookie; });
    if (it == m_sinks.end())
        return false;
    m_sinks.erase(it);
    return true;
}

bool Varnex::isConnected(std::uint32_t cookie) const
{
    return std::any_of(m_sinks.begin(), m_sinks.end(), [cookie](const Connection &c) { return c.cookie == cookie; });
}

void Varnex::deliver(const std::function<void(EventSink &)> &action)
{
    // Over a snapshot: sinks connected meanwhile wait for the next delivery, sinks
    // disconnected meanwhile are skipped.
    const std::vector<Connection> snapshot = m_sinks;
    for (const Connection &connection : snapshot)
        if (isConnected(connection.cookie))
            action(*connection.sink);
}

void Varnex::reportChanges(std::span<const std::string_view> fields)
{
    deliver([&](EventSink &sink) { sink.changed(*this, fields); });
}

std::int32_t Varnex::raise(const catalogue::Event &event)
{
    // A failing sink does not stop the others; the first failure is the command's result.
    std::int32_t result = status::ok;
    deliver([&](EventSink &sink) {
        const std::int32_t delivered = sink.raise(event);
        if (delivered != status::ok && result == status::ok)
            result = delivered;
    });
    return result;
}

} // namespace tethra
