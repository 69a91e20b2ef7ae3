// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The one line under the panel while a limit's trip is latched: which limit, the reading
// that tripped it and when ("LimitTrip"), and the "Acknowledge" button ("LimitAck"). It
// shows the station's latest latched trip and hides when none is; the click only asks.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tovana {

namespace station {
class Station;
}

class TripBar : public QWidget {
    Q_OBJECT
public:
    explicit TripBar(QWidget *parent = nullptr);

    // Shows what the station holds now; the meter shown is the one the button acknowledges.
    void showTrips(const station::Station &station);
    int meter() const { return m_meter; }
    QLabel *line() const { return m_line; }
    QPushButton *acknowledgeButton() const { return m_acknowledge; }

signals:
    void acknowledgeClicked(int meter);

private:
    QLabel *m_line;
    QPushButton *m_acknowledge;
    int m_meter = -1;
};

} // namespace tovana
