// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Self-registration of Tethra.exe: the class VarnexConnector (local server, ProgID
// "Tethra.VarnexConnector"), the published type library (which registers `_VarnexConnector`,
// `_Varnex` and `__Varnex` for the automation marshaler) and the library of earlier
// identifiers. For the machine (administrator) or for the current user only.
#pragma once

#include <windows.h>

namespace tethra::com {

enum class Scope { Machine, User };

HRESULT registerServer(Scope scope);
HRESULT unregisterServer(Scope scope);

} // namespace tethra::com
