// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MeterPlot.h"

#include "Station.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

namespace tovana {

namespace {

constexpr std::int64_t kSpanSeconds[] = {5 * 60, 60 * 60, 24 * 60 * 60};

QColor fromBgr(std::uint32_t bgr, int alpha)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF), alpha);
}

} // namespace

MeterPlot::MeterPlot(station::Station &station, int meter, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_station(station)
    , m_meter(meter)
    , m_span(new QComboBox(this))
    , m_chart(new QChart)
    , m_curve(new QLineSeries(m_chart))
    , m_trips(new QScatterSeries(m_chart))
    , m_time(new QDateTimeAxis(m_chart))
    , m_value(new QValueAxis(m_chart))
{
    setObjectName("frmPlot");
    setAttribute(Qt::WA_DeleteOnClose);
    m_span->setObjectName("Span");
    m_span->addItems({QStringLiteral("Last 5 minutes"), QStringLiteral("Last hour"), QStringLiteral("Last day")});
    m_curve->setName(QStringLiteral("Mean"));
    m_curve->setObjectName("Mean");
    m_curve->setPen(QPen(Qt::black, 1.5));
    m_trips->setName(QStringLiteral("Trips"));
    m_trips->setObjectName("Trips");
    m_trips->setColor(Qt::red);
    m_trips->setMarkerSize(10);
    m_chart->legend()->hide();
    m_time->setFormat(QStringLiteral("HH:mm:ss"));
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_value, Qt::AlignLeft);

    auto *view = new QChartView(m_chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_span);
    column->addWidget(view, 1);
    resize(640, 400);
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] {
        m_drawnSecond = -2;
        redraw();
    });
    m_station.addObserver(this);
    redraw();
}

MeterPlot::~MeterPlot()
{
    m_station.removeObserver(this);
}

void MeterPlot::setSpan(int span)
{
    m_span->setCurrentIndex(span);
}

void MeterPlot::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    if (change == StationChange::Meter && index == m_meter)
        m_drawnSecond = -2;
    if (change == StationChange::Readings || change == StationChange::Trip || change == StationChange::All ||
        m_drawnSecond == -2)
        redraw();
}

// The bands are areas from `from` to `to`, drawn first so the curve lies over them.
void MeterPlot::drawBands(std::int64_t fromMs, std::int64_t toMs)
{
    const station::MeterConfig &meter = m_station.meter(m_meter);
    for (const station::Annulus &band : meter.bands) {
        auto *area = new QAreaSeries;
        auto *upper = new QLineSeries(area);
        auto *lower = new QLineSeries(area);
        upper->append({QPointF(double(fromMs), band.stop), QPointF(double(toMs), band.stop)});
        lower->append({QPointF(double(fromMs), band.start), QPointF(double(toMs), band.start)});
        area->setUpperSeries(upper);
        area->setLowerSeries(lower);
        area->setObjectName("Band");
        area->setColor(fromBgr(band.color, 70));
        area->setBorderColor(Qt::transparent);
        m_chart->addSeries(area);
        area->attachAxis(m_time);
        area->attachAxis(m_value);
    }
}

void MeterPlot::redraw()
{
    const station::History &history = m_station.history();
    if (history.lastSecond() == m_drawnSecond)
        return;
    m_drawnSecond = history.lastSecond();
    const station::MeterConfig &meter = m_station.meter(m_meter);
    setWindowTitle(QString::fromStdString(meter.caption));

    const std::int64_t span = kSpanSeconds[std::clamp(m_span->currentIndex(), 0, 2)];
    const std::int64_t last = std::max<std::int64_t>(history.lastSecond(), 0);
    const std::int64_t first = last - span + 1;
    const auto readings = history.since(m_meter, first);

    for (QAbstractSeries *series : m_chart->series()) {
        m_chart->removeSeries(series);
        if (series != m_curve && series != m_trips)
            delete series;
    }
    drawBands(first * 1000, last * 1000);

    // A span longer than the points a plot can show: each point the mean of its stretch.
    const std::int64_t stretch = std::max<std::int64_t>(1, span / kMaxPoints);
    QList<QPointF> points;
    double sum = 0;
    int count = 0;
    std::int64_t bucket = -1;
    const auto flush = [&] {
        if (count > 0)
            points.append(QPointF(double(bucket * stretch * 1000), sum / count));
        sum = 0;
        count = 0;
    };
    for (const station::SecondSummary &second : readings) {
        if (second.second / stretch != bucket) {
            flush();
            bucket = second.second / stretch;
        }
        sum += second.mean;
        ++count;
    }
    flush();
    m_curve->replace(points);

    QList<QPointF> trips;
    for (std::int64_t at : history.trips(m_meter)) {
        if (at >= first * 1000)
            trips.append(QPointF(double(at), meter.scaleMax));
    }
    m_trips->replace(trips);

    for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(m_curve), static_cast<QAbstractSeries *>(m_trips)}) {
        m_chart->addSeries(series);
        series->attachAxis(m_time);
        series->attachAxis(m_value);
    }
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(first * 1000), QDateTime::fromMSecsSinceEpoch(last * 1000));
    m_value->setRange(meter.scaleMin, meter.scaleMax);
}

} // namespace tovana
