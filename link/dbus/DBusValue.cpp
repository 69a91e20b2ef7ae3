// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "DBusValue.h"

#include "Status.h"
#include "WireArguments.h"

#include <QDBusVariant>
#include <QString>

#include <limits>

namespace tethra::dbus {
namespace {

bool isInteger(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

} // namespace

std::int32_t fromDBus(const QVariant &raw, catalogue::Type type, Value &out)
{
    const QVariant in =
        raw.metaType() == QMetaType::fromType<QDBusVariant>() ? raw.value<QDBusVariant>().variant() : raw;
    switch (type) {
    case catalogue::Type::Long: {
        if (!isInteger(in))
            return status::typeMismatch;
        if (in.metaType().id() == QMetaType::ULongLong) {
            if (in.toULongLong() > static_cast<qulonglong>(std::numeric_limits<std::int32_t>::max()))
                return status::overflow;
            out = static_cast<std::int32_t>(in.toULongLong());
            return status::ok;
        }
        const qlonglong n = in.toLongLong();
        if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
            return status::overflow;
        out = static_cast<std::int32_t>(n);
        return status::ok;
    }
    case catalogue::Type::Double:
        if (in.metaType().id() == QMetaType::Double)
            out = in.toDouble();
        else if (in.metaType().id() == QMetaType::ULongLong)
            out = static_cast<double>(in.toULongLong());
        else if (isInteger(in))
            out = static_cast<double>(in.toLongLong());
        else
            return status::typeMismatch;
        return status::ok;
    case catalogue::Type::String:
        if (in.metaType().id() != QMetaType::QString)
            return status::typeMismatch;
        if (wireLength(in.toString()) > kMaxTextBytes)
            return status::outOfStringSpace;
        out = in.toString().toStdU16String();
        return status::ok;
    case catalogue::Type::Object: break;
    }
    return status::typeMismatch;
}

QVariant toDBus(const Value &value)
{
    if (const auto *n = std::get_if<std::int32_t>(&value))
        return QVariant(static_cast<int>(*n));
    if (const auto *d = std::get_if<double>(&value))
        return QVariant(*d);
    // Unit for unit: QString::fromStdU16String would take a leading U+FEFF or U+FFFE for a
    // byte-order mark, dropping the one and byte-swapping the text after the other.
    const std::u16string &text = std::get<std::u16string>(value);
    return QVariant(QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size())));
}

const char *signature(catalogue::Type type)
{
    switch (type) {
    case catalogue::Type::Long: return "i";
    case catalogue::Type::Double: return "d";
    case catalogue::Type::String: return "s";
    case catalogue::Type::Object: return "o";
    }
    return "v";
}

} // namespace tethra::dbus
