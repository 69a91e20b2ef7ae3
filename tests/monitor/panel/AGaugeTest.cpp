// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The annular gauge as the monitor drives it: selectors, numbers as text, the needle
// outside the scale, and that what it draws follows what it is given.
#include "AGauge.h"

#include <QImage>
#include <gtest/gtest.h>

using tovana::AGauge;

namespace {

QImage picture(AGauge &gauge)
{
    return gauge.grab().toImage();
}

} // namespace

TEST(AGauge, StartsAsAVoltsAcMeterFromZeroToFive)
{
    AGauge gauge;
    EXPECT_EQ(gauge.caption(), "Volts AC");
    EXPECT_EQ(gauge.scaleMin(), 0);
    EXPECT_EQ(gauge.scaleMax(), 5);
}

TEST(AGauge, SelectorsKeepTheirValueAndAddressTheirOwnSet)
{
    AGauge gauge;
    ASSERT_TRUE(gauge.setTickSet(0));
    ASSERT_TRUE(gauge.setSubTickCount(2));
    ASSERT_TRUE(gauge.setTickSet(1));
    ASSERT_TRUE(gauge.setSubTickCount(7));
    EXPECT_EQ(gauge.tickSet(), 1);
    EXPECT_EQ(gauge.subTickCount(), 7);
    gauge.setTickSet(0);
    EXPECT_EQ(gauge.subTickCount(), 2);

    for (int ring = 0; ring < AGauge::kAnnulusCount; ++ring) {
        ASSERT_TRUE(gauge.setAnnulus(ring));
        gauge.setAnnulusStart(ring);
        gauge.setAnnulusStop(ring + 0.5);
        gauge.setAnnulusColor(0x10000u * ring + 7);
    }
    EXPECT_EQ(gauge.annulus(), 4);
    gauge.setAnnulus(2);
    EXPECT_EQ(gauge.annulusStart(), 2);
    EXPECT_EQ(gauge.annulusStop(), 2.5);
    EXPECT_EQ(gauge.annulusColor(), 0x20007u);
    EXPECT_EQ(gauge.annulus(), 2);
}

TEST(AGauge, RefusesSelectorsOutOfRangeAndKeepsTheSelection)
{
    AGauge gauge;
    gauge.setTickSet(1);
    gauge.setAnnulus(3);
    EXPECT_FALSE(gauge.setTickSet(2));
    EXPECT_FALSE(gauge.setTickSet(-1));
    EXPECT_FALSE(gauge.setAnnulus(5));
    EXPECT_FALSE(gauge.setAnnulus(-1));
    EXPECT_EQ(gauge.tickSet(), 1);
    EXPECT_EQ(gauge.annulus(), 3);
}

TEST(AGauge, TakesNumbersAsTextWithPointOrComma)
{
    AGauge gauge;
    EXPECT_TRUE(gauge.setScaleMin(QString("-2.5")));
    EXPECT_TRUE(gauge.setScaleMax(QString("13,8")));
    EXPECT_TRUE(gauge.setNeedleValue(QString("4,25")));
    gauge.setAnnulus(3);
    EXPECT_TRUE(gauge.setAnnulusStart(QString("1.5")));
    EXPECT_TRUE(gauge.setAnnulusStop(QString("9")));
    EXPECT_TRUE(gauge.setAnnulusColor(QString("65535")));
    EXPECT_TRUE(gauge.setSubTickCount(QString("3")));
    EXPECT_EQ(gauge.scaleMin(), -2.5);
    EXPECT_EQ(gauge.scaleMax(), 13.8);
    EXPECT_EQ(gauge.NeedleValue(), 4.25);
    EXPECT_EQ(gauge.annulusStart(), 1.5);
    EXPECT_EQ(gauge.annulusStop(), 9);
    EXPECT_EQ(gauge.annulusColor(), 65535u);
    EXPECT_EQ(gauge.subTickCount(), 3);
}

TEST(AGauge, TextThatIsNoNumberChangesNothing)
{
    AGauge gauge;
    gauge.setAnnulus(4);
    EXPECT_FALSE(gauge.setScaleMax(QString("five")));
    EXPECT_FALSE(gauge.setScaleMin(QString("")));
    EXPECT_FALSE(gauge.setNeedleValue(QString("1.2.3")));
    EXPECT_FALSE(gauge.setAnnulusStop(QString("x")));
    EXPECT_FALSE(gauge.setAnnulusColor(QString("-1")));
    EXPECT_FALSE(gauge.setAnnulusColor(QString("1.5")));
    EXPECT_FALSE(gauge.setSubTickCount(QString("2.5")));
    EXPECT_FALSE(gauge.setSubTickCount(-1));
    EXPECT_EQ(gauge.scaleMax(), 5);
    EXPECT_EQ(gauge.scaleMin(), 0);
    EXPECT_EQ(gauge.NeedleValue(), 0);
    EXPECT_EQ(gauge.annulusStop(), 5);
    EXPECT_EQ(gauge.annulusColor(), 255u);
    EXPECT_EQ(gauge.subTickCount(), 4);
}

TEST(AGauge, NeedleOutsideTheScaleIsKeptButDrawnAtTheScaleEnd)
{
    AGauge gauge;
    gauge.resize(105, 57);
    gauge.setNeedleValue(5);
    const QImage atFullScale = picture(gauge);
    gauge.setNeedleValue(12.5);
    EXPECT_EQ(gauge.NeedleValue(), 12.5);
    EXPECT_EQ(picture(gauge), atFullScale);

    gauge.setNeedleValue(0);
    const QImage atZero = picture(gauge);
    gauge.setNeedleValue(-3);
    EXPECT_EQ(gauge.NeedleValue(), -3);
    EXPECT_EQ(picture(gauge), atZero);
    EXPECT_NE(atZero, atFullScale);
}

TEST(AGauge, DrawingFollowsNeedleCaptionBandsAndTicks)
{
    AGauge gauge;
    gauge.resize(105, 57);
    gauge.setNeedleValue(1);
    const QImage before = picture(gauge);

    gauge.setNeedleValue(2.5);
    EXPECT_NE(picture(gauge), before) << "the needle must move";
    gauge.setNeedleValue(1);
    EXPECT_EQ(picture(gauge), before) << "the same value must give the same picture";

    gauge.setCaption("Amps");
    const QImage captioned = picture(gauge);
    EXPECT_NE(captioned, before);

    gauge.setAnnulus(4);
    gauge.setAnnulusColor(0x00FF0000); // blue instead of red
    const QImage recoloured = picture(gauge);
    EXPECT_NE(recoloured, captioned);

    gauge.setTickSet(0);
    gauge.setSubTickCount(0);
    EXPECT_NE(picture(gauge), recoloured);
}

TEST(AGauge, BandColourIsLaidOutBlueGreenRed)
{
    AGauge gauge;
    gauge.resize(210, 114);
    for (int ring = 2; ring <= 4; ++ring) {
        gauge.setAnnulus(ring);
        gauge.setAnnulusStart(0);
        gauge.setAnnulusStop(5);
        gauge.setAnnulusColor(0x000000FF); // pure red
    }
    const QImage image = picture(gauge);
    int red = 0;
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_EQ(blue, 0);
}

TEST(AGauge, ScaleNumbersStandApartOnACrowdedScale)
{
    AGauge gauge;
    gauge.resize(105, 57); // the designed size
    for (const auto &[lo, hi] : {std::pair{0.0, 1500.0}, {-1000.0, 1000.0}, {0.0, 0.0125}, {13.8, 14.2}}) {
        gauge.setScaleMin(lo);
        gauge.setScaleMax(hi);
        const QList<QRectF> numbers = gauge.scaleNumberRects();
        ASSERT_GE(numbers.size(), 2) << lo << ".." << hi;
        for (qsizetype k = 1; k < numbers.size(); ++k)
            EXPECT_FALSE(numbers[k].intersects(numbers[k - 1])) << lo << ".." << hi << " number " << k;
        for (const QRectF &number : numbers)
            EXPECT_TRUE(QRectF(gauge.rect()).contains(number)) << lo << ".." << hi;
    }
}

TEST(AGauge, DegenerateScalesDrawWithoutHanging)
{
    AGauge gauge;
    gauge.resize(105, 57);
    const std::pair<double, double> scales[] = {
        {3, 3}, {1e20, 1e20 + 32768.0}, {10, -10}, {0, 1e-300}, {-1e308, 1e308}};
    for (const auto &[lo, hi] : scales) {
        gauge.setScaleMin(lo);
        gauge.setScaleMax(hi);
        gauge.setNeedleValue(0);
        EXPECT_FALSE(picture(gauge).isNull());
    }
}
