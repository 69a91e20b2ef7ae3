// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The arguments of a libdbus message as QVariants, read and written by the project itself:
// Qt's D-Bus library decodes every string it receives as if it might open with a byte-order
// mark and drops a leading U+FEFF, so a text would not come back as written.
// Reading gives each basic type as Qt would (y uchar, b bool, n short, q ushort, i int,
// u uint, x qlonglong, t qulonglong, d double, s QString, o QDBusObjectPath,
// g QDBusSignature), a variant as a QDBusVariant of its content, an array of strings (as)
// as a QStringList, a dictionary of variants (a{sv}) as a QVariantMap of their contents,
// and other arrays, structs and file descriptors as an invalid QVariant, which no field
// takes. Writing takes those basic types, QDBusVariant, QStringList (as) and QVariantMap
// (a{sv}).
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

struct DBusMessage;

namespace tethra::dbus {

QVariantList readArguments(DBusMessage *message);
// False when a value is of no type above (the message is then incomplete).
bool appendArguments(DBusMessage *message, const QVariantList &arguments);

// UTF-8 as D-Bus carries it (validated by libdbus) to UTF-16, every character kept.
QString fromWire(const char *utf8);
// UTF-16 to the UTF-8 D-Bus carries; an unpaired surrogate, which no UTF-8 can hold,
// becomes U+FFFD.
QByteArray toWire(QStringView text);
// The length of toWire(text), without making it.
qsizetype wireLength(QStringView text);

} // namespace tethra::dbus
