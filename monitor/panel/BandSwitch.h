// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The band switch of the main window: BandReset, BandEncoder and the band-following step,
// over the panel's band indicators and Label2, the port MSComm1, the link client and the
// transmit interlock. The selected band is the visible indicator; nothing else holds it.
// While following, the step runs on every Band the link client announces as changed, and
// on every tick as the fallback for a missed or never sent signal. A code that could not be
// sent (port closed, relays held under transmit) stays pending; it goes out on the first
// tick that finds the port open, or at once when the interlock lets go. The tick never
// waits: it starts one asynchronous read of Band, and any error ends it silently. UI
// thread only.
#pragma once

#include <QObject>
#include <QVariantMap>

namespace tethra::client {
class LinkClient;
}

namespace tovana {

class CommPort;
class MonitorPanel;
class TxInterlock;
using tethra::client::LinkClient;

class BandSwitch : public QObject {
    Q_OBJECT
public:
    BandSwitch(MonitorPanel *panel, CommPort *port, LinkClient *link, const TxInterlock *interlock,
               QObject *parent = nullptr);

    // Hides the indicators Command14..Command21, Command30, in that order.
    void BandReset();
    // Sends the code of every visible indicator in table order, each as one write, and
    // shows it in Label2. False when a write failed or the interlock holds the relays; that
    // code and the rest stay pending.
    bool BandEncoder();
    // Sends a pending code if the port is open and nothing holds the relays.
    void sendPending();
    // Leaves only the indicator of position 1..9 visible; sends nothing.
    void select(int position);

    // The body of Timer1's tick while band following is on: one read of Band, unless the
    // previous one is still out (a hung server costs at most the client's call timeout).
    void tick();
    // On: each Band announced by the link client runs the step. Off: neither an
    // announcement nor a read still under way changes anything.
    void setFollowing(bool on);

    bool codePending() const { return m_codePending; }

signals:
    // A read of Band came back with this value, after the step it drove.
    void bandRead(qint32 band);
    // The link client announced this Band, after the step it drove.
    void bandAnnounced(qint32 band);

private:
    void onBandRead(qint32 band);
    void onChanged(const QVariantMap &changed);
    void abandonRead();

    MonitorPanel *m_panel;
    CommPort *m_port;
    LinkClient *m_link;
    const TxInterlock *m_interlock;
    bool m_following = false;
    bool m_codePending = false;
    bool m_readOut = false;
    quint64 m_readGeneration = 0;  // bumped when a read under way stops counting
};

} // namespace tovana
