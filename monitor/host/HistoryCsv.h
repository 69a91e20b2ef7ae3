// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The history's seconds written out as they complete, when the store's [History] says
// Csv=True (off unless it does): one row a second (the time, then each meter's mean), one
// column a meter with the captions as the header, one file a day named
// readings-YYYY-MM-DD.csv (local date) in Folder ($XDG_DATA_HOME/Tovana2 unless set). A file that cannot be written is
// told once through failed() and tried again the next day; the readings themselves are never held back by it.
#pragma once

#include "StationObserver.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <cstdint>

namespace tovana {

namespace station {
class Station;
class Store;
} // namespace station

class HistoryCsv : public QObject, private station::StationObserver {
    Q_OBJECT
public:
    HistoryCsv(station::Station &station, QObject *parent = nullptr);
    ~HistoryCsv() override;

    // Takes Csv and Folder from the store's [History].
    void configure(const station::Store &store);
    bool enabled() const { return m_enabled; }

signals:
    void failed(const QString &message);

private:
    void stationChanged(station::StationChange change, int index) override;
    void writeSeconds();
    bool openFor(const QString &day);

    station::Station &m_station;
    bool m_enabled = false;
    QString m_folder;
    QFile m_file;
    QString m_day;
    QString m_failedDay;
    std::int64_t m_written = -1; // the last second written
};

} // namespace tovana
