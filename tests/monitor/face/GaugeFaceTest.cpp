// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The face layout both gauges paint from, with text measured by its UTF-8 bytes (0.3 of the
// text's height each), so a test can tell exactly what fits.
#include "GaugeFace.h"

#include <gtest/gtest.h>

using tovana::face::GaugeFace;
using tovana::face::TextSize;

namespace {

TextSize fixedWidth(const std::string &text, double pixels, bool)
{
    return {double(text.size()) * 0.3 * pixels, 1.2 * pixels};
}

bool apart(const tovana::face::Box &a, const tovana::face::Box &b)
{
    return a.right() < b.x || b.right() < a.x || a.bottom() < b.y || b.bottom() < a.y;
}

} // namespace

TEST(GaugeFace, CaptionShrinksThenIsCutAtACharacterAndNumbersStandApartOnTheScale)
{
    const GaugeFace fits = tovana::face::layOutGauge(105, 57, 0, 5, "Volts AC", fixedWidth);
    EXPECT_EQ(fits.caption, "Volts AC");
    EXPECT_LE(fits.captionText.bottom(), 57);
    EXPECT_LT(fits.pivot.y + fits.cap, fits.captionText.y) << "the hub stays above the caption";

    // Too long for the smallest text: cut after whole characters (Ω is two bytes), with "…".
    const GaugeFace cut = tovana::face::layOutGauge(105, 57, 0, 5, "AΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩ", fixedWidth);
    EXPECT_EQ(cut.captionPixels, 6);
    ASSERT_GE(cut.caption.size(), 5u);
    EXPECT_EQ(cut.caption.substr(cut.caption.size() - 3), "\u2026");
    EXPECT_EQ((cut.caption.size() - 4) % 2, 0u) << "no half character: " << cut.caption;
    EXPECT_LE(cut.captionText.width, 105 - 2 * 2.28);

    // A wide scale on a small face: fewer numbers, never overlapping, both ends kept.
    const GaugeFace crowded = tovana::face::layOutGauge(105, 57, -1000, 123456, "Power", fixedWidth);
    ASSERT_GE(crowded.numbers.size(), 2u);
    for (std::size_t k = 1; k < crowded.numbers.size(); ++k)
        EXPECT_TRUE(apart(crowded.numbers[k - 1].box, crowded.numbers[k].box)) << crowded.numbers[k].text;
    const std::vector<double> minors = crowded.minorTicks(4);
    EXPECT_GE(minors.size(), 4 * (crowded.numbers.size() - 1));
    for (double value : minors)
        EXPECT_LE(value, 123456) << "no minor tick past the scale's end";
}
