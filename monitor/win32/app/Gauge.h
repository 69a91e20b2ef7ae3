// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One meter of the panel as a child window of class "TovanaGauge", drawn antialiased with
// GDI+ in the panel's look: a cream plate, the scale ring with its three colour bands, the
// major ticks with their numbers and the minor ticks, the caption below the hub, and the
// needle, greyed and dashed where it was left while there is no reading. UI thread only.
#pragma once

#include "Records.h"

#include <windows.h>

#include <string>

namespace tovana::win32::app {

struct GaugeLook {
    station::MeterConfig meter;
    double needle = 0;
    bool noReading = false;
};

// Registers the class once; GDI+ must be started.
void registerGaugeClass(HINSTANCE instance);
HWND createGauge(HWND parent, int id, HINSTANCE instance);
// Shows the look given (copied); repaints only when it changed.
void setGaugeLook(HWND gauge, const GaugeLook &look);

} // namespace tovana::win32::app
