// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "HelpPage.h"

#include "Message.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

namespace tovana {

QString helpPagePath()
{
    const QString relative = QStringLiteral("tovana/help/index.html");
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") + relative;
    if (QFileInfo::exists(beside))
        return QFileInfo(beside).canonicalFilePath();
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    return found.isEmpty() ? beside : found;
}

void openHelpPage(QWidget *owner)
{
    const QString page = helpPagePath();
    if (!QFileInfo::exists(page)) {
        showMessage(owner, QStringLiteral("The help file could not be found: %1").arg(page));
        return;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        showMessage(owner, QStringLiteral("The help file cannot be shown: no program to open it with is installed "
                                          "(xdg-open, from the package xdg-utils).\nThe help file is %1")
                               .arg(page));
        return;
    }
    // No parent: a browser that xdg-open keeps running must outlive the monitor, and a
    // QProcess ends its program when it is destroyed.
    auto *process = new QProcess;
    QPointer<QWidget> window = owner;
    const auto failed = [window, page](const QString &why) {
        if (window)
            showMessage(window,
                        QStringLiteral("The help file could not be shown: %1\nThe help file is %2").arg(why, page));
    };
    QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            failed(QStringLiteral("xdg-open found no web browser to open it with (status %1). Install a web browser, "
                                  "or choose one in the desktop's settings.")
                       .arg(code));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        failed(QStringLiteral("xdg-open could not be started: %1").arg(process->errorString()));
        process->deleteLater();
    });
    process->start(opener, {page});
}

} // namespace tovana
