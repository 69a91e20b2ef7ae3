// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The server process's lifetime: every live COM object of the server (connectors, shared
// objects) and every LockServer holds the process. When the last hold goes, the class object
// is revoked at once, so that a client activating from then on starts a new server rather
// than reaching this one as it ends, and the message loop of the one thread is told to end.
// Single-threaded apartment: no locks.
#pragma once

#include <windows.h>

namespace tethra::com::lifetime {

// The registration cookie of the class object, revoked when the last hold goes.
void setClassRegistration(DWORD cookie);

void hold();
void release();

} // namespace tethra::com::lifetime
