// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "AGauge.h"

#include "TextForms.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

namespace tovana {

namespace {

// A number handed over as text, with a point or a comma.
bool parseReal(const QString &text, double &value)
{
    const std::optional<double> parsed = station::parseReal(text.toStdString());
    if (parsed)
        value = *parsed;
    return parsed.has_value();
}

QColor toQt(face::Rgb colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

const QColor kFaceColor = toQt(face::kPlateColour);
const QColor kBevelColor = toQt(face::kBevelColour);
const QColor kInkColor = toQt(face::kInkColour);
const QColor kNeedleColor = toQt(face::kNeedleColour);
const QColor kNoReadingColor = toQt(face::kNoReadingColour);
const QColor kTrippedColor = toQt(face::kTrippedColour);

QColor fromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QFont sizedFont(const QFont &base, double pixels, bool bold)
{
    QFont font = base;
    font.setPixelSize(std::max(1, int(pixels)));
    font.setBold(bold);
    return font;
}

QPointF toQt(const face::Point &point)
{
    return {point.x, point.y};
}

QRectF toQt(const face::Box &box)
{
    return {box.x, box.y, box.width, box.height};
}

} // namespace

AGauge::AGauge(QWidget *parent)
    : QWidget(parent)
    , m_rings{{{0, 5, 0x00C8C8C8}, {0, 5, 0x00505050}, {0, 3, 32768}, {3, 4, 65535}, {4, 5, 255}}}
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize AGauge::sizeHint() const
{
    return {105, 57};
}

void AGauge::setNeedleValue(double value)
{
    if (value == m_needle)
        return;
    m_needle = value;
    update();
}

bool AGauge::setNeedleValue(const QString &text)
{
    double value;
    if (!parseReal(text, value))
        return false;
    setNeedleValue(value);
    return true;
}

void AGauge::setScaleMin(double value)
{
    m_scaleMin = value;
    faceChanged();
}

bool AGauge::setScaleMin(const QString &text)
{
    double value;
    if (!parseReal(text, value))
        return false;
    setScaleMin(value);
    return true;
}

void AGauge::setScaleMax(double value)
{
    m_scaleMax = value;
    faceChanged();
}

bool AGauge::setScaleMax(const QString &text)
{
    double value;
    if (!parseReal(text, value))
        return false;
    setScaleMax(value);
    return true;
}

void AGauge::setCaption(const QString &caption)
{
    m_caption = caption;
    faceChanged();
}

bool AGauge::setTickSet(int index)
{
    if (index < 0 || index >= kTickSetCount)
        return false;
    m_tickSet = index;
    return true;
}

bool AGauge::setSubTickCount(int count)
{
    if (count < 0)
        return false;
    m_subTicks[m_tickSet] = count;
    faceChanged();
    return true;
}

bool AGauge::setSubTickCount(const QString &text)
{
    double value;
    if (!parseReal(text, value) || value != std::floor(value) || value > 32767)
        return false;
    return setSubTickCount(int(value));
}

bool AGauge::setAnnulus(int index)
{
    if (index < 0 || index >= kAnnulusCount)
        return false;
    m_annulus = index;
    return true;
}

void AGauge::setAnnulusStart(double value)
{
    m_rings[m_annulus].start = value;
    faceChanged();
}

bool AGauge::setAnnulusStart(const QString &text)
{
    double value;
    if (!parseReal(text, value))
        return false;
    setAnnulusStart(value);
    return true;
}

void AGauge::setAnnulusStop(double value)
{
    m_rings[m_annulus].stop = value;
    faceChanged();
}

bool AGauge::setAnnulusStop(const QString &text)
{
    double value;
    if (!parseReal(text, value))
        return false;
    setAnnulusStop(value);
    return true;
}

void AGauge::setAnnulusColor(std::uint32_t color)
{
    m_rings[m_annulus].color = color;
    faceChanged();
}

bool AGauge::setAnnulusColor(const QString &text)
{
    double value;
    if (!parseReal(text, value) || value != std::floor(value) || value < 0 || value > 0xFFFFFFFF)
        return false;
    setAnnulusColor(std::uint32_t(value));
    return true;
}

void AGauge::setNoReading(bool noReading)
{
    if (noReading == m_noReading)
        return;
    m_noReading = noReading;
    update();
}

void AGauge::setTripped(bool tripped)
{
    if (tripped == m_tripped)
        return;
    m_tripped = tripped;
    update();
}

void AGauge::mouseDoubleClickEvent(QMouseEvent *event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

// A caption too long for the face even in the smallest text shows whole in a tooltip.
bool AGauge::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (layOut().caption != m_caption.toStdString())
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), m_caption, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void AGauge::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    faceChanged();
}

void AGauge::faceChanged()
{
    m_faceValid = false;
    update();
}

face::GaugeFace AGauge::layOut() const
{
    const QFont base = font();
    return face::layOutGauge(
        width(), height(), m_scaleMin, m_scaleMax, m_caption.toStdString(),
        [&base](const std::string &text, double pixels, bool bold) {
            const QFontMetricsF metrics(sizedFont(base, pixels, bold));
            return face::TextSize{metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
        });
}

QRectF AGauge::captionRect() const
{
    return toQt(layOut().captionText);
}

QString AGauge::shownCaption() const
{
    return QString::fromStdString(layOut().caption);
}

QList<QRectF> AGauge::scaleNumberRects() const
{
    QList<QRectF> rects;
    for (const face::ScaleNumber &number : layOut().numbers)
        rects.append(toQt(number.box));
    return rects;
}

QRectF AGauge::hubRect() const
{
    const face::GaugeFace f = layOut();
    return QRectF(f.pivot.x - f.cap, f.pivot.y - f.cap, 2 * f.cap, 2 * f.cap);
}

QLineF AGauge::needleLine() const
{
    const face::GaugeFace f = layOut();
    return QLineF(toQt(f.pivot), toQt(f.needleTip(m_needle)));
}

void AGauge::renderFace()
{
    const qreal dpr = devicePixelRatioF();
    m_face = QPixmap(size() * dpr);
    m_face.setDevicePixelRatio(dpr);
    m_face.fill(palette().color(QPalette::Window));

    QPainter p(&m_face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The face: a cream plate with a thin dark bevel.
    const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(kBevelColor, 1));
    p.setBrush(kFaceColor);
    const double corner = std::max(3.0, height() * 0.06);
    p.drawRoundedRect(plate, corner, corner);

    m_layout = layOut();
    const face::GaugeFace &f = m_layout;
    const double inner = f.inner();

    // Annulus 0 is the ring's ground, annulus 1 a fine line along its inner edge, 2..4
    // the colour bands over them.
    auto ringSegment = [&](const Ring &ring, double outerR, double innerR) {
        const std::optional<face::Arc> arc = f.arc(ring.start, ring.stop);
        if (!arc)
            return;
        const QRectF outerBox(f.pivot.x - outerR, f.pivot.y - outerR, 2 * outerR, 2 * outerR);
        const QRectF innerBox(f.pivot.x - innerR, f.pivot.y - innerR, 2 * innerR, 2 * innerR);
        QPainterPath path;
        path.arcMoveTo(outerBox, arc->from);
        path.arcTo(outerBox, arc->from, arc->to - arc->from);
        path.arcTo(innerBox, arc->to, arc->from - arc->to);
        path.closeSubpath();
        p.fillPath(path, fromBgr(ring.color));
    };
    ringSegment(m_rings[0], f.radius, inner);
    for (int i = 2; i < kAnnulusCount; ++i)
        ringSegment(m_rings[i], f.radius, inner);
    ringSegment(m_rings[1], inner + 0.8 * f.line, inner);

    // Ticks: majors across the ring with their numbers inside it, tick set 0's minor
    // ticks on the ring's outer half, tick set 1's on its inner half.
    p.setFont(sizedFont(font(), f.numberPixels, false));
    for (const face::ScaleNumber &number : f.numbers) {
        const double a = f.angleFor(number.value);
        p.setPen(QPen(kInkColor, 1.2 * f.line));
        p.drawLine(toQt(f.polar(f.radius + 1.5 * f.line, a)), toQt(f.polar(inner - 2 * f.line, a)));
        p.drawText(toQt(number.box), Qt::AlignCenter, QString::fromStdString(number.text));
    }
    p.setPen(QPen(kInkColor, 0.7 * f.line));
    for (int set = 0; set < kTickSetCount; ++set) {
        const double outerR = set == 0 ? f.radius : inner + f.ringWidth / 2;
        const double innerR = set == 0 ? f.radius - f.ringWidth / 2 : inner;
        for (double minor : f.minorTicks(m_subTicks[set])) {
            const double a = f.angleFor(minor);
            p.drawLine(toQt(f.polar(outerR, a)), toQt(f.polar(innerR, a)));
        }
    }

    // The caption, bold, below the hub.
    p.setFont(sizedFont(font(), f.captionPixels, true));
    p.setPen(kInkColor);
    p.drawText(toQt(f.captionText), Qt::AlignCenter, QString::fromStdString(f.caption));

    m_faceValid = true;
}

void AGauge::paintEvent(QPaintEvent *)
{
    if (!m_faceValid || m_face.devicePixelRatio() != devicePixelRatioF() ||
        m_face.size() != size() * devicePixelRatioF())
        renderFace();

    QPainter p(this);
    p.drawPixmap(0, 0, m_face);
    p.setRenderHint(QPainter::Antialiasing);

    // Without a reading the needle stands greyed and dashed where it was left. The face's
    // layout is the one just drawn: a needle move lays out nothing.
    const face::GaugeFace &f = m_layout;
    const QColor needle = m_noReading ? kNoReadingColor : kNeedleColor;
    p.setPen(QPen(needle, 1.4 * f.line, m_noReading ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap));
    p.drawLine(toQt(f.pivot), toQt(f.needleTip(m_needle)));
    p.setPen(Qt::NoPen);
    p.setBrush(m_noReading ? kNoReadingColor : kInkColor);
    p.drawEllipse(toQt(f.pivot), f.cap, f.cap);

    // Drawn over the face, not into it: a trip comes and goes without a new face.
    if (m_tripped) {
        const double frame = std::max(2.0, height() / 30.0);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kTrippedColor, frame));
        p.drawRect(QRectF(rect()).adjusted(frame / 2, frame / 2, -frame / 2, -frame / 2));
    }
}

} // namespace tovana
