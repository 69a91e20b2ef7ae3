// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A call's arguments as any client could send them, from the wire into the shared object:
// libdbus checks the message, the server reads its arguments, converts them for one member
// and stores them. Whatever is stored must read back as it was written, and cross the wire
// again unchanged.
// Input: one byte picks the member, one byte gives the signature's length, then the
// signature and the message body as they travel.
#include "DBusValue.h"
#include "MemberCatalogue.h"
#include "Status.h"
#include "Varnex.h"
#include "WireArguments.h"

#include <QChar>
#include <QDBusVariant>

#include <dbus/dbus.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>

using namespace tethra;

namespace {

// A method call to the shared object with this signature and body, in the wire format.
QByteArray methodCall(QByteArrayView signature, QByteArrayView body)
{
    QByteArray m;
    const auto pad = [&m](int to) {
        while (m.size() % to)
            m.append('\0');
    };
    const auto u32 = [&](std::uint32_t v) {
        pad(4);
        m.append(reinterpret_cast<const char *>(&v), 4);
    };
    m.append(std::endian::native == std::endian::little ? 'l' : 'B');
    m.append(char(DBUS_MESSAGE_TYPE_METHOD_CALL)).append('\0').append(char(DBUS_MAJOR_PROTOCOL_VERSION));
    u32(std::uint32_t(body.size()));
    u32(1);
    const qsizetype lengthAt = m.size();
    u32(0);
    pad(8);
    const qsizetype fieldsStart = m.size();
    const auto field = [&](char code, char type, QByteArrayView value) {
        pad(8);
        m.append(code).append('\1').append(type).append('\0');
        if (type == 'g')
            m.append(char(value.size()));
        else
            u32(std::uint32_t(value.size()));
        m.append(value).append('\0');
    };
    field(DBUS_HEADER_FIELD_PATH, 'o', "/org/tethra/Tethra/Varnex/1");
    field(DBUS_HEADER_FIELD_MEMBER, 's', "Call");
    if (!signature.isEmpty())
        field(DBUS_HEADER_FIELD_SIGNATURE, 'g', signature);
    const std::uint32_t fieldsLength = std::uint32_t(m.size() - fieldsStart);
    std::memcpy(m.data() + lengthAt, &fieldsLength, 4);
    pad(8);
    m.append(body);
    return m;
}

void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_dbus_value: %s\n", what);
    std::abort();
}

bool sameValue(const Value &a, const Value &b)
{
    const auto *x = std::get_if<double>(&a);
    const auto *y = std::get_if<double>(&b);
    if (x && y)
        return std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(*y);
    return a == b;
}

// What a stored value reads as on the far side of the bus: every unpaired surrogate (only a
// fixed-width cut makes one) as U+FFFD.
Value asCarried(Value value)
{
    if (auto *text = std::get_if<std::u16string>(&value)) {
        for (std::size_t i = 0; i < text->size(); ++i) {
            const char16_t unit = (*text)[i];
            const bool paired =
                QChar::isHighSurrogate(unit) && i + 1 < text->size() && QChar::isLowSurrogate((*text)[i + 1]);
            if (paired)
                ++i;
            else if (QChar::isSurrogate(unit))
                (*text)[i] = u'\uFFFD';
        }
    }
    return value;
}

// The stored value sent out as a property's value and read back as the server reads it.
void checkCrossesTheWire(const Value &stored, catalogue::Type type)
{
    DBusMessage *out = dbus_message_new_method_call("org.tethra.Tethra", "/", "org.freedesktop.DBus.Properties", "Set");
    if (!tethra::dbus::appendArguments(out, {QVariant::fromValue(QDBusVariant(tethra::dbus::toDBus(stored)))}))
        fail("a stored value could not be written to a message");
    dbus_message_set_serial(out, 1); // as sending it would
    char *wire = nullptr;
    int length = 0;
    if (!dbus_message_marshal(out, &wire, &length))
        fail("a message could not be marshalled");
    dbus_message_unref(out);
    DBusMessage *in = dbus_message_demarshal(wire, length, nullptr);
    dbus_free(wire);
    if (!in)
        fail("libdbus refused a message the server wrote");
    const QVariantList back = tethra::dbus::readArguments(in);
    dbus_message_unref(in);
    Value again;
    if (back.size() != 1 || tethra::dbus::fromDBus(back.at(0), type, again) != status::ok)
        fail("a stored value did not convert back");
    if (!sameValue(again, asCarried(stored)))
        fail("a stored value changed on the wire");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto members = catalogue::varnexMembers();
    const catalogue::Member &member = members[data[0] % members.size()];
    const std::size_t signatureLength = std::min<std::size_t>(data[1], size - 2);
    const QByteArrayView signature(reinterpret_cast<const char *>(data + 2), qsizetype(signatureLength));
    const QByteArrayView body(reinterpret_cast<const char *>(data + 2 + signatureLength),
                              qsizetype(size - 2 - signatureLength));
    const QByteArray wire = methodCall(signature, body);

    DBusError error;
    dbus_error_init(&error);
    DBusMessage *message = dbus_message_demarshal(wire.constData(), int(wire.size()), &error);
    dbus_error_free(&error);
    if (!message)
        return 0;
    const QVariantList arguments = tethra::dbus::readArguments(message);
    dbus_message_unref(message);

    auto object = std::make_shared<Varnex>();
    if (member.kind == catalogue::Kind::Property) {
        // Properties.Set: the last argument is the value.
        if (arguments.isEmpty() || member.type == catalogue::Type::Object)
            return 0;
        Value value;
        if (tethra::dbus::fromDBus(arguments.back(), member.type, value) != status::ok)
            return 0;
        if (object->set(member.name, value) != status::ok)
            fail("a converted value was refused");
        Value stored;
        object->get(member.name, stored);
        const Value expected = member.textWidth > 0
                                   ? Value(fixedWidth(std::get<std::u16string>(value), std::size_t(member.textWidth)))
                                   : value;
        if (!sameValue(stored, expected))
            fail("a property does not read back as written");
        checkCrossesTheWire(stored, member.type);
        return 0;
    }

    // A command with these arguments, as the server converts them.
    if (std::size_t(arguments.size()) != member.arguments.size())
        return 0;
    std::vector<Value> values(member.arguments.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (tethra::dbus::fromDBus(arguments.at(qsizetype(i)), member.arguments[i].type, values[i]) != status::ok)
            return 0;
    if (object->call(member.name, values) != status::ok)
        fail("a command with converted arguments failed");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string_view field = member.arguments[i].field;
        const catalogue::Member *target = catalogue::findVarnexMember(field);
        Value stored;
        object->get(field, stored);
        const Value expected =
            target->textWidth > 0
                ? Value(fixedWidth(std::get<std::u16string>(values[i]), std::size_t(target->textWidth)))
                : values[i];
        if (!sameValue(stored, expected))
            fail("a command's argument does not read back from its field");
        checkCrossesTheWire(stored, target->type);
    }
    return 0;
}
