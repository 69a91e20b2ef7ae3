// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana: the station monitor. Shows the main window; the window does the rest.
//
// Demo and testing aid: with TOVANA_SCREENSHOT=<file.png> the program saves a picture of
// its main window after TOVANA_SCREENSHOT_AFTER milliseconds (default 2000), prints the
// file's path and ends as if the window had been closed. With TOVANA_CLICK=<objectName>
// it clicks that button of the main window once, right after the first activation (the
// offscreen demo turns band following on this way, where nobody can click "On").
#include "frmMonitor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {

void scheduleScreenshot(tovana::frmMonitor *window)
{
    const QString file = qEnvironmentVariable("TOVANA_SCREENSHOT");
    if (file.isEmpty())
        return;
    bool ok = false;
    int after = qEnvironmentVariableIntValue("TOVANA_SCREENSHOT_AFTER", &ok);
    if (!ok || after < 0)
        after = 2000;
    QTimer::singleShot(after, window, [window, file] {
        if (window->grab().save(file))
            std::printf("%s\n", qPrintable(file));
        else
            std::fprintf(stderr, "tovana: could not write the screenshot %s\n", qPrintable(file));
        std::fflush(stdout);
        window->close();
    });
}

void scheduleClick(tovana::frmMonitor *window)
{
    const QString name = qEnvironmentVariable("TOVANA_CLICK");
    if (name.isEmpty())
        return;
    QTimer::singleShot(0, window, [window, name] {
        if (auto *button = window->findChild<QAbstractButton *>(name))
            button->click();
        else
            std::fprintf(stderr, "tovana: no button named %s to click\n", qPrintable(name));
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovana");
    QApplication::setApplicationVersion(TOVANA_VERSION);

    tovana::frmMonitor window;
    window.show();
    scheduleClick(&window);
    scheduleScreenshot(&window);
    return app.exec();
}
