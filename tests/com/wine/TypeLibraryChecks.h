// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Checks of the type libraries, read back through ITypeLib/ITypeInfo: the two that Tethra.exe
// carries as resources, and the published one (with its companion) given by path.
#pragma once

#include "Checks.h"

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace wine_tests {

void checkTypeLibraries(Checks &checks, const std::wstring &serverPath, const std::wstring &publishedPath,
                        const std::wstring &earlierPath, SYSKIND target);

} // namespace wine_tests
