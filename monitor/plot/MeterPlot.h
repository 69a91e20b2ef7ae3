// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One meter's readings over the last 5 minutes, hour or day ("frmPlot"): the mean of each
// second as a curve ("Mean"), the meter's three colour bands behind it and its trips marked
// ("Trips"). A view of the station's history: it keeps nothing of its own and redraws
// when a second completes. Long spans are thinned to at most kMaxPoints, each their mean.
#pragma once

#include "StationObserver.h"

#include <QWidget>
#include <cstdint>

class QChart;
class QComboBox;
class QLineSeries;
class QScatterSeries;
class QDateTimeAxis;
class QValueAxis;

namespace tovana {

namespace station {
class Station;
}

class MeterPlot : public QWidget, private station::StationObserver {
    Q_OBJECT
public:
    static constexpr int kMaxPoints = 1200;

    MeterPlot(station::Station &station, int meter, QWidget *parent = nullptr);
    ~MeterPlot() override;

    int meter() const { return m_meter; }
    // The span shown: 0 the last 5 minutes, 1 the last hour, 2 the last day ("Span").
    void setSpan(int span);
    QLineSeries *curve() const { return m_curve; }
    QScatterSeries *trips() const { return m_trips; }
    QChart *chart() const { return m_chart; }

private:
    void stationChanged(station::StationChange change, int index) override;
    void redraw();
    void drawBands(std::int64_t fromMs, std::int64_t toMs);

    station::Station &m_station;
    int m_meter;
    QComboBox *m_span;
    QChart *m_chart;
    QLineSeries *m_curve;
    QScatterSeries *m_trips;
    QDateTimeAxis *m_time;
    QValueAxis *m_value;
    std::int64_t m_drawnSecond = -2;
};

} // namespace tovana
