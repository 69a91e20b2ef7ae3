// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TripBar.h"

#include "Station.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tovana {

QString tripText(const station::Station &station, int meter)
{
    const station::LimitConfig &limit = station.limits()[meter];
    const station::LimitTrip &trip = station.trip(meter);
    return QStringLiteral("%1 %2 %3: %4 at %5")
        .arg(QString::fromStdString(station.meter(meter).caption),
             limit.kind == station::LimitKind::Below ? QStringLiteral("below") : QStringLiteral("above"),
             QString::number(limit.value), QString::number(trip.reading, 'g', 3),
             QDateTime::fromMSecsSinceEpoch(trip.at).toString(QStringLiteral("HH:mm:ss")));
}

TripBar::TripBar(QWidget *parent) : QWidget(parent), m_line(new QLabel(this)), m_acknowledge(new QPushButton(this))
{
    setObjectName("TripBar");
    m_line->setObjectName("LimitTrip");
    m_line->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold"));
    m_acknowledge->setObjectName("LimitAck");
    m_acknowledge->setText(QStringLiteral("Acknowledge"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(m_line, 1);
    row->addWidget(m_acknowledge);
    connect(m_acknowledge, &QPushButton::clicked, this, [this] {
        if (m_meter >= 0)
            emit acknowledgeClicked(m_meter);
    });
}

// The latest of the latched trips; more than one says how many more wait.
void TripBar::showTrips(const station::Station &station)
{
    m_meter = -1;
    int latched = 0;
    for (int i = 0; i < station::kMeterCount; ++i) {
        if (!station.trip(i).latched)
            continue;
        ++latched;
        if (m_meter < 0 || station.trip(i).at > station.trip(m_meter).at)
            m_meter = i;
    }
    if (m_meter < 0) {
        setVisible(false);
        return;
    }
    QString text = tripText(station, m_meter);
    if (latched > 1)
        text += QStringLiteral(" (%1 more tripped)").arg(latched - 1);
    m_line->setText(text);
    setVisible(true);
}

} // namespace tovana
