// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Whether and how this station goes on the network, as every face decides it: the "Network"
// section of the settings store, then the command line's options of the same names (the
// station without a screen) for this run only. A station with no broker host stays off the
// network and that is no problem; settings that cannot work are reported, one line each.
#pragma once

#include "NetworkSettings.h"

#include <QStringList>

class QCommandLineParser;

namespace tovana::network {

struct StationNetwork {
    NetworkSettings settings;
    QStringList problems;
    bool wanted() const { return !settings.brokerHost.empty(); }
    bool usable() const { return wanted() && problems.isEmpty(); }
};

StationNetwork stationNetwork(const QCommandLineParser *options = nullptr);

} // namespace tovana::network
