// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The "Meters" tab on a live main window: what opening the dialog shows, how the picked
// meter is addressed, the scale and band "Apply", the sliders, and boxes that hold no number.
#include "SetupFixture.h"

#include "frmMonitor.h"

using namespace tovana;

using MetersTab = SetupFixture;

namespace {

struct Stops {
    double start;
    double stop;
};

Stops annulus(AGauge *g, int ring)
{
    g->setAnnulus(ring);
    return {g->annulusStart(), g->annulusStop()};
}

} // namespace

TEST_F(MetersTab, OpeningShowsMeterOneAsTheGaugeAndTheStoreHoldIt)
{
    writeStore({{"Caption-Gauge0", "Forward"},
                {"ScaleMin-Gauge0", "-1"},
                {"ScaleMax-Gauge0", "2.5"},
                {"Stop-Annular2-Gauge0", "0.5"},
                {"Stop-Annular3-Gauge0", "1.25"},
                {"Stop-Annular4-Gauge0", "2.5"},
                {"TicSubCount-Gauge0", "7"},
                {"Caption-Gauge1", "Reflected"}});
    openSetup();

    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), "Meter 1");
    EXPECT_EQ(setup->currentMeter(), 0);
    EXPECT_EQ(text("Text1"), "Forward");
    EXPECT_EQ(text("Text8"), "-1");
    EXPECT_EQ(text("Text9"), "2.5");
    EXPECT_EQ(text("Text3"), "0.5");
    EXPECT_EQ(text("Text5"), "1.25");
    EXPECT_EQ(text("Text7"), "2.5");
    EXPECT_EQ(control<QScrollBar>("HScroll2")->value(), 7);
    EXPECT_EQ(control<QScrollBar>("HScroll3")->value(), 15000);
    EXPECT_EQ(window->station().meterResponse(), 15000);
    EXPECT_EQ(control<QLabel>("Label8")->text(), "1.0") << "the seeded multiplier as held";
    EXPECT_EQ(control<QScrollBar>("HScroll4")->value(), 100);
    EXPECT_EQ(home.readStore().value("Multiplier0"), "1.0") << "a slider that did not move stores nothing";
    EXPECT_EQ(gauge(1)->caption(), "Reflected") << "loading writes the caption back unchanged";
}

TEST_F(MetersTab, ScaleApplyPutsTheBandsAtSixtyAndEightyPercentOfTheSpan)
{
    struct Case {
        const char *zero, *full, *band1, *band2;
    };
    const Case cases[] = {
        {"0", "5", "3", "4"},
        {"-10", "10", "2", "6"},
        {"0", "3", "1.8", "2.4"}, // 3 * 0.6 is 1.7999999999999998 before formatting
        {"5", "0", "2", "1"},     // a negative span takes the same formula
    };
    openSetup();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.zero) + " to " + c.full);
        type("Text8", c.zero);
        type("Text9", c.full);
        click("Command12");

        EXPECT_EQ(text("Text3"), c.band1);
        EXPECT_EQ(text("Text5"), c.band2);
        EXPECT_EQ(text("Text7"), c.full);
        const double z = QString(c.zero).toDouble(), f = QString(c.full).toDouble();
        const double b1 = QString(c.band1).toDouble(), b2 = QString(c.band2).toDouble();
        AGauge *g = gauge(0);
        EXPECT_EQ(g->scaleMin(), z);
        EXPECT_EQ(g->scaleMax(), f);
        for (int ring : {0, 1}) {
            EXPECT_EQ(annulus(g, ring).start, z) << ring;
            EXPECT_EQ(annulus(g, ring).stop, f) << ring;
        }
        EXPECT_EQ(annulus(g, 2).start, z);
        EXPECT_EQ(annulus(g, 2).stop, b1);
        EXPECT_EQ(annulus(g, 3).start, b1);
        EXPECT_EQ(annulus(g, 3).stop, b2);
        EXPECT_EQ(annulus(g, 4).start, b2);
        EXPECT_EQ(annulus(g, 4).stop, f);

        const auto store = home.readStore();
        EXPECT_EQ(store.value("ScaleMin-Gauge0"), c.zero) << "the apply saves";
        EXPECT_EQ(store.value("ScaleMax-Gauge0"), c.full);
        EXPECT_EQ(store.value("Stop-Annular2-Gauge0"), c.band1);
        EXPECT_EQ(store.value("Start-Annular4-Gauge0"), c.band2);
        EXPECT_DOUBLE_EQ(window->station().scaling(0).factor, (f - z) / 255) << "scaling follows the new scale";
    }
}

TEST_F(MetersTab, BandApplyStartsBandOneAtTheZeroBoxWithoutTouchingTheScale)
{
    openSetup();
    type("Text8", "1");
    type("Text5", "4.5");
    click("Command10");

    AGauge *g = gauge(0);
    EXPECT_EQ(annulus(g, 2).start, 1);
    EXPECT_EQ(annulus(g, 2).stop, 3);
    EXPECT_EQ(annulus(g, 3).stop, 4.5);
    EXPECT_EQ(annulus(g, 4).start, 4.5) << "each band starts where the one before ends";
    EXPECT_EQ(g->scaleMin(), 0) << "the scale keeps its minimum";
    const auto store = home.readStore();
    EXPECT_EQ(store.value("Start-Annular2-Gauge0"), "1");
    EXPECT_EQ(store.value("Stop-Annular3-Gauge0"), "4.5");
    EXPECT_EQ(store.value("ScaleMin-Gauge0"), "0");
}

TEST_F(MetersTab, PickedMeterIsTheOneTitleAndMultiplierChange)
{
    writeStore(
        {{"Caption-Gauge2", "SWR"}, {"ScaleMax-Gauge2", "3"}, {"TicSubCount-Gauge2", "2"}, {"Multiplier2", "2.5"}});
    openSetup();
    auto *combo = control<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentText(), "Meter 3");
    EXPECT_EQ(setup->currentMeter(), 2);
    EXPECT_EQ(text("Text1"), "SWR");
    EXPECT_EQ(text("Text9"), "3");
    EXPECT_EQ(control<QScrollBar>("HScroll2")->value(), 2);
    EXPECT_EQ(control<QLabel>("Label8")->text(), "2.5");
    EXPECT_EQ(control<QScrollBar>("HScroll4")->value(), 250);

    type("Text1", "SWR 80m");
    EXPECT_EQ(gauge(2)->caption(), "SWR 80m") << "the title shows as it is typed";
    EXPECT_EQ(gauge(0)->caption(), "Volts DC");
    EXPECT_EQ(gauge(1)->caption(), "Volts DC");

    control<QScrollBar>("HScroll2")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(control<QLabel>("DivisionsValue")->text(), QString::number(control<QScrollBar>("HScroll2")->value()))
        << "the slider's value shows beside it";
    for (int set : {0, 1}) {
        gauge(2)->setTickSet(set);
        EXPECT_EQ(gauge(2)->subTickCount(), 3) << "tick set " << set;
    }
    gauge(0)->setTickSet(0);
    EXPECT_EQ(gauge(0)->subTickCount(), 4);

    control<QScrollBar>("HScroll4")->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const auto store = home.readStore();
    EXPECT_EQ(store.value("Multiplier2"), "2.6");
    EXPECT_EQ(store.value("Multiplier0"), "1.0");
    EXPECT_EQ(window->station().multiplier(2), "2.6") << "the scaling is reloaded at once";
}

TEST_F(MetersTab, ReopenedDialogShowsAndAddressesMeterOneAgain)
{
    openSetup();
    auto *combo = control<QComboBox>("Combo1");
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(setup->currentMeter(), 2);
    type("Text1", "Drive");
    closeSetup();
    EXPECT_EQ(home.readStore().value("Caption-Gauge2"), "Drive");

    openSetup();
    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), "Meter 1");
    EXPECT_EQ(setup->currentMeter(), 0);
    EXPECT_EQ(text("Text1"), "Volts DC");
    type("Text1", "Supply");
    control<QScrollBar>("HScroll4")->setValue(200);
    EXPECT_EQ(gauge(0)->caption(), "Supply");
    EXPECT_EQ(gauge(2)->caption(), "Drive");
    EXPECT_EQ(home.readStore().value("Multiplier0"), "2");
    EXPECT_EQ(home.readStore().value("Multiplier2"), "1.0");
}

TEST_F(MetersTab, TextTypedIntoTheSelectorThatNamesNoMeterChangesNothing)
{
    openSetup();
    auto *combo = control<QComboBox>("Combo1");
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(setup->currentMeter(), 1);
    QLineEdit *typed = combo->lineEdit();

    for (const char *nonsense : {"Tuner", "Meter 9", "Meter 0", "Meter x", ""}) {
        SCOPED_TRACE(nonsense);
        typed->selectAll();
        QTest::keyClick(typed, Qt::Key_Backspace);
        QTest::keyClicks(typed, nonsense);
        QTest::keyClick(typed, Qt::Key_Return);
        EXPECT_EQ(combo->currentText(), nonsense);
        EXPECT_EQ(setup->currentMeter(), 1);
        type("Text1", QString("Title %1").arg(nonsense));
        EXPECT_EQ(gauge(1)->caption(), QString("Title %1").arg(nonsense)) << "meter 2 is still addressed";
        EXPECT_EQ(gauge(0)->caption(), "Volts DC");
    }
    EXPECT_EQ(combo->count(), 8) << "typed text is never added as a meter";

    typed->selectAll();
    QTest::keyClicks(typed, "Meter 4");
    QTest::keyClick(typed, Qt::Key_Return);
    EXPECT_EQ(setup->currentMeter(), 3) << "a typed meter name picks that meter";
    EXPECT_EQ(text("Text1"), "Volts DC");
}

TEST_F(MetersTab, MultiplierSliderShowsAndStoresHundredths)
{
    openSetup();
    auto *slider = control<QScrollBar>("HScroll4");
    auto *label = control<QLabel>("Label8");
    const std::pair<int, const char *> positions[] = {{1, "0.01"}, {150, "1.5"}, {1000, "10"}};
    for (const auto &[position, shown] : positions) {
        slider->setValue(position);
        EXPECT_EQ(label->text(), shown);
        EXPECT_EQ(home.readStore().value("Multiplier0"), shown) << "stored at once";
        EXPECT_DOUBLE_EQ(window->station().scaling(0).factor, position / 100.0 * 5 / 255);
    }
}

TEST_F(MetersTab, SeededMultiplierShowsAsHeldUntilTheSliderMoves)
{
    openSetup();
    auto *slider = control<QScrollBar>("HScroll4");
    auto *label = control<QLabel>("Label8");
    EXPECT_EQ(label->text(), "1.0");
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(label->text(), "1.01");
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(label->text(), "1");
    EXPECT_EQ(home.readStore().value("Multiplier0"), "1");
}

TEST_F(MetersTab, StoredMultiplierIsRoundedOntoTheSliderHalvesToEven)
{
    const std::tuple<const char *, int, const char *> cases[] = {
        {"1.234", 123, "1.23"}, {"0.125", 12, "0.12"}, {"0.375", 38, "0.38"}};
    for (const auto &[stored, position, rounded] : cases) {
        SCOPED_TRACE(stored);
        window.reset(); // the next start loads the store afresh
        writeStore({{"Multiplier0", stored}});
        openSetup();
        EXPECT_EQ(control<QScrollBar>("HScroll4")->value(), position);
        EXPECT_EQ(control<QLabel>("Label8")->text(), rounded);
        EXPECT_EQ(home.readStore().value("Multiplier0"), rounded) << "the moved slider stores its value";
    }
}

TEST_F(MetersTab, ResponseSurvivesOpeningAndClosing)
{
    openSetup();
    EXPECT_EQ(window->station().meterResponse(), 15000);
    closeSetup();
    EXPECT_EQ(home.readStore().value("Meter Response"), "15000");
    EXPECT_EQ(window->station().meterResponse(), 15000);

    openSetup();
    control<QScrollBar>("HScroll3")->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(window->station().meterResponse(), 20000);
    closeSetup();
    EXPECT_EQ(home.readStore().value("Meter Response"), "20000");
    EXPECT_EQ(window->station().meterResponse(), 20000);
}

TEST_F(MetersTab, StoredValuesBeyondTheSlidersAreClampedOnThemAndKeptInTheStore)
{
    writeStore(
        {{"TicSubCount-Gauge0", "12"}, {"Meter Response", "-5"}, {"Multiplier0", "20"}, {"Multiplier1", "0.001"}});
    openSetup();
    EXPECT_EQ(control<QScrollBar>("HScroll2")->value(), 9);
    EXPECT_EQ(control<QScrollBar>("HScroll3")->value(), 0);
    EXPECT_EQ(window->station().meterResponse(), 0);
    EXPECT_EQ(control<QScrollBar>("HScroll4")->value(), 1000);
    EXPECT_EQ(control<QLabel>("Label8")->text(), "20") << "the multiplier in force is still shown";
    EXPECT_EQ(window->station().multiplier(0), "20");

    QTest::keyClick(control<QComboBox>("Combo1"), Qt::Key_Down);
    EXPECT_EQ(control<QScrollBar>("HScroll4")->value(), 1);
    EXPECT_EQ(control<QLabel>("Label8")->text(), "0.001");

    const auto store = home.readStore();
    EXPECT_EQ(store.value("TicSubCount-Gauge0"), "12");
    EXPECT_EQ(store.value("Meter Response"), "-5");
    EXPECT_EQ(store.value("Multiplier0"), "20");
    EXPECT_EQ(store.value("Multiplier1"), "0.001");
}

TEST_F(MetersTab, BoxWithoutANumberIsNamedAndNothingChanges)
{
    openSetup();
    const TempConfigHome::Stamp before = home.storeStamp();

    type("Text8", "abc");
    click("Command12");
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() != nullptr; }, 10000));
    EXPECT_EQ(setupMessage()->text(), "Zero Value is not a number: abc");
    setupMessage()->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() == nullptr; }, 10000));
    EXPECT_EQ(gauge(0)->scaleMin(), 0);
    EXPECT_EQ(text("Text3"), "3") << "the bands were not recomputed";

    type("Text8", "0");
    type("Text9", "10");
    type("Text5", "4,5,");
    click("Command10");
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() != nullptr; }, 10000));
    EXPECT_EQ(setupMessage()->text(), "Color Band 2 - End Value is not a number: 4,5,");
    setupMessage()->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() == nullptr; }, 10000));

    type("Text5", "4");
    type("Text9", "");
    click("Command12");
    ASSERT_TRUE(QTest::qWaitFor([&] { return setupMessage() != nullptr; }, 10000));
    EXPECT_EQ(setupMessage()->text(), "Full Scale Value is not a number: ");
    setupMessage()->accept();

    AGauge *g = gauge(0);
    EXPECT_EQ(g->scaleMax(), 5);
    EXPECT_EQ(annulus(g, 2).start, 0);
    EXPECT_EQ(annulus(g, 3).stop, 4);
    EXPECT_TRUE(home.storeStamp() == before) << "nothing was saved";
}
