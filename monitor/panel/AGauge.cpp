// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "AGauge.h"

#include "Preferences.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

namespace tovana {

namespace {

constexpr double kStartAngle = 135;  // the scale minimum, upper left
constexpr double kSweep = 90;        // clockwise to the maximum, upper right
constexpr double kPivotDrop = 0.12;  // pivot below the bottom edge, in radii
constexpr int kMaxSubTicks = 20;     // more would only blacken the ring

const QColor kFaceColor(246, 243, 232);
const QColor kInkColor(30, 30, 30);
const QColor kNeedleColor(200, 20, 20);

QColor fromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// The distance between major ticks: the smallest of 1, 2, 2.5, 5 times a power of ten
// that splits the span into at most five parts.
double majorStep(double span)
{
    const double rough = std::abs(span) / 5;
    if (!(rough > 0) || !std::isfinite(rough))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double nice : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (nice * power >= rough * (1 - 1e-9))
            return nice * power;
    }
    return 10 * power;
}

QString scaleNumber(double value, double step)
{
    if (std::abs(value) < step * 1e-9)
        value = 0;
    return formatReal(value, 4);
}

QPointF polar(const QPointF &centre, double radius, double degrees)
{
    const double rad = qDegreesToRadians(degrees);
    return centre + QPointF(radius * std::cos(rad), -radius * std::sin(rad));
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
    if (!parseReal(text, &value))
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
    if (!parseReal(text, &value))
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
    if (!parseReal(text, &value))
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
    if (!parseReal(text, &value) || value != std::floor(value) || value > 32767)
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
    if (!parseReal(text, &value))
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
    if (!parseReal(text, &value))
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
    if (!parseReal(text, &value) || value != std::floor(value) || value < 0 || value > 0xFFFFFFFF)
        return false;
    setAnnulusColor(std::uint32_t(value));
    return true;
}

void AGauge::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_faceValid = false;
}

void AGauge::faceChanged()
{
    m_faceValid = false;
    update();
}

AGauge::Geometry AGauge::geometry() const
{
    // The pivot lies just below the bottom edge, as on a VU meter: a flat, wide arc with
    // room for the caption between the numbers and the needle's cap.
    const double w = width();
    const double h = height();
    const double halfChord = std::sin(qDegreesToRadians(kSweep / 2));
    const double radius = std::max(4.0, std::min((w - 8) / (2 * halfChord), (h - 3) / (1 - kPivotDrop)));
    return {QPointF(w / 2, h + kPivotDrop * radius), radius, std::max(2.0, radius * 0.11)};
}

double AGauge::fraction(double value) const
{
    const double span = m_scaleMax - m_scaleMin;
    if (span == 0 || !std::isfinite(span))
        return 0;
    const double f = (value - m_scaleMin) / span;
    if (std::isnan(f))
        return 0;
    return std::clamp(f, 0.0, 1.0);
}

double AGauge::angleFor(double value) const
{
    return kStartAngle - kSweep * fraction(value);
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
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(kFaceColor);
    p.drawRoundedRect(plate, 4, 4);

    const Geometry g = geometry();
    const double inner = g.radius - g.ringWidth;

    // Annulus 0 is the ring's ground, annulus 1 a fine line along its inner edge, 2..4
    // the colour bands over them.
    auto ringSegment = [&](const Ring &ring, double outerR, double innerR) {
        const double a0 = angleFor(std::min(ring.start, ring.stop));
        const double a1 = angleFor(std::max(ring.start, ring.stop));
        if (a0 - a1 <= 0)
            return;
        const QRectF outerBox(g.pivot.x() - outerR, g.pivot.y() - outerR, 2 * outerR, 2 * outerR);
        const QRectF innerBox(g.pivot.x() - innerR, g.pivot.y() - innerR, 2 * innerR, 2 * innerR);
        QPainterPath path;
        path.arcMoveTo(outerBox, a0);
        path.arcTo(outerBox, a0, a1 - a0);
        path.arcTo(innerBox, a1, a0 - a1);
        path.closeSubpath();
        p.fillPath(path, fromBgr(ring.color));
    };
    ringSegment(m_rings[0], g.radius, inner);
    for (int i = 2; i < kAnnulusCount; ++i)
        ringSegment(m_rings[i], g.radius, inner);
    ringSegment(m_rings[1], inner + 0.8, inner);

    // Ticks: majors across the ring with their numbers inside it, tick set 0's minor
    // ticks on the ring's outer half, tick set 1's on its inner half.
    const double step = majorStep(m_scaleMax - m_scaleMin);
    QFont numberFont = font();
    numberFont.setPixelSize(std::max(6, int(height() * 0.15)));
    p.setFont(numberFont);
    const QFontMetricsF numberMetrics(numberFont);
    p.setPen(QPen(kInkColor, 1.0));
    if (step > 0) {
        const double lo = std::min(m_scaleMin, m_scaleMax);
        const double hi = std::max(m_scaleMin, m_scaleMax);
        const double first = std::ceil(lo / step - 1e-9) * step;
        // Counted, not accumulated: far from zero a step can vanish in rounding.
        const int majors = int(std::clamp(std::floor((hi - first) / step + 1e-9), 0.0, 10.0));
        for (int m = 0; m <= majors; ++m) {
            const double major = first + m * step;
            const double a = angleFor(major);
            p.setPen(QPen(kInkColor, 1.2));
            p.drawLine(polar(g.pivot, g.radius + 1.5, a), polar(g.pivot, inner - 2, a));
            const QString text = scaleNumber(major, step);
            const QSizeF box = numberMetrics.size(0, text);
            const double labelR = inner - 3 - box.height() * 0.55 - box.width() * 0.25;
            const QPointF at = polar(g.pivot, labelR, a);
            p.drawText(QRectF(at.x() - box.width() / 2, at.y() - box.height() / 2, box.width(), box.height()),
                       Qt::AlignCenter, text);
            for (int set = 0; set < kTickSetCount; ++set) {
                const int count = std::min(m_subTicks[set], kMaxSubTicks);
                const double outerR = set == 0 ? g.radius : inner + g.ringWidth / 2;
                const double innerR = set == 0 ? g.radius - g.ringWidth / 2 : inner;
                p.setPen(QPen(kInkColor, 0.7));
                for (int k = 1; k <= count; ++k) {
                    const double minor = major + step * k / (count + 1);
                    if (minor > hi + step * 1e-9)
                        break;
                    const double am = angleFor(minor);
                    p.drawLine(polar(g.pivot, outerR, am), polar(g.pivot, innerR, am));
                }
            }
        }
    }

    // The caption, bold, between the numbers and the needle's cap.
    QFont captionFont = font();
    captionFont.setPixelSize(std::max(7, int(height() * 0.17)));
    captionFont.setBold(true);
    p.setFont(captionFont);
    p.setPen(kInkColor);
    const double captionHeight = QFontMetricsF(captionFont).height();
    p.drawText(QRectF(0, height() * 0.8 - captionHeight / 2, width(), captionHeight), Qt::AlignCenter, m_caption);

    m_faceValid = true;
}

void AGauge::paintEvent(QPaintEvent *)
{
    if (!m_faceValid || m_face.devicePixelRatio() != devicePixelRatioF() || m_face.size() != size() * devicePixelRatioF())
        renderFace();

    QPainter p(this);
    p.drawPixmap(0, 0, m_face);
    p.setRenderHint(QPainter::Antialiasing);

    const Geometry g = geometry();
    const QPointF tip = polar(g.pivot, g.radius - 1, angleFor(m_needle));
    p.setPen(QPen(kNeedleColor, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(g.pivot, tip);
    // The cap over the pivot, cut by the bottom edge.
    p.setPen(Qt::NoPen);
    p.setBrush(kInkColor);
    const double cap = g.radius * 0.2;
    p.drawEllipse(g.pivot, cap, cap);
}

} // namespace tovana
