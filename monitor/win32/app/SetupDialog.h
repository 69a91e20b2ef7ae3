// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog (class "TovanaSetup", title "Setup"): tabs "Com Port", "Meters", "Relays"
// and "Limits", a view of the station and the controller of its edits, as on Linux. Every
// edit goes straight to the station, the multiplier also straight to the store; a box that
// holds no number is refused with a message and changes nothing. Modeless, so the station's
// timers and the line's bytes are served by the one message loop meanwhile; closing it saves
// every setting, destroys it and runs `closed`. UI thread only.
#pragma once

#include "StationRunner.h"

#include <windows.h>

#include <functional>

namespace tovana::win32::app {

// Opens the dialog on meter 1; nullptr when it could not be made.
HWND showSetupDialog(HINSTANCE instance, HWND owner, HFONT font, StationRunner &runner, std::function<void()> closed);

// Hands keyboard navigation (Tab, arrows) to the dialog when it is the message's window.
bool setupDialogMessage(MSG &message);

} // namespace tovana::win32::app
