// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "WireArguments.h"

#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QStringDecoder>
#include <QStringList>

#include <dbus/dbus.h>

#include <functional>

#include <unistd.h>

namespace tethra::dbus {
namespace {

template <typename Wire, typename Qt>
QVariant basic(DBusMessageIter *it)
{
    Wire value{};
    dbus_message_iter_get_basic(it, &value);
    return QVariant::fromValue(static_cast<Qt>(value));
}

QVariant readOne(DBusMessageIter *it);

// An array of strings, or a dictionary of variants; any other array is no value.
QVariant readArray(DBusMessageIter *it)
{
    char *signature = dbus_message_iter_get_signature(it);
    const QByteArray type(signature);
    dbus_free(signature);
    DBusMessageIter items;
    dbus_message_iter_recurse(it, &items);
    if (type == "as") {
        QStringList list;
        for (; dbus_message_iter_get_arg_type(&items) == DBUS_TYPE_STRING; dbus_message_iter_next(&items))
            list << readOne(&items).toString();
        return list;
    }
    if (type == "a{sv}") {
        QVariantMap map;
        for (; dbus_message_iter_get_arg_type(&items) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&items)) {
            DBusMessageIter entry;
            dbus_message_iter_recurse(&items, &entry);
            const QString key = readOne(&entry).toString();
            dbus_message_iter_next(&entry);
            map.insert(key, readOne(&entry).value<QDBusVariant>().variant());
        }
        return map;
    }
    return {};
}

QVariant readOne(DBusMessageIter *it)
{
    switch (dbus_message_iter_get_arg_type(it)) {
    case DBUS_TYPE_BYTE: return basic<unsigned char, uchar>(it);
    case DBUS_TYPE_BOOLEAN: {
        dbus_bool_t value = FALSE;
        dbus_message_iter_get_basic(it, &value);
        return QVariant(value != FALSE);
    }
    case DBUS_TYPE_INT16: return basic<dbus_int16_t, short>(it);
    case DBUS_TYPE_UINT16: return basic<dbus_uint16_t, ushort>(it);
    case DBUS_TYPE_INT32: return basic<dbus_int32_t, int>(it);
    case DBUS_TYPE_UINT32: return basic<dbus_uint32_t, uint>(it);
    case DBUS_TYPE_INT64: return basic<dbus_int64_t, qlonglong>(it);
    case DBUS_TYPE_UINT64: return basic<dbus_uint64_t, qulonglong>(it);
    case DBUS_TYPE_DOUBLE: return basic<double, double>(it);
    case DBUS_TYPE_STRING:
    case DBUS_TYPE_OBJECT_PATH:
    case DBUS_TYPE_SIGNATURE: {
        const int type = dbus_message_iter_get_arg_type(it);
        const char *text = nullptr;
        dbus_message_iter_get_basic(it, &text);
        if (type == DBUS_TYPE_OBJECT_PATH)
            return QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(text)));
        if (type == DBUS_TYPE_SIGNATURE)
            return QVariant::fromValue(QDBusSignature(QString::fromLatin1(text)));
        return QVariant(fromWire(text));
    }
    case DBUS_TYPE_VARIANT: {
        DBusMessageIter content;
        dbus_message_iter_recurse(it, &content);
        return QVariant::fromValue(QDBusVariant(readOne(&content)));
    }
    case DBUS_TYPE_ARRAY: return readArray(it);
    case DBUS_TYPE_UNIX_FD: {
        // Reading one hands out a duplicate of the descriptor; nothing here uses it.
        int fd = -1;
        dbus_message_iter_get_basic(it, &fd);
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    default: return {};
    }
}

// The D-Bus signature of a value appendOne can write, "" for any other.
QByteArray signatureOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::UChar: return "y";
    case QMetaType::Bool: return "b";
    case QMetaType::Short: return "n";
    case QMetaType::UShort: return "q";
    case QMetaType::Int: return "i";
    case QMetaType::UInt: return "u";
    case QMetaType::LongLong: return "x";
    case QMetaType::ULongLong: return "t";
    case QMetaType::Double: return "d";
    case QMetaType::QString: return "s";
    case QMetaType::QStringList: return "as";
    case QMetaType::QVariantMap: return "a{sv}";
    default: break;
    }
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return "o";
    if (value.metaType() == QMetaType::fromType<QDBusSignature>())
        return "g";
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return "v";
    return {};
}

template <typename Wire>
bool appendBasic(DBusMessageIter *it, int type, Wire value)
{
    return dbus_message_iter_append_basic(it, type, &value);
}

bool appendText(DBusMessageIter *it, int type, const QByteArray &text)
{
    const char *data = text.constData();
    return dbus_message_iter_append_basic(it, type, &data);
}

bool appendOne(DBusMessageIter *it, const QVariant &value);

bool appendContainer(DBusMessageIter *it, int type, const char *signature,
                     const std::function<bool(DBusMessageIter *)> &fill)
{
    DBusMessageIter sub;
    if (!dbus_message_iter_open_container(it, type, signature, &sub))
        return false;
    if (!fill(&sub)) {
        dbus_message_iter_abandon_container(it, &sub);
        return false;
    }
    return dbus_message_iter_close_container(it, &sub);
}

bool appendOne(DBusMessageIter *it, const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::UChar: return appendBasic<unsigned char>(it, DBUS_TYPE_BYTE, value.value<uchar>());
    case QMetaType::Bool: return appendBasic<dbus_bool_t>(it, DBUS_TYPE_BOOLEAN, value.toBool() ? TRUE : FALSE);
    case QMetaType::Short: return appendBasic<dbus_int16_t>(it, DBUS_TYPE_INT16, value.value<short>());
    case QMetaType::UShort: return appendBasic<dbus_uint16_t>(it, DBUS_TYPE_UINT16, value.value<ushort>());
    case QMetaType::Int: return appendBasic<dbus_int32_t>(it, DBUS_TYPE_INT32, value.toInt());
    case QMetaType::UInt: return appendBasic<dbus_uint32_t>(it, DBUS_TYPE_UINT32, value.toUInt());
    case QMetaType::LongLong: return appendBasic<dbus_int64_t>(it, DBUS_TYPE_INT64, value.toLongLong());
    case QMetaType::ULongLong: return appendBasic<dbus_uint64_t>(it, DBUS_TYPE_UINT64, value.toULongLong());
    case QMetaType::Double: return appendBasic<double>(it, DBUS_TYPE_DOUBLE, value.toDouble());
    case QMetaType::QString: return appendText(it, DBUS_TYPE_STRING, toWire(value.toString()));
    case QMetaType::QStringList:
        return appendContainer(it, DBUS_TYPE_ARRAY, "s", [&](DBusMessageIter *items) {
            for (const QString &item : value.toStringList())
                if (!appendText(items, DBUS_TYPE_STRING, toWire(item)))
                    return false;
            return true;
        });
    case QMetaType::QVariantMap:
        return appendContainer(it, DBUS_TYPE_ARRAY, "{sv}", [&](DBusMessageIter *entries) {
            const QVariantMap map = value.toMap();
            for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
                const bool written =
                    appendContainer(entries, DBUS_TYPE_DICT_ENTRY, nullptr, [&](DBusMessageIter *pair) {
                        return appendText(pair, DBUS_TYPE_STRING, toWire(entry.key())) &&
                               appendOne(pair, QVariant::fromValue(QDBusVariant(entry.value())));
                    });
                if (!written)
                    return false;
            }
            return true;
        });
    default: break;
    }
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return appendText(it, DBUS_TYPE_OBJECT_PATH, value.value<QDBusObjectPath>().path().toLatin1());
    if (value.metaType() == QMetaType::fromType<QDBusSignature>())
        return appendText(it, DBUS_TYPE_SIGNATURE, value.value<QDBusSignature>().signature().toLatin1());
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        const QVariant content = value.value<QDBusVariant>().variant();
        const QByteArray signature = signatureOf(content);
        if (signature.isEmpty())
            return false;
        return appendContainer(it, DBUS_TYPE_VARIANT, signature.constData(),
                               [&](DBusMessageIter *sub) { return appendOne(sub, content); });
    }
    return false;
}

} // namespace

QVariantList readArguments(DBusMessage *message)
{
    QVariantList arguments;
    DBusMessageIter it;
    if (!dbus_message_iter_init(message, &it))
        return arguments;
    do
        arguments << readOne(&it);
    while (dbus_message_iter_next(&it));
    return arguments;
}

bool appendArguments(DBusMessage *message, const QVariantList &arguments)
{
    DBusMessageIter it;
    dbus_message_iter_init_append(message, &it);
    for (const QVariant &argument : arguments)
        if (!appendOne(&it, argument))
            return false;
    return true;
}

QString fromWire(const char *utf8)
{
    // Qt's own fromUtf8() takes a leading U+FEFF for a byte-order mark and drops it.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return decoder(QByteArrayView(utf8));
}

QByteArray toWire(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 3);
    const auto put = [&out](char32_t c) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            put(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            put(0xFFFD);
        } else {
            put(unit);
        }
    }
    return out;
}

qsizetype wireLength(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            bytes += 1;
        } else if (unit < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3; // the unit itself, or the U+FFFD that stands for a lone surrogate
        }
    }
    return bytes;
}

} // namespace tethra::dbus
