// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Client side of the link server on Windows: create a VarnexConnector (the platform starts
// Tethra.exe when needed), read its shared Varnex, read Band through its slot in the function
// table, as clients compiled against the type library do. The caller owns and releases
// every reference it gets, and calls these on a thread that has initialised COM.
#pragma once

#include "Tethra_h.h"

namespace tethra::com::client {

// Slot of `Band`'s read accessor in the `_Varnex` function table (175).
int bandSlot();

HRESULT createConnector(_VarnexConnector **connector);
HRESULT readVarnex(_VarnexConnector *connector, _Varnex **varnex);
HRESULT readBand(_Varnex *varnex, LONG *band);

} // namespace tethra::com::client
