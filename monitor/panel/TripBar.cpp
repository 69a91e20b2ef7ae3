// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TripBar.h"

#include "Station.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tovana {

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

void TripBar::showTrips(const station::Station &station)
{
    m_meter = station.latestTrip();
    if (m_meter < 0) {
        setVisible(false);
        return;
    }
    const QString time = QDateTime::fromMSecsSinceEpoch(station.trip(m_meter).at).toString(QStringLiteral("HH:mm:ss"));
    m_line->setText(QString::fromStdString(station.latestTripLine(time.toStdString())));
    setVisible(true);
}

} // namespace tovana
