// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The transmit interlock: while it is on, the band relays are held whenever the radio
// publishes a PTT other than 0 (receive), so that no band code goes out under transmit.
// It follows PTT through the link client's PropertiesChanged and, as a fallback for a
// missed or never sent signal, a read every 200 ms of its own. When PTT cannot be read
// (no link server, a failed read) nothing is held and the transmit state is unknown. It
// shows itself on the panel's "TX" indicator: hidden while off, lit while holding,
// greyed while unknown. Off by default. UI thread only.
#pragma once

#include <QObject>
#include <QTimer>
#include <QVariantMap>

namespace tethra::client {
class LinkClient;
}

namespace tovana {

class TxIndicator;
using tethra::client::LinkClient;

class TxInterlock : public QObject {
    Q_OBJECT
public:
    enum class Tx { Unknown, Receive, Transmit };

    static constexpr int kPollMs = 200;

    TxInterlock(TxIndicator *indicator, LinkClient *link, QObject *parent = nullptr);

    // On: reads PTT at once, then follows it. Off: holds nothing and reads nothing.
    void setEnabled(bool on);
    bool isEnabled() const { return m_on; }
    Tx tx() const { return m_tx; }
    // The band relays must stay as they are.
    bool holds() const { return m_on && m_tx == Tx::Transmit; }

signals:
    // holds() was true and is false now: a band code kept back may go out.
    void released();
    // A value of PTT came in, by a read or a signal, after the hold followed it.
    void pttSeen(qint32 ptt);

private:
    void poll();
    void onChanged(const QVariantMap &changed);
    void onPtt(qint32 ptt);
    void setTx(Tx tx);
    void abandonRead();
    void show();

    TxIndicator *m_indicator;
    LinkClient *m_link;
    QTimer m_poll;
    bool m_on = false;
    Tx m_tx = Tx::Unknown;
    bool m_readOut = false;
    quint64 m_readGeneration = 0;  // bumped when a read under way stops counting
};

} // namespace tovana
