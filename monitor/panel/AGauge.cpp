// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "AGauge.h"

#include "TextForms.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QtMath>
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

constexpr double kStartAngle = 160; // the scale minimum, left
constexpr double kSweep = 140;      // clockwise to the maximum, right; all above the hub
constexpr int kMaxSubTicks = 20;    // more would only blacken the ring
constexpr int kMaxMajors = 10;
constexpr double kSmallestText = 6; // pixels; below this nothing is legible

const QColor kFaceColor(246, 243, 232);
const QColor kInkColor(30, 30, 30);
const QColor kNeedleColor(200, 20, 20);
const QColor kNoReadingColor(150, 150, 150);
const QColor kTrippedColor(220, 0, 0);

QColor fromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// The next distance between major ticks above `step`, or the first one that splits the
// span into at most five parts when `step` is 0: 1, 2, 2.5 or 5 times a power of ten.
double niceStep(double span, double step)
{
    const double rough = step > 0 ? step * (1 + 1e-9) : std::abs(span) / 5;
    if (!(rough > 0) || !std::isfinite(rough))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double nice : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (nice * power >= rough * (1 - 1e-9) && (step == 0 || nice * power > step * (1 + 1e-12)))
            return nice * power;
    }
    return 10 * power;
}

QFont sizedFont(const QFont &base, double pixels, bool bold)
{
    QFont font = base;
    font.setPixelSize(std::max(1, int(pixels)));
    font.setBold(bold);
    return font;
}

QString scaleNumber(double value, double step)
{
    if (std::abs(value) < step * 1e-9)
        value = 0;
    return QString::fromStdString(station::formatReal(value, 4));
}

QPointF polar(const QPointF &centre, double radius, double degrees)
{
    const double rad = qDegreesToRadians(degrees);
    return centre + QPointF(radius * std::cos(rad), -radius * std::sin(rad));
}

// One more pixel between two numbers than the eye needs to tell them apart.
bool crowded(const QRectF &a, const QRectF &b)
{
    return a.adjusted(-1, -1, 1, 1).intersects(b);
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
        if (layoutFace().caption != m_caption)
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

AGauge::Geometry AGauge::geometry() const
{
    // From the bottom up: the caption, the hub just above it, the arc above the hub. The
    // needle sweeps only the half plane above the hub, so it never reaches the caption.
    const double w = width();
    const double h = height();
    const double margin = std::max(2.0, h * 0.04);
    const double captionPixels = std::max(kSmallestText, h * 0.135);
    const double captionHeight = QFontMetricsF(sizedFont(font(), captionPixels, true)).height();
    const QRectF captionBox(margin, h - margin - captionHeight, std::max(0.0, w - 2 * margin), captionHeight);
    const double cap = std::max(2.0, h * 0.055);
    const double pivotY = captionBox.top() - cap - 1;
    const double halfChord = std::sin(qDegreesToRadians(kSweep / 2));
    const double radius = std::max(4.0, std::min(pivotY - margin, (w / 2 - margin) / halfChord));
    return {QPointF(w / 2, pivotY), radius, std::max(2.0, radius * 0.11), cap, captionBox, captionPixels};
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

QList<AGauge::Number> AGauge::placeNumbers(const Geometry &g, double step, const QFontMetricsF &metrics) const
{
    QList<Number> numbers;
    const double lo = std::min(m_scaleMin, m_scaleMax);
    const double hi = std::max(m_scaleMin, m_scaleMax);
    const double first = std::ceil(lo / step - 1e-9) * step;
    // Counted, not accumulated: far from zero a step can vanish in rounding.
    const int majors = int(std::clamp(std::floor((hi - first) / step + 1e-9), 0.0, double(kMaxMajors)));
    const double inner = g.radius - g.ringWidth;
    for (int m = 0; m <= majors; ++m) {
        const double value = first + m * step;
        const QString text = scaleNumber(value, step);
        const QSizeF box = metrics.size(0, text);
        // Far enough inside the ring that the box's corner clears it at any angle.
        const double labelR = inner - 3 - std::hypot(box.width(), box.height()) / 2;
        const QPointF at = polar(g.pivot, labelR, angleFor(value));
        numbers.append(
            {text, value, QRectF(at.x() - box.width() / 2, at.y() - box.height() / 2, box.width(), box.height())});
    }
    return numbers;
}

AGauge::Face AGauge::layoutFace() const
{
    Face face;
    face.g = geometry();
    const Geometry &g = face.g;

    // Numbers: the finest step whose numbers stand apart; when even the coarsest step that
    // still shows two numbers crowds them, a smaller text. A span with no usable step has
    // no numbers.
    const double span = m_scaleMax - m_scaleMin;
    const double finest = niceStep(span, 0);
    const auto usable = [](double step) { return step > 0 && std::isfinite(step); };
    for (double pixels = std::max(kSmallestText, height() * 0.13); usable(finest); pixels -= 1) {
        const QFontMetricsF metrics(sizedFont(font(), pixels, false));
        const bool smallest = pixels - 1 < kSmallestText;
        bool placed = false;
        for (double step = finest; usable(step) && !placed; step = niceStep(span, step)) {
            const QList<Number> numbers = placeNumbers(g, step, metrics);
            bool apart = true;
            for (qsizetype k = 1; k < numbers.size() && apart; ++k)
                apart = !crowded(numbers[k - 1].box, numbers[k].box);
            const bool coarsest = numbers.size() <= 2;
            if (apart || (coarsest && smallest)) {
                face.step = step;
                face.numberPixels = pixels;
                face.numbers = numbers;
                placed = true;
            } else if (coarsest) {
                break;
            }
        }
        if (placed || smallest)
            break;
    }

    // The caption in the largest text up to its design size that its box holds.
    double pixels = g.captionPixels;
    QFont captionFont = sizedFont(font(), pixels, true);
    double advance = QFontMetricsF(captionFont).horizontalAdvance(m_caption);
    while (advance > g.captionBox.width() && pixels > kSmallestText) {
        pixels = std::max(kSmallestText, std::floor(pixels * g.captionBox.width() / advance));
        captionFont = sizedFont(font(), pixels, true);
        advance = QFontMetricsF(captionFont).horizontalAdvance(m_caption);
        if (pixels == kSmallestText)
            break;
    }
    const QFontMetricsF captionMetrics(captionFont);
    face.captionFont = captionFont;
    face.caption = advance <= g.captionBox.width()
                       ? m_caption
                       : captionMetrics.elidedText(m_caption, Qt::ElideRight, g.captionBox.width());
    const double shown = captionMetrics.horizontalAdvance(face.caption);
    face.captionText = QRectF(g.captionBox.center().x() - shown / 2, g.captionBox.bottom() - captionMetrics.height(),
                              shown, captionMetrics.height());
    return face;
}

QRectF AGauge::captionRect() const
{
    return layoutFace().captionText;
}

QString AGauge::shownCaption() const
{
    return layoutFace().caption;
}

QList<QRectF> AGauge::scaleNumberRects() const
{
    QList<QRectF> rects;
    for (const Number &number : layoutFace().numbers)
        rects.append(number.box);
    return rects;
}

QRectF AGauge::hubRect() const
{
    const Geometry g = geometry();
    return QRectF(g.pivot.x() - g.cap, g.pivot.y() - g.cap, 2 * g.cap, 2 * g.cap);
}

QLineF AGauge::needleLine() const
{
    const Geometry g = geometry();
    return QLineF(g.pivot, polar(g.pivot, g.radius - 1, angleFor(m_needle)));
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
    const double corner = std::max(3.0, height() * 0.06);
    p.drawRoundedRect(plate, corner, corner);

    const Face face = layoutFace();
    const Geometry &g = face.g;
    const double inner = g.radius - g.ringWidth;
    const double line = std::max(1.0, height() / 57.0);

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
    ringSegment(m_rings[1], inner + 0.8 * line, inner);

    // Ticks: majors across the ring with their numbers inside it, tick set 0's minor
    // ticks on the ring's outer half, tick set 1's on its inner half.
    p.setFont(sizedFont(font(), face.numberPixels, false));
    const double hi = std::max(m_scaleMin, m_scaleMax);
    for (const Number &number : face.numbers) {
        const double a = angleFor(number.value);
        p.setPen(QPen(kInkColor, 1.2 * line));
        p.drawLine(polar(g.pivot, g.radius + 1.5 * line, a), polar(g.pivot, inner - 2 * line, a));
        p.drawText(number.box, Qt::AlignCenter, number.text);
        for (int set = 0; set < kTickSetCount; ++set) {
            const int count = std::min(m_subTicks[set], kMaxSubTicks);
            const double outerR = set == 0 ? g.radius : inner + g.ringWidth / 2;
            const double innerR = set == 0 ? g.radius - g.ringWidth / 2 : inner;
            p.setPen(QPen(kInkColor, 0.7 * line));
            for (int k = 1; k <= count; ++k) {
                const double minor = number.value + face.step * k / (count + 1);
                if (minor > hi + face.step * 1e-9)
                    break;
                const double am = angleFor(minor);
                p.drawLine(polar(g.pivot, outerR, am), polar(g.pivot, innerR, am));
            }
        }
    }

    // The caption, bold, below the hub.
    p.setFont(face.captionFont);
    p.setPen(kInkColor);
    p.drawText(face.captionText, Qt::AlignCenter, face.caption);

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

    // Without a reading the needle stands greyed and dashed where it was left.
    const Geometry g = geometry();
    const double line = std::max(1.0, height() / 57.0);
    const QColor needle = m_noReading ? kNoReadingColor : kNeedleColor;
    p.setPen(QPen(needle, 1.4 * line, m_noReading ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap));
    p.drawLine(needleLine());
    p.setPen(Qt::NoPen);
    p.setBrush(m_noReading ? kNoReadingColor : kInkColor);
    p.drawEllipse(g.pivot, g.cap, g.cap);

    // Drawn over the face, not into it: a trip comes and goes without a new face.
    if (m_tripped) {
        const double frame = std::max(2.0, height() / 30.0);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kTrippedColor, frame));
        p.drawRect(QRectF(rect()).adjusted(frame / 2, frame / 2, -frame / 2, -frame / 2));
    }
}

} // namespace tovana
