// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The application's visible message boxes by what they say. The window may show others
// at any moment (the link server's, for one), so a test looks for the one it means.
#pragma once

#include <QApplication>
#include <QMessageBox>

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
