// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The two type libraries the server carries as TYPELIB resources 1 (published) and 2
// (earlier identifiers), loaded from its own executable once and kept for the process.
// interfaceInfo gives the vtable view of a dual interface, which DispInvoke calls through.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace tethra::com::typelibs {

// "C:\...\Tethra.exe\N": the path under which resource N is loaded and registered.
std::wstring resourcePath(int resource);

// The library in resource N, or null with the failure in *result.
ITypeLib *library(int resource, HRESULT *result = nullptr);

// The vtable (TKIND_INTERFACE) description of a dual interface of the published library.
ITypeInfo *interfaceInfo(REFIID iid);

} // namespace tethra::com::typelibs
