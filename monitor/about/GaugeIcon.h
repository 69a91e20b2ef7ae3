// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The program's icon: a small annular gauge with green, yellow and red bands and a needle.
// One drawing serves the about box, the window icon and the icon files of the desktop theme.
#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

// Draws the icon into the square (0, 0, size, size) of the painter.
void drawGaugeIcon(QPainter &painter, qreal size);
// The icon painted for the given size and device pixel ratio.
QPixmap paintGaugeIcon(int size, qreal devicePixelRatio);
// The icon at the sizes of the desktop icon theme, for every window of the program.
QIcon gaugeWindowIcon();
