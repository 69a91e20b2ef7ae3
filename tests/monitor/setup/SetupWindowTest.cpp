// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog as the user finds it, and the two rules by which it feeds the main
// window while loading: relay labels onto the relay buttons, the response slider onto
// the window's response value.
#include "MonitorFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest/QTest>

using namespace tovana;

using SetupDialog = MonitorFixture;

namespace {

template <typename T = QWidget>
T *control(frmSetup *setup, const QString &name)
{
    T *widget = setup->findChild<T *>(name);
    if (!widget)
        ADD_FAILURE() << "no control " << qPrintable(name);
    return widget;
}

QStringList texts(frmSetup *setup, const QString &className)
{
    QStringList found;
    for (QWidget *w : setup->findChildren<QWidget *>()) {
        if (w->inherits(className.toLatin1())) {
            if (auto *label = qobject_cast<QLabel *>(w))
                found << label->text();
            else if (auto *box = qobject_cast<QGroupBox *>(w))
                found << box->title();
        }
    }
    return found;
}

} // namespace

TEST_F(SetupDialog, SetupOpensOnMetersWithItsFourTabsInOrder)
{
    frmSetup *setup = start().setupForm();
    EXPECT_EQ(setup->windowTitle(), "Setup");
    setup->show();
    EXPECT_EQ(setup->size(), QSize(402, 305)) << "every tab fits the designed size";
    auto *tabs = control<QTabWidget>(setup, "SSTab1");
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Com Port");
    EXPECT_EQ(tabs->tabText(1), "Meters");
    EXPECT_EQ(tabs->tabText(2), "Relays");
    EXPECT_EQ(tabs->tabText(3), "Limits");
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST_F(SetupDialog, MetersTabHoldsItsControlsWithTheirDesignContents)
{
    frmSetup *setup = start().setupForm();
    auto *combo = control<QComboBox>(setup, "Combo1");
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->isEditable());
    ASSERT_EQ(combo->count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(combo->itemText(i), QString("Meter %1").arg(i + 1));

    auto *title = control<QLineEdit>(setup, "Text1");
    EXPECT_EQ(title->text(), "Volts DC");
    EXPECT_TRUE(title->font().bold());
    const std::pair<const char *, const char *> boxes[] = {
        {"Text8", "0"}, {"Text9", "5"}, {"Text3", "2"}, {"Text5", "4"}, {"Text7", "5"}};
    for (const auto &[name, text] : boxes)
        EXPECT_EQ(control<QLineEdit>(setup, name)->text(), text) << name;
    for (const char *name : {"Command4", "Command5", "Command6"})
        EXPECT_EQ(control<QPushButton>(setup, name)->text(), "Color") << name;
    for (const char *name : {"Command10", "Command12"})
        EXPECT_EQ(control<QPushButton>(setup, name)->text(), "Apply") << name;
    EXPECT_TRUE(control<QLabel>(setup, "Label8"));

    auto *divisions = control<QScrollBar>(setup, "HScroll2");
    EXPECT_EQ(divisions->minimum(), 0);
    EXPECT_EQ(divisions->maximum(), 9);
    EXPECT_EQ(divisions->value(), 0);

    auto *response = control<QScrollBar>(setup, "HScroll3");
    EXPECT_EQ(response->minimum(), 0);
    EXPECT_EQ(response->maximum(), 32767);
    EXPECT_TRUE(response->invertedAppearance()) << "32767 (slow) at the left end";
    EXPECT_EQ(response->singleStep(), 1000);
    EXPECT_EQ(response->pageStep(), 5000);
    EXPECT_EQ(response->orientation(), Qt::Horizontal);

    auto *multiplier = control<QScrollBar>(setup, "HScroll4");
    EXPECT_EQ(multiplier->minimum(), 1);
    EXPECT_EQ(multiplier->maximum(), 1000);
    EXPECT_EQ(multiplier->singleStep(), 1);
    EXPECT_EQ(multiplier->pageStep(), 10);
    EXPECT_EQ(multiplier->value(), 100);

    const QStringList labels = texts(setup, "QLabel") + texts(setup, "QGroupBox");
    for (const char *text : {"Select Meter to Setup", "Enter Title", "Zero Value", "Full Scale Value",
                             "Setup Color Bands", "Color Band 1 - End Value", "Color Band 2 - End Value",
                             "Color Band 3 - End Value", "Divisions", "Meter Reponse", "Slow", "Fast", "Multiplier"})
        EXPECT_TRUE(labels.contains(text)) << text;
}

TEST_F(SetupDialog, ComPortTabOffersTwoIndependentGroupsShowingTheStationsPort)
{
    frmMonitor w; // never shown: the station holds the default port
    frmSetup *setup = w.setupForm();

    for (int k = 0; k < 15; ++k) {
        auto *option = control<QRadioButton>(setup, QString("Option1_%1").arg(k));
        ASSERT_TRUE(option);
        EXPECT_EQ(option->isChecked(), k == 0 || k == 14) << k;
        const QString expected =
            k < 10 ? QString("Com %1").arg(k + 1) : QStringList{"1200", "2400", "4800", "9600", "19200"}[k - 10];
        EXPECT_EQ(option->text(), expected);
    }
    auto *com3 = control<QRadioButton>(setup, "Option1_2");
    auto *com5 = control<QRadioButton>(setup, "Option1_4");
    auto *baud9600 = control<QRadioButton>(setup, "Option1_13");
    com3->setChecked(true);
    baud9600->setChecked(true);
    com5->setChecked(true);
    EXPECT_FALSE(com3->isChecked()) << "one port at a time";
    EXPECT_TRUE(baud9600->isChecked()) << "a port and a speed together";

    EXPECT_EQ(control<QPushButton>(setup, "Command2")->text(), "Apply");
    const QStringList labels = texts(setup, "QLabel") + texts(setup, "QGroupBox");
    EXPECT_TRUE(labels.contains("Select Com Port"));
    EXPECT_TRUE(labels.contains("Set Baud Rate"));
    EXPECT_TRUE(labels.contains("Note:  Com Settings will take effect after Setup window is closed."));
}

TEST_F(SetupDialog, RelaysTabHasTwelveLabelledBoxesInRelayOrder)
{
    frmSetup *setup = start().setupForm();
    const QStringList names{"Text2",  "Text4",  "Text6",  "Text10", "Text11", "Text12",
                            "Text13", "Text14", "Text15", "Text16", "Text17", "Text18"};
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(control<QLineEdit>(setup, names[n - 1]), setup->relayLabelBox(n)) << n;
    const QStringList labels = texts(setup, "QLabel");
    EXPECT_TRUE(labels.contains("Enter a button label up to 8 characters long in the box above each relay position."));
    for (int n = 1; n <= 12; ++n)
        EXPECT_TRUE(labels.contains(QString("Relay %1").arg(n))) << n;

    // Boxes fill four columns left to right, then the next row.
    setup->show();
    control<QTabWidget>(setup, "SSTab1")->setCurrentIndex(2);
    EXPECT_LT(setup->relayLabelBox(1)->x(), setup->relayLabelBox(2)->x());
    EXPECT_EQ(setup->relayLabelBox(1)->x(), setup->relayLabelBox(5)->x());
    EXPECT_LT(setup->relayLabelBox(4)->y(), setup->relayLabelBox(5)->y());
}

TEST_F(SetupDialog, RelayBoxTakesEightTypedCharactersAndKeepsALongerStoredLabelWhole)
{
    writeStore({{"Relay5", "Antenna 160"}, {"Relay7", "Preamp 70 cm"}});
    frmMonitor &w = start();
    frmSetup *setup = w.setupForm();
    setup->show();
    QLineEdit *box = setup->relayLabelBox(3);
    box->clear();
    QTest::keyClicks(box, "Tuner 160");
    EXPECT_EQ(box->text(), "Tuner 16") << "typing stops at eight, as the tab says";
    EXPECT_EQ(w.relayButton(3)->text(), "Tuner 16") << "and the button shows it at once";
    EXPECT_TRUE(w.relayButton(3)->toolTip().isEmpty());

    QLineEdit *tuner = setup->relayLabelBox(4);
    tuner->clear();
    QTest::keyClicks(tuner, "Antenna Tuner");
    EXPECT_EQ(tuner->text(), "Antenna") << "no space that the cut left last";
    tuner->clear();
    QTest::keyClicks(tuner, "Antenna ");
    EXPECT_EQ(tuner->text(), "Antenna ") << "a space typed last is the operator's own";

    QLineEdit *stored = setup->relayLabelBox(5);
    EXPECT_EQ(stored->text(), "Antenna 160") << "a longer stored label is not cut";
    EXPECT_EQ(w.relayButton(5)->text(), "Antenna 160");
    EXPECT_EQ(w.relayButton(5)->toolTip(), "Antenna 160");
    EXPECT_EQ(stored->toolTip(), "Antenna 160");
    stored->end(false);
    QTest::keyClick(stored, Qt::Key_Backspace);
    QTest::keyClicks(stored, "00");
    EXPECT_EQ(stored->text(), "Antenna 16") << "it may shrink but not grow";

    setup->relayLabelBox(12)->clear();
    EXPECT_EQ(w.relayButton(12)->text(), "");
    setup->close();
    EXPECT_EQ(home.readStore().value("Relay3"), "Tuner 16");
    EXPECT_EQ(home.readStore().value("Relay4"), "Antenna ");
    EXPECT_EQ(home.readStore().value("Relay5"), "Antenna 16");
    EXPECT_EQ(home.readStore().value("Relay7"), "Preamp 70 cm") << "untouched, saved whole";
    EXPECT_EQ(home.readStore().value("Relay12"), "");
}

TEST_F(SetupDialog, ResponseSliderHandsEverySettingToTheWindow)
{
    frmMonitor &w = start();
    frmSetup *setup = w.setupForm();

    w.station().setMeterResponse(1);
    setup->setResponse(15000); // where the slider already stands
    EXPECT_EQ(w.station().meterResponse(), 15000);

    setup->setResponse(20000);
    EXPECT_EQ(w.station().meterResponse(), 20000);

    setup->setResponse(40000); // beyond the slider's reach: the slider's end counts
    EXPECT_EQ(setup->response(), 32767);
    EXPECT_EQ(w.station().meterResponse(), 32767);

    auto *slider = control<QScrollBar>(setup, "HScroll3");
    slider->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(w.station().meterResponse(), 27767) << "the user's move reaches the window too";
}
