// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The "Com Port" tab's "Apply" with the main window's port on real pseudo-terminals: the
// choice goes into the closed port and the store, and the port opens with it only when the
// dialog closes.
#include "SetupFixture.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSerialPort>

using namespace tovana;

class ComPortTab : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        ASSERT_TRUE(com3.isOpen());
        ASSERT_TRUE(com3.linkAs(3));
    }

    void choose(int option) const { control<QRadioButton>(QString("Option1_%1").arg(option))->click(); }
    CommPort *port() const { return window->MSComm1(); }
    QSerialPort *line() const { return port()->findChild<QSerialPort *>(); }

    PtyBoard com3;
};

TEST_F(ComPortTab, ApplyStoresPortAndSpeedAndTheyTakeEffectWhenTheDialogCloses)
{
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return port()->isOpen(); }, 10000));
    openSetup();
    choose(2);  // "Com 3"
    choose(13); // "9600"
    click("Command2");

    EXPECT_FALSE(port()->isOpen()) << "Apply closes the port";
    EXPECT_EQ(port()->portNumber(), 3);
    EXPECT_EQ(port()->settings(), "9600,N,8,1");
    auto store = home.readStore();
    EXPECT_EQ(store.value("Meter-ComPort"), "3");
    EXPECT_EQ(store.value("Meter-ComSettings"), "9600,N,8,1");

    click("Command10"); // a later save on the tab does not reopen it either
    click("Command2");  // nor does a second Apply
    EXPECT_FALSE(port()->isOpen());

    closeSetup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return port()->isOpen(); }, 10000));
    EXPECT_EQ(port()->portNumber(), 3);
    ASSERT_TRUE(port()->output("com3?"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return com3.received().contains("com3?"); }, 10000))
        << "the port reaches the board on the COM3 link";
    EXPECT_EQ(line()->baudRate(), 9600);
    store = home.readStore();
    EXPECT_EQ(store.value("Meter-ComPort"), "3");
    EXPECT_EQ(store.value("Meter-ComSettings"), "9600,N,8,1");
}

TEST_F(ComPortTab, ApplyWithoutASpeedChangesOnlyThePortNumber)
{
    writeStore({{"Meter-ComSettings", "4800,E,8,1"}});
    openSetup();
    for (int k = 10; k < 15; ++k)
        EXPECT_FALSE(control<QRadioButton>(QString("Option1_%1").arg(k))->isChecked()) << k;
    choose(2);
    click("Command2");
    EXPECT_EQ(port()->portNumber(), 3);
    EXPECT_EQ(port()->settings(), "4800,E,8,1");
    EXPECT_EQ(home.readStore().value("Meter-ComPort"), "3");
    EXPECT_EQ(home.readStore().value("Meter-ComSettings"), "4800,E,8,1");
}

TEST_F(ComPortTab, SeededLowerCaseSettingsAreStoredUpperCaseByApply)
{
    openSetup();
    EXPECT_EQ(home.readStore().value("Meter-ComSettings"), "19200,n,8,1");
    EXPECT_TRUE(control<QRadioButton>("Option1_14")->isChecked());
    click("Command2");
    EXPECT_EQ(home.readStore().value("Meter-ComSettings"), "19200,N,8,1");
    EXPECT_EQ(home.readStore().value("Meter-ComPort"), "1");
}

TEST_F(ComPortTab, ClosingWithoutApplyLeavesThePortAsItWas)
{
    openSetup();
    choose(2);
    choose(13);
    closeSetup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return port()->isOpen(); }, 10000));
    EXPECT_EQ(port()->portNumber(), 1);
    EXPECT_EQ(line()->baudRate(), 19200);
    EXPECT_EQ(home.readStore().value("Meter-ComPort"), "1");
    EXPECT_EQ(home.readStore().value("Meter-ComSettings"), "19200,n,8,1");
    setup = window->setupForm();
    EXPECT_TRUE(control<QRadioButton>("Option1_0")->isChecked()) << "the fresh dialog is preset from the store";
    EXPECT_FALSE(control<QRadioButton>("Option1_2")->isChecked());
}

// The interlock works from the moment it is ticked and is kept in [Interlock]; [StartUp]
// keeps exactly the keys and texts it had.
TEST_F(ComPortTab, HoldWhileTransmittingIsStoredInItsOwnSectionAndStartUpIsUnchanged)
{
    openSetup();
    closeSetup();
    const QMap<QString, QString> startUp = home.readStore();
    EXPECT_EQ(home.readStore("Interlock"), (QMap<QString, QString>{{"HoldWhileTx", "False"}}));
    EXPECT_FALSE(window->station().holdWhileTx()) << "off by default";

    openSetup();
    auto *hold = control<QCheckBox>("Check1");
    ASSERT_NE(hold, nullptr);
    EXPECT_EQ(hold->text(), "Hold band relays while transmitting");
    EXPECT_FALSE(hold->isChecked());
    hold->click();
    EXPECT_TRUE(window->station().holdWhileTx()) << "at once, not only after closing";
    closeSetup();
    EXPECT_EQ(home.readStore("Interlock"), (QMap<QString, QString>{{"HoldWhileTx", "True"}}));
    EXPECT_EQ(home.readStore(), startUp);
    EXPECT_TRUE(window->station().holdWhileTx()) << "loaded back by the activation";

    openSetup();
    EXPECT_TRUE(control<QCheckBox>("Check1")->isChecked()) << "the fresh dialog is preset from the store";
    control<QCheckBox>("Check1")->click();
    EXPECT_FALSE(window->station().holdWhileTx());
    closeSetup();
    EXPECT_EQ(home.readStore("Interlock"), (QMap<QString, QString>{{"HoldWhileTx", "False"}}));
    EXPECT_EQ(home.readStore(), startUp);
}
