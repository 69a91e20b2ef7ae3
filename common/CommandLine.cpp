// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace cli {

namespace {

QString programName()
{
    return QFileInfo(QCoreApplication::arguments().value(0)).fileName();
}

// Qt's help names the program as it was called (a whole path); the usual tools give its name.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const QString called = QCoreApplication::arguments().value(0);
    if (!called.isEmpty())
        text.replace(text.indexOf(called), called.size(), programName());
    return text;
}

} // namespace

int usageError(const QCommandLineParser &parser, const QString &why)
{
    const QString usage = helpText(parser).section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "%s: %s\n%s\nTry '%s --help' for more information.\n", qUtf8Printable(programName()),
                 qUtf8Printable(why), qUtf8Printable(usage), qUtf8Printable(programName()));
    return kUsageError;
}

void addStandardOptions(QCommandLineParser &parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
}

std::optional<int> answer(QCommandLineParser &parser, const QStringList &arguments, bool takesArguments,
                          const QStringList &toolkitOptions)
{
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return usageError(parser, parser.errorText());
        for (const QString &name : unknown)
            if (!toolkitOptions.contains(name))
                return usageError(parser, QStringLiteral("Unknown option '%1'.").arg(name));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qUtf8Printable(helpText(parser)), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                    qUtf8Printable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!takesArguments && !parser.positionalArguments().isEmpty())
        return usageError(parser,
                          QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    return std::nullopt;
}

bool answerBeforeToolkit(QCommandLineParser &parser, const QStringList &arguments, const QStringList &toolkitOptions)
{
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version")))
        return true;
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString &name : unknown)
        if (!toolkitOptions.contains(name))
            return true;
    // A toolkit option's value reads as an argument here, so arguments can be judged only
    // when the toolkit has none of its own among them.
    return unknown.isEmpty() && !parser.positionalArguments().isEmpty();
}

} // namespace cli
