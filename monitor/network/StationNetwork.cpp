// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationNetwork.h"

#include "NetworkOptions.h"
#include "SettingsStore.h"

namespace tovana::network {

StationNetwork stationNetwork(const QCommandLineParser *options)
{
    StationNetwork network;
    SettingsStore store;
    LoadedNetworkSettings loaded = loadNetworkSettings(store, localHostName());
    network.settings = std::move(loaded.settings);
    for (const std::string &problem : loaded.problems)
        network.problems << QString::fromStdString(problem);
    if (options)
        network.problems << applyNetworkOptions(*options, network.settings);
    if (!network.wanted())
        return network;
    for (const std::string &problem : checkNetworkSettings(network.settings))
        network.problems << QString::fromStdString(problem);
    return network;
}

} // namespace tovana::network
