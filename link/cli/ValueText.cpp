// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ValueText.h"

#include "Status.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <cmath>
#include <cstdio>

namespace tethracli {

using tethra::catalogue::Type;

namespace {

// The text with JSON's escapes for backslashes, control characters and lone surrogate
// halves, and for quotes and U+FEFF when it is to stand between quotes.
QString escaped(const QString &text, bool quoted)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        switch (c.unicode()) {
        case '"': out += quoted ? QLatin1String("\\\"") : QLatin1String("\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case 0xFEFF:
            // Invisible, and some JSON readers (Qt's among them) drop it at a string's start.
            out += quoted ? QStringLiteral("\\ufeff") : QString(c);
            break;
        default:
            // Other control characters and lone surrogate halves cannot be shown as they are.
            if (c.category() == QChar::Other_Control || c.isSurrogate())
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

} // namespace

QString plain(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double: {
        const double d = value.toDouble();
        // Qt writes the negative zero as "0".
        return d == 0 && std::signbit(d) ? QStringLiteral("-0")
                                         : QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QString: return escaped(value.toString(), false);
    default: return value.toString();
    }
}

QString jsonString(const QString &text)
{
    return QLatin1Char('"') + escaped(text, true) + QLatin1Char('"');
}

QString quotedPlain(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QString ? jsonString(value.toString()) : plain(value);
}

QString json(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double: return std::isfinite(value.toDouble()) ? plain(value) : QStringLiteral("null");
    case QMetaType::QString: return jsonString(value.toString());
    default: return value.isValid() ? plain(value) : QStringLiteral("null");
    }
}

QString isoTime(const QDateTime &moment)
{
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

void print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString record(const QString &type, const Values &values, const QList<QPair<QString, QString>> &extra)
{
    QString line = QStringLiteral("{\"time\":%1,\"type\":%2")
                       .arg(jsonString(isoTime(QDateTime::currentDateTime())), jsonString(type));
    for (const auto &[key, text] : extra)
        line += QLatin1Char(',') + jsonString(key) + QLatin1Char(':') + text;
    QStringList members;
    for (const auto &[name, value] : values)
        members << jsonString(name) + QLatin1Char(':') + json(value);
    return line + QStringLiteral(",\"values\":{") + members.join(QLatin1Char(',')) + QStringLiteral("}}");
}

QStringList exactArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        arguments << utf8(QByteArrayView(argv[i]));
    }
    return arguments;
}

Parsed parse(const QString &text, Type type)
{
    bool ok = false;
    switch (type) {
    case Type::Long: {
        const int n = text.toInt(&ok);
        if (ok)
            return {QVariant(n), 0, {}};
        static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
        if (integer.match(text).hasMatch())
            return {std::nullopt, tethra::status::overflow,
                    QStringLiteral("%1 does not fit a 32-bit integer").arg(text)};
        return {std::nullopt, tethra::status::typeMismatch, QStringLiteral("not '%1'").arg(text)};
    }
    case Type::Double: {
        const double d = text.toDouble(&ok);
        if (ok)
            return {QVariant(d), 0, {}};
        return {std::nullopt, tethra::status::typeMismatch, QStringLiteral("not '%1'").arg(text)};
    }
    default: return {QVariant(text), 0, {}};
    }
}

QString typeName(Type type, int textWidth)
{
    switch (type) {
    case Type::Long: return QStringLiteral("Long");
    case Type::Double: return QStringLiteral("Double");
    case Type::String: return textWidth > 0 ? QStringLiteral("Text*%1").arg(textWidth) : QStringLiteral("String");
    case Type::Object: return QStringLiteral("Object");
    }
    return {};
}

} // namespace tethracli
