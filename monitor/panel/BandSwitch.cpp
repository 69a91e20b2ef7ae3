// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandSwitch.h"

#include "BandTable.h"
#include "CommPort.h"
#include "LinkClient.h"
#include "MonitorPanel.h"
#include "TxInterlock.h"

#include <QLabel>
#include <QPushButton>

namespace tovana {

BandSwitch::BandSwitch(MonitorPanel *panel, CommPort *port, LinkClient *link, const TxInterlock *interlock,
                       QObject *parent)
    : QObject(parent), m_panel(panel), m_port(port), m_link(link), m_interlock(interlock)
{
    connect(m_link, &LinkClient::propertiesChanged, this, &BandSwitch::onChanged);
    // A read of the previous object has nothing to say about the new one; a link taken up
    // again is followed at once, not at the next tick.
    connect(m_link, &LinkClient::connected, this, [this] {
        abandonRead();
        if (m_following)
            tick();
    });
    connect(m_link, &LinkClient::connectFailed, this, &BandSwitch::abandonRead);
}

void BandSwitch::BandReset()
{
    for (const BandPosition &band : bandTable())
        m_panel->bandIndicator(band.position)->hide();
}

bool BandSwitch::BandEncoder()
{
    if (m_interlock->holds()) {
        m_codePending = true;
        return false;
    }
    // Visibility as set, not as seen: the window may be hidden behind a dialog.
    for (const BandPosition &band : bandTable()) {
        if (m_panel->bandIndicator(band.position)->isHidden())
            continue;
        if (!m_port->output(band.bytes)) {
            m_codePending = true;
            return false;
        }
        m_panel->bandCode()->setText(band.code);
    }
    m_codePending = false;
    return true;
}

void BandSwitch::select(int position)
{
    BandReset();
    m_panel->bandIndicator(position)->show();
}

void BandSwitch::sendPending()
{
    if (m_codePending && m_port->isOpen() && !m_interlock->holds())
        BandEncoder();
}

void BandSwitch::tick()
{
    sendPending();
    if (m_readOut || !m_link->isConnected())
        return;
    m_readOut = true;
    const quint64 generation = m_readGeneration;
    m_link->read(QStringLiteral("Band"), this, [this, generation](const tethra::client::Reply &reply) {
        if (generation != m_readGeneration)
            return;
        m_readOut = false;
        if (!reply.ok() || reply.value.metaType().id() != QMetaType::Int)
            return;
        onBandRead(reply.value.toInt());
        emit bandRead(reply.value.toInt());
    });
}

void BandSwitch::setFollowing(bool on)
{
    m_following = on;
    if (!on)
        abandonRead();
}

void BandSwitch::onChanged(const QVariantMap &changed)
{
    const auto it = changed.constFind(QStringLiteral("Band"));
    if (!m_following || it == changed.cend() || it->metaType().id() != QMetaType::Int)
        return;
    onBandRead(it->toInt());
    emit bandAnnounced(it->toInt());
}

void BandSwitch::abandonRead()
{
    ++m_readGeneration;
    m_readOut = false;
}

void BandSwitch::onBandRead(qint32 band)
{
    const int position = bandPositionForLinkBand(QString::number(band));
    if (position == 0 || !m_panel->bandIndicator(position)->isHidden())
        return;
    select(position);
    BandEncoder();
}

} // namespace tovana
