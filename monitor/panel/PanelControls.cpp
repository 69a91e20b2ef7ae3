// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PanelControls.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace tovana {

QFont scaledFont(const QFont &font, double factor)
{
    QFont scaled = font;
    if (font.pointSizeF() > 0)
        scaled.setPointSizeF(std::max(1.0, font.pointSizeF() * factor));
    else
        scaled.setPixelSize(std::max(1, int(font.pixelSize() * factor)));
    return scaled;
}

QFont FittingButton::captionFont() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const int room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width() - 2 * markWidth();
    QFont shown = font();
    for (int tries = 0; tries < 4; ++tries) {
        const double advance = QFontMetricsF(shown).horizontalAdvance(option.text);
        if (advance <= room || room <= 0)
            break;
        shown = scaledFont(shown, room / advance * 0.98);
    }
    return shown;
}

void FittingButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (sunken()) {
        option.state |= QStyle::State_Sunken;
        option.state &= ~QStyle::State_Raised;
    }
    const QFont shown = captionFont();
    if (shown != font()) {
        painter.setFont(shown);
        option.fontMetrics = QFontMetrics(shown);
    }
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.save();
    paintMark(painter);
    painter.restore();
}

IndicatorButton::IndicatorButton(const QString &caption, QWidget *parent) : FittingButton(caption, parent)
{
    // Only the weight is set here; family and size follow the panel.
    QFont bold;
    bold.setBold(true);
    setFont(bold);
}

int IndicatorButton::markWidthFor(int height)
{
    return std::max(2, height / 8);
}

void IndicatorButton::setWaiting(const QString &why)
{
    m_waitingFor = why;
    setEnabled(why.isEmpty());
    setToolTip(why);
    update();
}

void IndicatorButton::paintMark(QPainter &painter)
{
    // A dark frame inside the bevel marks the selection in any colour vision.
    if (isWaiting())
        paintDashedFrame(painter);
    else
        paintFrame(painter, QColor(20, 60, 20), markWidth());
}

void IndicatorButton::paintDashedFrame(QPainter &painter)
{
    paintFrame(painter, palette().color(QPalette::Disabled, QPalette::ButtonText), std::max(1, markWidth() / 2),
               Qt::DashLine);
}

void IndicatorButton::paintFrame(QPainter &painter, const QColor &colour, int width, Qt::PenStyle style)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, width, style, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const double inset = 1 + markWidth() / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

TxIndicator::TxIndicator(const QString &caption, QWidget *parent) : IndicatorButton(caption, parent)
{
    setState(State::Receive);
}

void TxIndicator::setState(State state)
{
    m_state = state;
    // Lit in its colour; otherwise the style's own button, greyed when nothing is known.
    QPalette shown = QPalette();
    if (state == State::Held)
        shown.setColor(QPalette::Button, QColor(255, 90, 60));
    setPalette(shown);
    setEnabled(state != State::Unknown);
    QFont weight;
    weight.setBold(state == State::Held);
    setFont(weight);
    setToolTip(state == State::Held      ? QStringLiteral("Transmitting: the band relays are held")
               : state == State::Unknown ? QStringLiteral("Transmit state unknown: the link server cannot be read")
                                         : QStringLiteral("Receiving: the band relays follow"));
    update();
}

void TxIndicator::paintMark(QPainter &painter)
{
    if (m_state == State::Held)
        paintFrame(painter, QColor(70, 10, 0), markWidth());
    else if (m_state == State::Unknown) // dashed: neither held nor free is known
        paintDashedFrame(painter);
}

LampBar::LampBar(Look look, QWidget *parent) : QWidget(parent), m_look(look) {}

void LampBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = palette().color(QPalette::Window);
    const double line = std::max(1.5, height() / 5.0);
    const QRectF bar = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    if (m_look == Look::Outlined) {
        painter.setPen(QPen(colour, line));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bar);
        return;
    }
    painter.setPen(QPen(colour.darker(150), 1));
    painter.setBrush(colour);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    // The tick: on.
    const double h = height();
    const QPointF centre = QRectF(rect()).center();
    QPainterPath tick;
    tick.moveTo(centre + QPointF(-0.45 * h, 0));
    tick.lineTo(centre + QPointF(-0.12 * h, 0.3 * h));
    tick.lineTo(centre + QPointF(0.45 * h, -0.3 * h));
    painter.setPen(QPen(Qt::white, std::max(1.2, h / 6), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

RoundLamp::RoundLamp(const QColor &colour, QWidget *parent) : QWidget(parent), m_colour(colour) {}

void RoundLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height());
    const QRectF lamp((width() - side) / 2 + side * 0.1, (height() - side) / 2 + side * 0.1, side * 0.8, side * 0.8);
    QRadialGradient glow(lamp.center() - QPointF(side * 0.1, side * 0.13), side * 0.53);
    glow.setColorAt(0, m_colour.lighter(170));
    glow.setColorAt(1, m_colour);
    painter.setBrush(glow);
    painter.setPen(QPen(m_colour.darker(180), std::max(1.0, side / 15)));
    painter.drawEllipse(lamp);
}

} // namespace tovana
