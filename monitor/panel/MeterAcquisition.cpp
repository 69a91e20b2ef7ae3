// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MeterAcquisition.h"

#include "AGauge.h"
#include "AcquisitionCycle.h"
#include "MonitorPanel.h"
#include "Preferences.h"

namespace tovana {

MeterAcquisition::MeterAcquisition(CommPort *port, MonitorPanel *panel, const ScalingTable *scaling, QObject *parent)
    : QObject(parent), m_cycle(new AcquisitionCycle(port, this)), m_panel(panel), m_scaling(scaling)
{
    connect(m_cycle, &AcquisitionCycle::displayPhase, this, &MeterAcquisition::showReadings);
    connect(m_cycle, &AcquisitionCycle::lampsToggled, this, &MeterAcquisition::changeOverLamps);
    connect(m_cycle, &AcquisitionCycle::replyOverdue, m_panel, [this](bool overdue) {
        m_panel->setBoardNotice(overdue ? QStringLiteral("No reply from the board") : QString());
    });
}

void MeterAcquisition::setSettleDelay(int count) { m_cycle->setSettleDelay(count); }
int MeterAcquisition::settleDelay() const { return m_cycle->settleDelay(); }
void MeterAcquisition::restart() { m_cycle->PollMeters(); }
bool MeterAcquisition::isRunning() const { return m_cycle->isRunning(); }

// A complete cycle means the board answers: whatever the notice said (no reply, the board
// gone and back) is over.
void MeterAcquisition::showReadings(const QList<int> &readings)
{
    m_panel->setBoardNotice({});
    for (int meter = 0; meter < MonitorPanel::kGaugeCount; ++meter)
        m_panel->gauge(meter)->setNeedleValue(m_scaling->scaling[meter].value(readings.value(meter)));
}

// A lamp's state is its own visibility flag, not whether it is on screen: the lamps keep
// changing over while the window is hidden behind the setup dialog or the about box.
void MeterAcquisition::changeOverLamps()
{
    QWidget *lampA = m_panel->activityLampA();
    QWidget *lampB = m_panel->activityLampB();
    const bool aLit = !lampA->isHidden();
    lampA->setVisible(!aLit);
    lampB->setVisible(aLit);
}

} // namespace tovana
