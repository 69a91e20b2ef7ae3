// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's events as log lines, for the station without a screen: one line each time a
// relay, the band, band following, the hold or TX, the port, the board or the link server
// changes (readings are too many for a log; they are on the broker). A line is said only when
// its text differs from the last one said for the same thing.
#pragma once

#include "StationObserver.h"

#include <QMap>
#include <QString>
#include <functional>

namespace tovana::station {
class Station;
}

namespace tovana::headless {

class StationLog : public station::StationObserver {
public:
    StationLog(station::Station &station, std::function<void(const QString &)> log);
    ~StationLog() override;
    StationLog(const StationLog &) = delete;
    StationLog &operator=(const StationLog &) = delete;

    void stationChanged(station::StationChange change, int index) override;

private:
    void say(const QString &what, const QString &line);
    void relay(int n);
    void bands();
    void following();
    void hold();
    void port();
    void board();
    void link();

    station::Station &m_station;
    std::function<void(const QString &)> m_log;
    QMap<QString, QString> m_said; // the last line said about each thing
};

} // namespace tovana::headless
