// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link adapter on Linux: the station's view of the link server through link/client.
// While band following is on it reads Band on every tick of Timer1 (200 ms) and takes every
// Band the server announces as changed; while the hold or a limit needs it, it follows PTT the
// same way, with a 200 ms read of its own. Each value goes to the station, whose outcome
// goes to `perform`. The client reconnects with its growing delay: a link server that goes
// away (restarted, not started yet) is taken up again when it is back, and the station is
// told that the link is away meanwhile. Nothing waits: one read of each value at most is
// out at a time, and a read of a link that has since been replaced no longer counts.
// UI thread only.
#pragma once

#include "Station.h"

#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <functional>

namespace tethra::client {
class LinkClient;
}

namespace tovana {

class LinkFollower : public QObject, public station::StationObserver {
    Q_OBJECT
public:
    static constexpr int kTickMs = 200;

    LinkFollower(station::Station &station, std::function<void(station::Outcome)> perform, const QString &busAddress,
                 QObject *parent = nullptr);
    ~LinkFollower() override;

    tethra::client::LinkClient *client() const { return m_link; }
    QTimer *timer1() { return &m_timer1; }
    // A fresh link to the server, without letting go of the old one until it is in hand.
    void connectToServer();
    // The session bus itself is missing (not only the link server).
    bool busMissing() const;

    void stationChanged(station::StationChange change, int index) override;

signals:
    // A read of Band came back with this value, after the station acted on it.
    void bandRead(qint32 band);
    // The server announced this Band, after the station acted on it.
    void bandAnnounced(qint32 band);
    // A value of PTT came in, by a read or an announcement, after the station acted on it.
    void pttSeen(qint32 ptt);

private:
    void tick();
    void pollPtt();
    void onChanged(const QVariantMap &changed);
    void abandonReads();
    void watch();

    station::Station &m_station;
    std::function<void(station::Outcome)> m_perform;
    tethra::client::LinkClient *m_link;
    QTimer m_timer1;
    QTimer m_pttPoll;
    bool m_bandReadOut = false;
    bool m_pttReadOut = false;
    quint64 m_generation = 0; // bumped when the reads under way stop counting
};

} // namespace tovana
