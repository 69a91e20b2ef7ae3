// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station with its Linux adapters, as every face runs it (the panel, the headless
// station): the settings store, read afresh at each activation as the platform's own store
// is; the serial line on the port MSComm1; the link follower. It runs the activation
// sequence, carries out every outcome of the station's rules (bytes on the line, the port
// closed, a full save) and says what the operator is to be told through message(). A port
// that fails to open, or fails under the cycle, is tried again every kReopenMs until it
// opens. Qt Core only; UI thread only; nothing here waits.
#pragma once

#include "Station.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace tovana {

class CommPort;
class HistoryCsv;
class LinkFollower;
class SerialLine;

class StationHost : public QObject, private station::StationObserver {
    Q_OBJECT
public:
    static constexpr int kReopenMs = 2000;

    // The link server is reached on the bus at this address, or on the session bus.
    explicit StationHost(const QString &linkBusAddress = {}, QObject *parent = nullptr);
    ~StationHost() override;

    station::Station &station() { return m_station; }
    const station::Station &station() const { return m_station; }
    CommPort *port() const { return m_comm1; }
    LinkFollower *link() const { return m_link; }

    // Called before each seeding and save, so the station holds what its face shows now
    // (the window's place and size).
    void setBeforeSave(std::function<void()> hook) { m_beforeSave = std::move(hook); }

    // Seed missing settings, load them, take a fresh link to the link server, band
    // following off at the first activation only, close, configure and open the port, and
    // run the acquisition cycle on it.
    void activate();
    // Carries out what the station's rule asked for; a refusal or a notice is told.
    void perform(station::Outcome outcome);
    // A full save; a refused write is told (with `addendum` after it) and gives false.
    bool save(const QString &addendum = {});
    // Stores one meter's multiplier at once and has the station scale with it.
    bool saveMultiplier(int meter, double multiplier);

signals:
    void message(const QString &text);

private:
    void stationChanged(station::StationChange change, int index) override;
    void closePort();
    void configurePort();
    void openPort();
    void portLost(const QString &reason);
    void tryReopen();

    station::Station m_station;
    CommPort *m_comm1;
    SerialLine *m_line;
    LinkFollower *m_link;
    HistoryCsv *m_csv;
    station::UnreadableLimits m_unreadableLimits{}; // left as written until set anew
    QTimer m_reopen;                                // while the board's port is lost: the next try to open it again
    std::function<void()> m_beforeSave;
    bool m_activated = false;
};

} // namespace tovana
