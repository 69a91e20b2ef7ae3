// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The about box (window class "TovanaAbout", title "About Tovana"): the program's icon, name
// and version, what it is for, OK, and "System Info...", which starts the system-information
// tool found through the registry where the platform keeps it. Modeless: the main window
// hides while it is open and is told through `closed` when it goes. UI thread only.
#pragma once

#include <windows.h>

#include <functional>

namespace tovana::win32::app {

// Control IDs: the buttons by their design names.
constexpr int kAboutOk = IDOK;
constexpr int kAboutSysInfo = 7001;

// Shows the box; `closed` runs once it has gone.
HWND showAboutBox(HINSTANCE instance, HWND owner, HFONT font, std::function<void()> closed);

} // namespace tovana::win32::app
