// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A monitor main window over a temporary config home, with port 1 linked to a real
// pseudo-terminal so that the activation opens its port as on a station with a board, and
// a private bus with the link server, so no "band following is not available" message
// comes between a test and the boxes it looks for. Shared by the panel and setup tests.
#pragma once

#include "AGauge.h"
#include "PanelStartState.h"
#include "Station.h"
#include "CommPort.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"
#include "frmSetup.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>

class MonitorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(board.isOpen());
        ASSERT_TRUE(board.linkAs(1));
    }

    void TearDown() override { window.reset(); }

    // Writes a store file as a user would, with the given keys under [StartUp].
    void writeStore(const QMap<QString, QString> &keys)
    {
        QByteArray text = "[StartUp]\n";
        for (auto it = keys.begin(); it != keys.end(); ++it)
            text += it.key().toUtf8().replace(' ', "%20") + "=\"" + it.value().toUtf8() + "\"\n";
        home.writeStore(text);
    }

    // Starts the window with no settle delay (the cycle runs at the board's pace) and these
    // stored keys besides.
    tovana::frmMonitor &startWith(QMap<QString, QString> keys = {})
    {
        keys.insert("Meter Response", "0");
        writeStore(keys);
        return start();
    }

    // Shows the window; once its port is open, the start state it sent is taken off the
    // board's bytes.
    tovana::frmMonitor &start()
    {
        window = std::make_unique<tovana::frmMonitor>(bus.address());
        window->show();
        if (window->MSComm1()->isOpen()) {
            EXPECT_TRUE(takeStartState(board, *window));
        }
        return *window;
    }

    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    // A visible message box of the application, or null.
    static QMessageBox *messageBox()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

    // The message box once one is up (messages wait for their window to be on screen), or null.
    static QMessageBox *awaitMessage()
    {
        (void)QTest::qWaitFor([] { return messageBox() != nullptr; }, 5000);
        return messageBox();
    }

    TempConfigHome home;
    PrivateBus bus;
    PtyBoard board;
    std::unique_ptr<tovana::frmMonitor> window;
};
