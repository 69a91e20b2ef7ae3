// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The application's visible message boxes by what they say. The window may show others
// at any moment (the link server's, for one), so a test looks for the one it means.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace MessageBoxes {

// The visible box with exactly this text, or null.
inline QMessageBox *saying(const QString &text)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible() && box->text() == text)
            return box;
    }
    return nullptr;
}

// The box with this text once it is up: a message waits until its window is on screen and
// the window's earlier message is closed.
inline QMessageBox *awaitSaying(const QString &text, int timeoutMs = 5000)
{
    (void)QTest::qWaitFor([&] { return saying(text) != nullptr; }, timeoutMs);
    return saying(text);
}

// How many visible boxes mention this word.
inline int mentioning(const QString &word)
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible() && box->text().contains(word))
            ++count;
    }
    return count;
}

} // namespace MessageBoxes
