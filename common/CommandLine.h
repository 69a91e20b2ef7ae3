// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The command-line conventions every Qt program of the project keeps, as Hamlib's tools and
// the usual Unix programs do: -h/--help and -v/--version answer on stdout with exit status 0;
// a bad option or an unexpected argument prints one line saying so and the usage on stderr,
// with exit status 2.
#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace cli {

inline constexpr int kUsageError = 2;

// Adds -h/--help and -v/--version to the parser.
void addStandardOptions(QCommandLineParser &parser);

// Parses the arguments (those of the application object, so the toolkit's own options are
// gone). Returns the exit status when the program must end here: 0 after --help or
// --version, kUsageError after a bad option, or after any argument when takesArguments is
// false. nullopt: the program goes on with the parsed options. Unknown options named in
// toolkitOptions are let pass (see answerBeforeToolkit).
std::optional<int> answer(QCommandLineParser &parser, const QStringList &arguments, bool takesArguments = false,
                          const QStringList &toolkitOptions = {});

// Prints why and the usage on stderr; returns kUsageError.
int usageError(const QCommandLineParser &parser, const QString &why);

// For a windowed program, which must answer its command line before it opens a display so
// that --help, --version and a bad option also work where there is none. True when the raw
// arguments can be judged now: --help or --version, an unknown option that is not one of
// the toolkit's own (toolkitOptions, taken away by the toolkit once it starts), or any
// argument when the toolkit has no option among them. The parser must read single-dash
// words as long options, as the toolkit does.
bool answerBeforeToolkit(QCommandLineParser &parser, const QStringList &arguments, const QStringList &toolkitOptions);

} // namespace cli
