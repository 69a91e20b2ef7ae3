// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "GaugeFace.h"

#include "TextForms.h"

#include <algorithm>
#include <cmath>

namespace tovana::face {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStartAngle = 160; // the scale minimum, left
constexpr double kSweep = 140;      // clockwise to the maximum, right; all above the hub
constexpr int kMaxMajors = 10;
constexpr double kSmallestText = 6; // pixels; below this nothing is legible
const std::string kEllipsis = "\u2026";

double radians(double degrees)
{
    return degrees * kPi / 180;
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

bool usable(double step)
{
    return step > 0 && std::isfinite(step);
}

// One more pixel between two numbers than the eye needs to tell them apart.
bool crowded(const Box &a, const Box &b)
{
    return a.x - 1 < b.right() && b.x < a.right() + 1 && a.y - 1 < b.bottom() && b.y < a.bottom() + 1;
}

std::vector<ScaleNumber> placeNumbers(const GaugeFace &face, double step, double pixels, const MeasureText &measure)
{
    std::vector<ScaleNumber> numbers;
    const double lo = std::min(face.scaleMin, face.scaleMax);
    const double hi = std::max(face.scaleMin, face.scaleMax);
    const double first = std::ceil(lo / step - 1e-9) * step;
    // Counted, not accumulated: far from zero a step can vanish in rounding.
    const int majors = int(std::clamp(std::floor((hi - first) / step + 1e-9), 0.0, double(kMaxMajors)));
    for (int m = 0; m <= majors; ++m) {
        double value = first + m * step;
        if (std::abs(value) < step * 1e-9)
            value = 0;
        const std::string text = station::formatReal(value, 4);
        const TextSize size = measure(text, pixels, false);
        // Far enough inside the ring that the box's corner clears it at any angle.
        const double distance = face.inner() - 3 - std::hypot(size.width, size.height) / 2;
        const Point at = face.polar(distance, face.angleFor(value));
        numbers.push_back({text, value, {at.x - size.width / 2, at.y - size.height / 2, size.width, size.height}});
    }
    return numbers;
}

// The finest step whose numbers stand apart; when even the coarsest step that still shows
// two numbers crowds them, a smaller text. A span with no usable step has no numbers.
void layOutNumbers(GaugeFace &face, double height, const MeasureText &measure)
{
    const double span = face.scaleMax - face.scaleMin;
    const double finest = niceStep(span, 0);
    for (double pixels = std::max(kSmallestText, height * 0.13); usable(finest); pixels -= 1) {
        const bool smallest = pixels - 1 < kSmallestText;
        for (double step = finest; usable(step); step = niceStep(span, step)) {
            std::vector<ScaleNumber> numbers = placeNumbers(face, step, pixels, measure);
            bool apart = true;
            for (std::size_t k = 1; k < numbers.size() && apart; ++k)
                apart = !crowded(numbers[k - 1].box, numbers[k].box);
            const bool coarsest = numbers.size() <= 2;
            if (apart || (coarsest && smallest)) {
                face.step = step;
                face.numberPixels = pixels;
                face.numbers = std::move(numbers);
                return;
            }
            if (coarsest)
                break;
        }
        if (smallest)
            return;
    }
}

// The text cut at a character's end with an ellipsis, as long as fits `width`.
std::string elided(const std::string &text, double width, double pixels, const MeasureText &measure)
{
    std::string head = text;
    while (!head.empty()) {
        // Back over one UTF-8 sequence: its continuation bytes, then its lead byte.
        while (!head.empty() && (static_cast<unsigned char>(head.back()) & 0xC0) == 0x80)
            head.pop_back();
        if (!head.empty())
            head.pop_back();
        if (measure(head + kEllipsis, pixels, true).width <= width)
            return head + kEllipsis;
    }
    return {};
}

// The caption in the largest text up to its design size that its box holds.
void layOutCaption(GaugeFace &face, const Box &box, double designPixels, const std::string &caption,
                   const MeasureText &measure)
{
    double pixels = designPixels;
    double advance = measure(caption, pixels, true).width;
    while (advance > box.width && pixels > kSmallestText) {
        pixels = std::max(kSmallestText, std::floor(pixels * box.width / advance));
        advance = measure(caption, pixels, true).width;
        if (pixels == kSmallestText)
            break;
    }
    face.captionPixels = pixels;
    face.caption = advance <= box.width ? caption : elided(caption, box.width, pixels, measure);
    const TextSize shown = measure(face.caption, pixels, true);
    face.captionText = {box.x + box.width / 2 - shown.width / 2, box.bottom() - shown.height, shown.width,
                        shown.height};
}

} // namespace

double GaugeFace::angleFor(double value) const
{
    const double span = scaleMax - scaleMin;
    double fraction = 0;
    if (span != 0 && std::isfinite(span)) {
        fraction = (value - scaleMin) / span;
        fraction = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
    }
    return kStartAngle - kSweep * fraction;
}

Point GaugeFace::polar(double distance, double degrees) const
{
    return {pivot.x + distance * std::cos(radians(degrees)), pivot.y - distance * std::sin(radians(degrees))};
}

std::optional<Arc> GaugeFace::arc(double start, double stop) const
{
    const Arc stretch{angleFor(std::min(start, stop)), angleFor(std::max(start, stop))};
    if (stretch.from - stretch.to <= 0)
        return std::nullopt;
    return stretch;
}

std::vector<double> GaugeFace::minorTicks(int count) const
{
    std::vector<double> values;
    count = std::clamp(count, 0, kMaxSubTicks);
    const double hi = std::max(scaleMin, scaleMax);
    for (const ScaleNumber &number : numbers) {
        for (int k = 1; k <= count; ++k) {
            const double value = number.value + step * k / (count + 1);
            if (value > hi + step * 1e-9)
                break;
            values.push_back(value);
        }
    }
    return values;
}

GaugeFace layOutGauge(double width, double height, double scaleMin, double scaleMax, const std::string &caption,
                      const MeasureText &measure)
{
    GaugeFace face;
    face.scaleMin = scaleMin;
    face.scaleMax = scaleMax;
    face.line = std::max(1.0, height / 57.0);

    // From the bottom up: the caption, the hub just above it, the arc above the hub. The
    // needle sweeps only the half plane above the hub, so it never reaches the caption.
    const double margin = std::max(2.0, height * 0.04);
    const double designPixels = std::max(kSmallestText, height * 0.135);
    const double captionHeight = measure({}, designPixels, true).height;
    const Box captionBox{margin, height - margin - captionHeight, std::max(0.0, width - 2 * margin), captionHeight};
    face.cap = std::max(2.0, height * 0.055);
    face.pivot = {width / 2, captionBox.y - face.cap - 1};
    const double halfChord = std::sin(radians(kSweep / 2));
    face.radius = std::max(4.0, std::min(face.pivot.y - margin, (width / 2 - margin) / halfChord));
    face.ringWidth = std::max(2.0, face.radius * 0.11);

    layOutNumbers(face, height, measure);
    layOutCaption(face, captionBox, designPixels, caption, measure);
    return face;
}

} // namespace tovana::face
