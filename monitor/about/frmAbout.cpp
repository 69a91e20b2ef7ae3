#include "frmAbout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About ") + QCoreApplication::applicationName());

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(cmdOK);
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->activateWindow();
    }
    event->accept();
}
