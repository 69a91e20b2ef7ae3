// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Where a top-level window may stand: its title bar must lie within some screen's
// available area, or the user could not reach it to move the window. Frames are the
// window's outer rectangle (frame included), in the desktop's logical pixels.
#pragma once

#include <QRect>
#include <QSize>

class QScreen;

namespace tovana {

// The title bar (the frame's top `titleHeight` pixels) lies on a screen, with enough of
// its width there to be grabbed.
bool titleBarReachable(const QRect &frame, int titleHeight);

// The frame's top left as given when its title bar is reachable; otherwise moved onto the
// screen nearest its centre, as far as needed to lie wholly on it (left and top first).
QPoint reachablePosition(const QRect &frame, int titleHeight);

// The frame centred on the screen's available area, kept within it from the top left.
QPoint centredPosition(const QSize &frame, const QScreen *screen);

// `wanted` reduced, keeping its proportions, until a frame `margins` larger fits the
// screen's available area.
QSize fittedSize(const QSize &wanted, const QSize &margins, const QScreen *screen);

} // namespace tovana
