// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The one main() of every test executable: GoogleTest inside a QApplication, so that
// widget, serial and D-Bus tests all have an event loop and the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TOVANA_BUILD_DIR"))
        qputenv("TOVANA_BUILD_DIR", TOVANA_BUILD_DIR_PATH);
    if (qEnvironmentVariableIsEmpty("TOVANA_SOURCE_DIR"))
        qputenv("TOVANA_SOURCE_DIR", TOVANA_SOURCE_DIR_PATH);
    // Test programs do not sit beside the build tree's share folder, as tovana does: the
    // help page is found there through the data folders.
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QByteArray(TOVANA_BUILD_DIR_PATH "/share:") +
                                 (dataDirs.isEmpty() ? "/usr/local/share:/usr/share" : dataDirs));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
