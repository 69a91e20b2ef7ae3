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
// false. nullopt: the program goes on with the parsed options.
std::optional<int> answer(QCommandLineParser &parser, const QStringList &arguments, bool takesArguments = false);

// True when the raw arguments ask for --help or --version: a windowed program answers those
// before it opens its display, so they also work where there is none.
bool asksForHelpOrVersion(QCommandLineParser &parser, const QStringList &arguments);

} // namespace cli
