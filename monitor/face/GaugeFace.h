// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The layout of an annular gauge's face at a given size: from the bottom up the caption, the
// hub just above it and the arc scale above the hub, the scale numbers at the finest step
// that keeps them apart (in a smaller text when even the coarsest crowds them), the caption
// shrunk and then elided to fit. The view measures text in its own font and paints.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovana::face {

// The face's colours, the same on every platform.
struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};
inline constexpr Rgb kPlateColour{246, 243, 232};
inline constexpr Rgb kBevelColour{90, 90, 90};
inline constexpr Rgb kInkColour{30, 30, 30};
inline constexpr Rgb kNeedleColour{200, 20, 20};
inline constexpr Rgb kNoReadingColour{150, 150, 150};
inline constexpr Rgb kTrippedColour{220, 0, 0};

struct Point {
    double x = 0;
    double y = 0;
};

struct Box {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

// A text's advance and line height at `pixels` high, in the view's font, bold or not.
struct TextSize {
    double width = 0;
    double height = 0;
};
using MeasureText = std::function<TextSize(const std::string &utf8, double pixels, bool bold)>;

struct ScaleNumber {
    std::string text;
    double value = 0;
    Box box; // centred on where the number stands
};

// A stretch of the ring in degrees, counter-clockwise from 3 o'clock: `from` > `to`.
struct Arc {
    double from = 0;
    double to = 0;
};

struct GaugeFace {
    static constexpr int kMaxSubTicks = 20; // more would only blacken the ring

    double scaleMin = 0;
    double scaleMax = 0;
    double line = 1; // the width of a fine line at this size

    Point pivot;
    double radius = 0; // outer edge of the band ring
    double ringWidth = 0;
    double cap = 0; // radius of the hub's cap

    double step = 0; // between numbered (major) ticks; 0: none
    double numberPixels = 0;
    std::vector<ScaleNumber> numbers;

    double captionPixels = 0;
    std::string caption; // as shown: elided only when even the smallest text cannot hold it
    Box captionText;

    double inner() const { return radius - ringWidth; }
    // Degrees counter-clockwise from 3 o'clock of a scale value, clamped to the scale.
    double angleFor(double value) const;
    Point polar(double distance, double degrees) const; // from the pivot
    Point needleTip(double value) const { return polar(radius - 1, angleFor(value)); }
    // The ring's stretch from `start` to `stop` (either order); none when it is empty.
    std::optional<Arc> arc(double start, double stop) const;
    // The values of `count` minor ticks (capped) between each scale number and the next.
    std::vector<double> minorTicks(int count) const;
};

GaugeFace layOutGauge(double width, double height, double scaleMin, double scaleMax, const std::string &caption,
                      const MeasureText &measure);

} // namespace tovana::face
