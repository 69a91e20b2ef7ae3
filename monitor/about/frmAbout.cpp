// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "frmAbout.h"

#include "GaugeIcon.h"
#include "StartSysInfo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVersionNumber>

namespace {

constexpr int IconSize = 48;

QLabel *addLabel(QWidget *parent, const char *name, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

frmAbout::frmAbout(QWidget *mainWindow) : frmAbout(mainWindow, SysInfoServices::system()) {}

frmAbout::frmAbout(QWidget *mainWindow, SysInfoServices services)
    : QWidget(mainWindow, Qt::Window)
    , m_mainWindow(mainWindow)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWidgets();
    showVersionInformation();
}

void frmAbout::buildWidgets()
{
    auto *picIcon = addLabel(this, "picIcon");
    picIcon->setPixmap(paintGaugeIcon(IconSize, devicePixelRatioF()));
    picIcon->setAlignment(Qt::AlignTop);

    m_lblTitle = addLabel(this, "lblTitle");
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblVersion = addLabel(this, "lblVersion");
    auto *lblDescription =
        addLabel(this, "lblDescription",
                 QStringLiteral("Station monitor and relay control for the serial ADC and relay boards."));
    auto *lblDisclaimer =
        addLabel(this, "lblDisclaimer",
                 QStringLiteral("Use this program only with the ADC and relay boards it was written for."));

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *cmdOK = addButton(this, "cmdOK", QStringLiteral("OK"));
    auto *cmdSysInfo = addButton(this, "cmdSysInfo", QStringLiteral("&System Info..."));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(m_services, this); });

    auto *layout = new QGridLayout(this);
    layout->addWidget(picIcon, 0, 0, 3, 1);
    layout->addWidget(m_lblTitle, 0, 1, 1, 2);
    layout->addWidget(m_lblVersion, 1, 1, 1, 2);
    layout->addWidget(lblDescription, 2, 1, 1, 2);
    layout->addWidget(line, 3, 0, 1, 3);
    layout->addWidget(lblDisclaimer, 4, 0, 2, 2, Qt::AlignTop);
    layout->addWidget(cmdOK, 4, 2);
    layout->addWidget(cmdSysInfo, 5, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    cmdOK->setFocus();
}

void frmAbout::showVersionInformation()
{
    const QString title = QCoreApplication::applicationName();
    const QVersionNumber version = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    setWindowTitle(QStringLiteral("About ") + title);
    m_lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                              .arg(version.majorVersion())
                              .arg(version.minorVersion())
                              .arg(version.microVersion()));
    m_lblTitle->setText(title);
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->activateWindow();
    }
    event->accept();
}
