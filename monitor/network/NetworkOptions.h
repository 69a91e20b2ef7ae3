// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The network settings as command-line options, for the station without a screen: one
// option per key of the "Network" section, by the same name (the table in
// NetworkSettings.h). An option given overrides the stored value for this run only; nothing
// is saved. A bad value is reported and leaves the setting as it was.
#pragma once

#include "NetworkSettings.h"

#include <QStringList>

#include <string>

class QCommandLineParser;

namespace tovana::network {

void addNetworkOptions(QCommandLineParser &parser);

// Applies the options the parser saw; returns one line per value it could not use.
QStringList applyNetworkOptions(const QCommandLineParser &parser, NetworkSettings &settings);

// This machine's name, for the default topic prefix.
std::string localHostName();

} // namespace tovana::network
