// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// How tethra-cli writes and reads values: the plain text of a value, a text as a quoted
// literal whose escapes are JSON's (so a script can read a dump line back exactly), whole
// JSON records of one line, and the command line itself and the typed value of one of its
// arguments.
#pragma once

#include "MemberCatalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tethracli {

// As the value is: numbers in their shortest exact form (-0 keeps its sign), texts unquoted,
// but with backslashes and control characters in JSON's escapes, so that a value written
// by any program reads back exactly and sends nothing raw to the terminal.
QString plain(const QVariant &value);
// As plain(), but a text quoted, with quotes, backslashes, control characters and U+FEFF
// escaped.
QString quotedPlain(const QVariant &value);
// A JSON string literal (U+FEFF escaped too).
QString jsonString(const QString &text);
// The value as JSON: a number (null when not finite) or a string.
QString json(const QVariant &value);
// The moment in ISO 8601 with milliseconds and the zone's offset ("Z" for UTC).
QString isoTime(const QDateTime &moment);
// A name from the member catalogue.
QString latin1(std::string_view text);
// One line on stdout, flushed at once (a watcher's reader sees it as it happens).
void print(const QString &line);

using Values = QList<QPair<QString, QVariant>>;

// {"time":"…","type":"…",<extra members, already JSON>,"values":{…}} on one line.
QString record(const QString &type, const Values &values, const QList<QPair<QString, QString>> &extra = {});

// The arguments as given, each decoded from UTF-8 with every character kept: Qt's own list
// takes a leading U+FEFF for a byte-order mark and drops it.
QStringList exactArguments(int argc, const char *const *argv);

struct Parsed {
    std::optional<QVariant> value;
    std::int32_t status = 0; // why not, as the link server would have answered
    QString why;
};
// An argument of the command line as a value of the given type.
Parsed parse(const QString &text, tethra::catalogue::Type type);
QString typeName(tethra::catalogue::Type type, int textWidth = 0);

} // namespace tethracli
