// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Switching relay n (1..12) of the relay board from its panel button. The relay's state is
// its green lamp: toggleRelay sends the byte the lamp does not show (on byte when hidden,
// off byte when shown), and only once the byte is on its way changes the lamp over. The
// lamp shows what was commanded; the board sends no reply. On a closed or failing port
// nothing is sent, the lamp keeps its state and false comes back (errorString() of the port).
#pragma once

class QWidget;

namespace tovana {

class CommPort;

bool toggleRelay(CommPort &port, QWidget &greenLamp, int relay);

} // namespace tovana
