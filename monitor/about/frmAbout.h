// The about box: the program's title, version and a button that starts the operating
// system's system-information tool. The main window hides itself and shows a new box,
// which is modeless and deletes itself on close; however it is closed, it shows the main
// window again before it goes. Lives on the UI thread.
#pragma once

#include <QPointer>
#include <QWidget>

class QCloseEvent;

class frmAbout : public QWidget
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *mainWindow);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPointer<QWidget> m_mainWindow;
};
