// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "GaugeIcon.h"

#include <QPainter>
#include <QtMath>

namespace {

struct Band {
    int startDegrees; // counter-clockwise from three o'clock
    int spanDegrees;
    QColor colour;
};

// A 240-degree scale from seven o'clock round to five o'clock, green, then yellow, then red.
constexpr int ScaleStart = 210;
const Band Bands[] = {
    {ScaleStart, -140, QColor(0x2e, 0xb8, 0x4b)},
    {ScaleStart - 140, -50, QColor(0xf2, 0xc2, 0x1b)},
    {ScaleStart - 190, -50, QColor(0xd9, 0x2b, 0x2b)},
};
constexpr qreal NeedleDegrees = 120; // pointing into the green, up and to the left

} // namespace

void drawGaugeIcon(QPainter &painter, qreal size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face(1, 1, size - 2, size - 2);
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    painter.setBrush(QColor(0x20, 0x24, 0x2a));
    painter.drawEllipse(face);

    const qreal ringWidth = size / 8.0;
    const QRectF ring = face.adjusted(ringWidth, ringWidth, -ringWidth, -ringWidth);
    for (const Band &band : Bands) {
        painter.setPen(QPen(band.colour, ringWidth, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(ring, band.startDegrees * 16, band.spanDegrees * 16);
    }

    const QPointF centre = face.center();
    const qreal needle = ring.width() / 2;
    const qreal angle = qDegreesToRadians(NeedleDegrees);
    const QPointF tip = centre + QPointF(needle * qCos(angle), -needle * qSin(angle));
    painter.setPen(QPen(Qt::white, qMax(1.5, size / 20.0), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, tip);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, size / 14.0, size / 14.0);
    painter.restore();
}

QPixmap paintGaugeIcon(int size, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawGaugeIcon(painter, size);
    return pixmap;
}

QIcon gaugeWindowIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(paintGaugeIcon(size, 1));
    return icon;
}
