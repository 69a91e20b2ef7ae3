// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The band "Color" buttons: each shows its band's colour, the picker opens without
// blocking on that colour, and only a confirmed pick reaches the band.
#include "SetupFixture.h"

#include <QColorDialog>

using namespace tovana;

using ColourPick = SetupFixture;

namespace {

std::uint32_t colourOf(AGauge *g, int ring)
{
    g->setAnnulus(ring);
    return g->annulusColor();
}

QColor swatchOf(QPushButton *button)
{
    return button->icon().pixmap(button->iconSize()).toImage().pixelColor(2, 2);
}

} // namespace

class ColourPicking : public ColourPick {
protected:
    // Presses a band's "Color" and returns the picker it opened.
    QColorDialog *pressColour(const char *button)
    {
        click(button);
        auto *picker = setup->findChild<QColorDialog *>("CommonDialog1");
        EXPECT_TRUE(picker && picker->isVisible()) << button;
        return picker;
    }
};

TEST_F(ColourPicking, CancelLeavesTheBandAndThePickersColourAsTheyWere)
{
    openSetup();
    EXPECT_EQ(swatchOf(control<QPushButton>("Command4")), QColor(0, 128, 0));
    QColorDialog *picker = pressColour("Command4");
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->currentColor(), QColor(0, 128, 0)) << "the picker opens on the band's colour";
    picker->setCurrentColor(QColor(0, 0, 255)); // the user browses, then thinks better of it
    picker->reject();
    EXPECT_EQ(colourOf(gauge(0), 2), 32768u) << "band 1 stays green";

    picker = pressColour("Command4");
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->currentColor(), QColor(0, 128, 0)) << "the cancelled colour is not remembered";
    picker->reject();
    closeSetup();
    EXPECT_EQ(home.readStore().value("Color-Annular2-Gauge0"), "32768");
}

TEST_F(ColourPicking, ConfirmedPickPaintsItsBandAndItsButton)
{
    openSetup();
    QColorDialog *picker = pressColour("Command5");
    ASSERT_TRUE(picker);
    picker->setCurrentColor(QColor(10, 20, 30));
    picker->accept();
    const std::uint32_t bgr = 30u << 16 | 20u << 8 | 10u;
    EXPECT_EQ(colourOf(gauge(0), 3), bgr) << "band 2 takes the colour at once";
    EXPECT_EQ(colourOf(gauge(0), 2), 32768u);
    EXPECT_EQ(colourOf(gauge(0), 4), 255u);
    EXPECT_EQ(swatchOf(control<QPushButton>("Command5")), QColor(10, 20, 30));

    picker = pressColour("Command6");
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->currentColor(), QColor(255, 0, 0)) << "band 3's own colour, not the last pick";
    picker->reject();
    EXPECT_EQ(colourOf(gauge(0), 4), 255u);

    closeSetup();
    EXPECT_EQ(home.readStore().value("Color-Annular3-Gauge0"), QString::number(bgr));
    EXPECT_EQ(home.readStore().value("Color-Annular4-Gauge0"), "255");
}

TEST_F(ColourPicking, PickGoesToTheBandOfThePickedMeter)
{
    openSetup();
    QTest::keyClick(control<QComboBox>("Combo1"), Qt::Key_Down);
    ASSERT_EQ(setup->currentMeter(), 1);
    QColorDialog *picker = pressColour("Command6");
    ASSERT_TRUE(picker);
    picker->setCurrentColor(QColor(255, 0, 255));
    picker->accept();
    EXPECT_EQ(colourOf(gauge(1), 4), 0xFF00FFu);
    EXPECT_EQ(colourOf(gauge(0), 4), 255u);
}
