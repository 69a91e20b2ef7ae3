// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The main window's acquisition: the cycle `PollMeters` on the window's port, each
// completed read phase shown on the panel's eight gauges through the window's scaling,
// and the two activity lamps changed over once per completed cycle; a query left without
// reply for a second shows as "No reply from the board" until the next reply, and any
// notice about the board ends with a completed cycle. Exactly one cycle is
// live; restart() abandons it. A port error ends the cycle quietly with the port closed,
// and acquisition stays stopped until the next restart(). UI thread only.
#pragma once

#include <QObject>

namespace tovana {

class AcquisitionCycle;
class CommPort;
class MonitorPanel;
struct ScalingTable;

class MeterAcquisition : public QObject {
    Q_OBJECT
public:
    // `scaling` is read at every display phase, so a new GetMultiplier shows at once.
    MeterAcquisition(CommPort *port, MonitorPanel *panel, const ScalingTable *scaling, QObject *parent = nullptr);

    // The settle-delay count N (the response setting); reaches a running cycle at once.
    void setSettleDelay(int count);
    int settleDelay() const;

    // Starts a new cycle at its discard read; a running one is abandoned wherever it waits.
    void restart();
    bool isRunning() const;

private:
    void showReadings(const QList<int> &readings);
    void changeOverLamps();

    AcquisitionCycle *m_cycle;
    MonitorPanel *m_panel;
    const ScalingTable *m_scaling;
};

} // namespace tovana
