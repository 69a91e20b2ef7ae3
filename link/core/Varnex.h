// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Varnex, the shared link state object: the fields of one transceiver's state, read and
// written by name, and the commands that store their arguments into request fields and then
// raise their event to every connected sink, synchronously, one after the other. Every
// stored change is reported to the sinks first: the fields whose values really changed.
// A sink may call back into the object during delivery (read, write, call, connect or
// disconnect sinks, even drop the last owning reference): a write or command keeps the
// object alive and delivers to the sinks connected when it started that are still connected.
// Single-threaded: no locks; the server serves one call at a time.
#pragma once

#include "MemberCatalogue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tethra {

class Varnex;

// Long, Double or String (UTF-16, as an automation string).
using Value = std::variant<std::int32_t, double, std::u16string>;

class EventSink {
public:
    virtual ~EventSink() = default;
    // Returns 0, or the failure status of this delivery.
    virtual std::int32_t raise(const catalogue::Event &event) = 0;
    // The fields of object whose stored values a write or a command has just changed, in the
    // order stored; a command reports before it raises its event. Most sinks need events only.
    virtual void changed(const Varnex &object, std::span<const std::string_view> fields)
    {
        (void)object;
        (void)fields;
    }
};

class Varnex : public std::enable_shared_from_this<Varnex> {
public:
    Varnex(); // Class_Initialize: the defaults of a new object

    // Property read and write; status::unknownName for an unknown field, status::typeMismatch
    // when the value's type is not the field's. Text fields of fixed width cut or fill.
    std::int32_t get(std::string_view field, Value &out) const;
    std::int32_t set(std::string_view field, const Value &value);

    // Runs a command: checks the arguments, stores them into the request fields in order,
    // raises the event. Returns the first delivery failure; the stored values stay.
    std::int32_t call(std::string_view command, std::span<const Value> arguments);

    // Sinks are not owned. The cookie (never 0) disconnects the sink again.
    std::uint32_t connect(EventSink *sink);
    bool disconnect(std::uint32_t cookie);
    std::size_t sinkCount() const { return m_sinks.size(); }

private:
    struct Connection {
        std::uint32_t cookie;
        EventSink *sink;
    };

    // Stores the value; false when the field held that value already.
    bool store(std::size_t field, const Value &value);
    bool isConnected(std::uint32_t cookie) const;
    // Calls action on every sink connected now that is still connected when its turn comes.
    void deliver(const std::function<void(EventSink &)> &action);
    void reportChanges(std::span<const std::string_view> fields);
    std::int32_t raise(const catalogue::Event &event);

    std::vector<Value> m_fields; // in catalogue::fieldOrder()
    std::vector<Connection> m_sinks;
    std::uint32_t m_nextCookie = 1;
};

// Fixed-width text: cut to the first width characters or filled with spaces up to width.
std::u16string fixedWidth(std::u16string text, std::size_t width);

} // namespace tethra
