// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The main window over a temporary config home, with the setup dialog opened the way a
// user opens it: "&Setup" hides the window and shows the dialog. Controls are found by
// their design names.
#pragma once

#include "MonitorFixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>

class SetupFixture : public MonitorFixture {
protected:
    // Starts the main window when it is not up yet, then opens the dialog from its menu.
    tovana::frmSetup *openSetup()
    {
        if (!window)
            start();
        window->findChild<QAction *>("mnuSetup")->trigger();
        setup = window->setupForm();
        EXPECT_TRUE(setup->isVisible());
        EXPECT_FALSE(window->isVisible());
        return setup;
    }

    // Closes the dialog with its close box; the main window comes back and activates.
    void closeSetup()
    {
        QPointer<tovana::frmSetup> closing(setup);
        ASSERT_TRUE(closing->close());
        ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, 10000));
        ASSERT_TRUE(window->isVisible());
    }

    template <typename T = QWidget>
    T *control(const QString &name) const
    {
        T *widget = setup->findChild<T *>(name);
        if (!widget)
            ADD_FAILURE() << "no control " << qPrintable(name);
        return widget;
    }

    QString text(const char *box) const { return control<QLineEdit>(box)->text(); }

    // Replaces a box's text as the user does: select all, type.
    void type(const char *box, const QString &typed) const
    {
        QLineEdit *edit = control<QLineEdit>(box);
        edit->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, typed);
    }

    void click(const char *button) const { control<QPushButton>(button)->click(); }

    // The visible message box of the setup dialog, or null.
    static QMessageBox *setupMessage()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->isVisible() && qobject_cast<tovana::frmSetup *>(box->parentWidget()))
                return box;
        }
        return nullptr;
    }

    tovana::AGauge *gauge(int index) const { return window->gauge(index); }

    QPointer<tovana::frmSetup> setup;
};
