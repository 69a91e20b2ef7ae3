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

int usageError(const QCommandLineParser &parser, const QString &why)
{
    const QString usage = parser.helpText().section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "%s: %s\n%s\nTry '%s --help' for more information.\n", qUtf8Printable(programName()),
                 qUtf8Printable(why), qUtf8Printable(usage), qUtf8Printable(programName()));
    return kUsageError;
}

} // namespace

void addStandardOptions(QCommandLineParser &parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
}

std::optional<int> answer(QCommandLineParser &parser, const QStringList &arguments, bool takesArguments)
{
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                    qUtf8Printable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!takesArguments && !parser.positionalArguments().isEmpty())
        return usageError(parser, QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    return std::nullopt;
}

bool asksForHelpOrVersion(QCommandLineParser &parser, const QStringList &arguments)
{
    parser.parse(arguments); // unknown options are judged later, once the toolkit took its own
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"));
}

} // namespace cli
