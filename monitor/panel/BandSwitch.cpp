// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandSwitch.h"

#include "BandTable.h"
#include "CommPort.h"
#include "LinkClient.h"
#include "MonitorPanel.h"

#include <QLabel>
#include <QPushButton>

namespace tovana {

BandSwitch::BandSwitch(MonitorPanel *panel, CommPort *port, LinkClient *link, QObject *parent)
    : QObject(parent), m_panel(panel), m_port(port), m_link(link)
{
    connect(m_link, &LinkClient::bandRead, this, &BandSwitch::onBandRead);
}

void BandSwitch::BandReset()
{
    for (const BandPosition &band : bandTable())
        m_panel->bandIndicator(band.position)->hide();
}

bool BandSwitch::BandEncoder()
{
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

void BandSwitch::tick()
{
    if (m_codePending && m_port->isOpen())
        BandEncoder();
    m_link->readBand();
}

void BandSwitch::stopFollowing()
{
    m_link->abandonRead();
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
