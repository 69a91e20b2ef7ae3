// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "IniSection.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <string>

namespace tovana {
namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

struct Line {
    QByteArrayView text;
    qsizetype equals = -1; // the first '=' outside quotes, within text
};

// The next logical line from pos, false at the end of the text. ';' outside quotes starts
// a comment that runs to the end of the line; a line break inside quotes, or after a
// backslash, does not end the line.
bool nextLine(QByteArrayView text, qsizetype &pos, Line *line)
{
    for (;;) {
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        if (pos >= text.size())
            return false;
        if (text[pos] != ';')
            break;
        while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r')
            ++pos;
    }
    const qsizetype start = pos;
    qsizetype equals = -1;
    bool inQuotes = false;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!inQuotes && (c == '\n' || c == '\r' || c == ';'))
            break;
        if (c == '=' && !inQuotes && equals < 0) {
            equals = pos - start;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '\\') {
            ++pos; // the escaped character stays in the line, a two-character line break too
            if (pos + 1 < text.size() &&
                ((text[pos] == '\n' && text[pos + 1] == '\r') || (text[pos] == '\r' && text[pos + 1] == '\n')))
                ++pos;
        }
        ++pos;
    }
    pos = std::min(pos, text.size());
    line->text = text.sliced(start, pos - start);
    line->equals = equals;
    return true;
}

// Keys and section names: '\' is '/', %XX and %UXXXX are characters by their code.
QString unescapedKey(QByteArrayView raw)
{
    const QString text = QString::fromUtf8(raw);
    QString key;
    key.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            key += u'/';
            ++i;
            continue;
        }
        if (c == u'%' && i + 1 < text.size()) {
            const bool wide = text[i + 1] == u'U';
            const qsizetype first = i + 1 + (wide ? 1 : 0);
            const qsizetype digits = wide ? 4 : 2;
            bool ok = false;
            const ushort code =
                first + digits <= text.size() ? QStringView(text).sliced(first, digits).toUShort(&ok, 16) : 0;
            if (ok) {
                key += QChar(code);
                i = first + digits;
                continue;
            }
        }
        key += c;
        ++i;
    }
    return key;
}

// QSettings' own escapes for the texts it keeps in a value.
QString unmarked(const QString &item)
{
    if (item.startsWith(QLatin1String("@@")))
        return item.sliced(1);
    if (item == QLatin1String("@Invalid()"))
        return {};
    for (const QLatin1String prefix : {QLatin1String("@String("), QLatin1String("@ByteArray(")}) {
        if (item.startsWith(prefix) && item.endsWith(u')'))
            return item.sliced(prefix.size()).chopped(1);
    }
    return item;
}

// A value: quotes keep spaces and commas, backslashes escape as in C (\n, \x41, \101; a
// line break after one continues the value), a comma outside quotes separates list items.
QString unescapedValue(QByteArrayView raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QStringList items;
    bool isList = false;
    QString current;
    bool inQuotes = false;
    bool quoted = false; // the current item had quotes: its trailing spaces stay
    qsizetype keep = 0;  // trailing spaces before this index came from escapes or quotes
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
    };
    const auto chopSpaces = [&] {
        while (current.size() > keep && (current.back() == u' ' || current.back() == u'\t'))
            current.chop(1);
    };
    skipSpaces();
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= raw.size())
                break;
            const char escaped = raw[i++];
            static constexpr char kFrom[] = "abfnrtv\"?'\\";
            static constexpr char kTo[] = "\a\b\f\n\r\t\v\"?'\\";
            if (const char *at = std::char_traits<char>::find(kFrom, sizeof kFrom - 1, escaped)) {
                current += QLatin1Char(kTo[at - kFrom]);
            } else if (escaped == 'x') {
                if (i < raw.size() && hexValue(raw[i]) >= 0) {
                    char16_t code = 0;
                    for (; i < raw.size() && hexValue(raw[i]) >= 0; ++i)
                        code = char16_t(code * 16 + hexValue(raw[i]));
                    current += QChar(code);
                }
            } else if (isOctal(escaped)) {
                char16_t code = char16_t(escaped - '0');
                for (; i < raw.size() && isOctal(raw[i]); ++i)
                    code = char16_t(code * 8 + (raw[i] - '0'));
                current += QChar(code);
            } else if (escaped == '\n' || escaped == '\r') {
                if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != escaped)
                    ++i;
            }
            keep = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipSpaces();
                keep = current.size();
            }
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chopSpaces();
            isList = true;
            items << current;
            current.clear();
            quoted = false;
            ++i;
            skipSpaces();
            keep = 0;
        } else {
            qsizetype j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            current += utf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted)
        chopSpaces();
    if (!isList)
        return unmarked(current);
    items << current;
    for (QString &item : items)
        item = unmarked(item);
    return items.join(u',');
}

} // namespace

QList<std::pair<QString, QString>> iniSectionEntries(QByteArrayView text, QStringView section)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    QList<std::pair<QString, QString>> entries;
    QString current; // "" is [General], as QSettings has it
    qsizetype pos = 0;
    Line line;
    while (nextLine(text, pos, &line)) {
        if (line.text.startsWith('[')) {
            qsizetype close = line.text.indexOf(']');
            if (close < 0)
                close = line.text.size();
            const QByteArrayView name = line.text.sliced(1, close - 1).trimmed();
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                current.clear();
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                current = QString::fromLatin1(name.sliced(1));
            else
                current = unescapedKey(name);
            continue;
        }
        if (line.equals < 0 || current != section)
            continue;
        entries.append(
            {unescapedKey(line.text.first(line.equals).trimmed()), unescapedValue(line.text.sliced(line.equals + 1))});
    }
    return entries;
}

} // namespace tovana
