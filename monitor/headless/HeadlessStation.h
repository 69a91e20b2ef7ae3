// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station without a screen: the same host as the panel's (store, port, acquisition, band
// following, the hold) with the network face as its only view, and a log line on stderr for
// each event (the journal under systemd). runHeadless() is the program: Qt Core only, so it
// needs no display; SIGTERM, SIGINT or SIGHUP ends it after a save and an "offline".
#pragma once

#include "StationHost.h"
#include "StationLog.h"
#include "StationNetwork.h"
#include "StationPublisher.h"

#include <QObject>

#include <memory>

class QCommandLineParser;

namespace tovana::headless {

class HeadlessStation : public QObject {
    Q_OBJECT
public:
    explicit HeadlessStation(const network::StationNetwork &network, QObject *parent = nullptr);
    ~HeadlessStation() override;

    StationHost &host() { return m_host; }
    // Activates the station (the port opens, acquisition starts) and goes on the broker.
    void start();
    // Saves, says "offline" and leaves the broker; finished() follows.
    void finish();

signals:
    void finished();

private:
    StationHost m_host;
    StationLog m_log;
    std::unique_ptr<network::StationPublisher> m_publisher;
    bool m_finishing = false;
};

// One line on stderr; a text of several lines is put on one.
void logLine(const QString &line);

// The program `tovana --headless`, its command line described by `parser` (with the network
// options); returns the exit status.
int runHeadless(QCommandLineParser &parser, int argc, char **argv);

} // namespace tovana::headless
