// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The "Limits" tab follows the meter picked on the "Meters" tab; Apply sets that meter's
// limit in the station and in the store's [Limits]; a limit that is no number is refused
// with a message and changes nothing.
#include "SetupFixture.h"

#include "Station.h"

#include <QCheckBox>
#include <QSpinBox>

using LimitsTab = SetupFixture;

TEST_F(LimitsTab, AppliesToTheMeterPickedOnTheMetersTabAndRefusesALimitThatIsNoNumber)
{
    writeStore({{"Caption-Gauge2", "SWR"}});
    openSetup();
    auto *combo = control<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(setup->currentMeter(), 2);
    EXPECT_EQ(control<QComboBox>("LimitKind")->currentText(), "Off");

    control<QComboBox>("LimitKind")->setCurrentText("Above");
    type("LimitValue", "2,5x");
    click("LimitApply");
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() != nullptr; }, 10000));
    QMessageBox *box = setupMessage();
    EXPECT_EQ(box->text(), "The limit was not set: \"2,5x\" is not a number.");
    box->accept();
    EXPECT_EQ(window->station().limits()[2].kind, tovana::station::LimitKind::Off);

    type("LimitValue", "2,5");
    control<QSpinBox>("LimitReadings")->setValue(4);
    control<QCheckBox>("LimitWhileTx")->setChecked(true);
    control<QComboBox>("LimitRelay3")->setCurrentText("Off");
    click("LimitApply");
    const tovana::station::LimitConfig &limit = window->station().limits()[2];
    EXPECT_EQ(limit.kind, tovana::station::LimitKind::Above);
    EXPECT_EQ(limit.value, 2.5);
    EXPECT_EQ(limit.readings, 4);
    EXPECT_TRUE(limit.onlyWhileTx);
    EXPECT_EQ(limit.action[2], tovana::station::RelayMove::Off);
    EXPECT_EQ(home.readStore("Limits").value("Limit2"), "Above");
    EXPECT_EQ(home.readStore("Limits").value("Action2"), "3=Off");

    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_EQ(control<QComboBox>("LimitKind")->currentText(), "Off") << "meter 2 has none";
}
