// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The published interface of the link server as data: every member of `_Varnex` and
// `_VarnexConnector` (kind, value type, arguments, DISPID, byte offsets, help text), the
// events, the enumerations, the type library and every class and interface identifier.
// Plain C++20 with no Qt, so the D-Bus service, the COM server and the tests all read
// the same table. Help texts are ASCII and carry "\r\n" where the library has line breaks.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tethra::catalogue {

enum class Kind { Method, Property };

// Object is only the connector's `Varnex` property (a reference to the shared object).
enum class Type { Long, Double, String, Object };

struct Argument {
    std::string_view name;
    Type type;
    std::string_view enumName; // empty unless the argument is declared with an enumeration
    bool byReference;
    std::string_view field; // the request field the command stores this argument into
};

struct Event {
    int dispid;
    std::string_view name;
};

struct Member {
    std::string_view name;
    Kind kind;
    std::uint32_t dispid;
    // Property: value type, fixed text width (0 = any length), let and get offsets
    // (letOffset 0 = read only). Method: offset, arguments in order, event raised.
    Type type;
    int textWidth;
    int letOffset;
    int getOffset;
    int offset;
    std::span<const Argument> arguments;
    std::string_view event;
    std::string_view help;
};

struct EnumMember {
    std::string_view name;
    std::int32_t value;
};

struct Enumeration {
    std::string_view name;
    std::string_view guid;
    std::span<const EnumMember> members; // in declaration order
};

struct Alias {
    std::string_view name;
    std::string_view guid;
};

struct TypeLibrary {
    std::string_view name;
    std::string_view guid;
    int majorVersion;
    int minorVersion;
    std::string_view help;
};

// `_Varnex` members in order of byte offset.
std::span<const Member> varnexMembers();
// `_VarnexConnector` members (the one read-only property `Varnex`).
std::span<const Member> connectorMembers();
// Field names of the link state object in declaration order (each is a property above).
std::span<const std::string_view> fieldOrder();
// The 31 events of `__Varnex`, DISPIDs 1 to 31.
std::span<const Event> events();
// The 16 enumerations in declaration order.
std::span<const Enumeration> enumerations();

const Member *findVarnexMember(std::string_view name);
const Event *findEvent(std::string_view name);
const Enumeration *findEnumeration(std::string_view name);

const TypeLibrary &typeLibrary();

inline constexpr std::string_view connectorInterfaceId = "{AD389A92-FD1A-11D1-9FFC-8703DD3BB166}";
inline constexpr std::string_view connectorClassId = "{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}";
inline constexpr std::string_view varnexClassId = "{AD389A90-FD1A-11D1-9FFC-8703DD3BB166}";
inline constexpr std::string_view varnexInterfaceId = "{9FC1B9EC-0558-11D2-9FFC-98D048BDA37B}";
inline constexpr std::string_view eventInterfaceId = "{9FC1B9ED-0558-11D2-9FFC-98D048BDA37B}";

// The three aliases of `_Varnex` with its earlier identifiers.
std::span<const Alias> varnexAliases();
// Every identifier `_Varnex` answers to: the current one, then the three earlier ones.
std::span<const std::string_view> varnexInterfaceIds();
// Every identifier the event source accepts sinks for: the current one, then the earlier ones.
std::span<const std::string_view> eventInterfaceIds();

} // namespace tethra::catalogue
