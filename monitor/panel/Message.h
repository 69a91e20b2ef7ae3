// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The program's one kind of message: a box with the text, an OK button and the program's
// title, window-modal over the window it belongs to and in front of it. Two rules keep it
// in front under a real window manager. A box opened while its window is still being
// mapped (during the window's activation) is stacked behind it, where nobody finds it and
// the blocked window ignores every click: so a message waits until its window is exposed.
// And two modal boxes over one window take the focus from each other without end: so a
// window shows one message at a time, the next when the last is closed. Never blocks.
// UI thread only.
#pragma once

class QString;
class QWidget;

namespace tovana {

inline constexpr const char *kProgramTitle = "Tovana";

// The message goes to `owner`'s window; `owner` is the box's parent.
void showMessage(QWidget *owner, const QString &text);

} // namespace tovana
