// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Checks of the 32-bit type libraries' own bytes: every function table's size, every slot,
// every description size and every alignment is the 32-bit one. Each path is a .tlb file,
// an executable (its TYPELIB resource 1) or an executable followed by \N (resource N).
#pragma once

#include "Checks.h"

#include <string>

namespace wine_tests {

void checkWin32Records(Checks &checks, const std::wstring &publishedPath, const std::wstring &earlierPath);

} // namespace wine_tests
