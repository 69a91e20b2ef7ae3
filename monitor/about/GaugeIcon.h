// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The program's icon: a small annular gauge with green, yellow and red bands and a needle,
// painted for the given size and device pixel ratio.
#pragma once

#include <QPixmap>

QPixmap paintGaugeIcon(int size, qreal devicePixelRatio);
