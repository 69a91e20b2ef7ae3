// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// End-to-end checks of Tethra.exe under Wine: registration, out-of-process activation, two
// client processes sharing Band, text fields, events to sinks of every event identifier,
// property change notifications, the four identifiers of `_Varnex`, the lifetime rules and
// the server's end.
#pragma once

#include "Checks.h"

#include <string>

namespace wine_tests {

void checkServer(Checks &checks, const std::wstring &serverPath, const std::wstring &selfPath);

// Child-process roles, so that a second client really is another process.
int writeBandChild(long band);
int readBandChild();

} // namespace wine_tests
