// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The about box: the program's title, version and a button that starts the operating
// system's system-information tool. The main window hides itself and shows a new box,
// which is modeless and deletes itself on close; however it is closed, it shows the main
// window again before it goes. Lives on the UI thread.
#pragma once

#include "SysInfoServices.h"

#include <QPointer>
#include <QWidget>

class QCloseEvent;
class QLabel;

class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *mainWindow);
    // With the registry, file test and program starter the system-information button uses.
    frmAbout(QWidget *mainWindow, SysInfoServices services);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void showVersionInformation();

    QPointer<QWidget> m_mainWindow;
    SysInfoServices m_services;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblVersion = nullptr;
};
