// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Help → Contents: the monitor's help page, opened in the desktop's web browser through
// xdg-open, which follows the desktop's own choice of browser. Nothing waits: the opener
// runs on its own, and a failure is told when it ends, with its real cause: the page
// missing, no opener installed (xdg-utils), or no browser for the opener to start.
#pragma once

#include <QString>

class QWidget;

namespace tovana {

// The help page beside the program (prefix/bin/tovana finds prefix/share/tovana/help, in an
// install or in the build tree), else wherever the desktop's data folders hold it.
QString helpPagePath();

// Messages go to `owner`'s window.
void openHelpPage(QWidget *owner);

} // namespace tovana
