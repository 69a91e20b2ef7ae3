// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Writes the server's two type libraries from the member catalogue with ICreateTypeLib2:
// the published library `Tethra` (24 types, exactly as clients compiled against it expect)
// and the library of earlier identifiers (`_Varnex` and `__Varnex` again under each earlier
// identifier). The published target is SYS_WIN32, written with every size of a 32-bit
// process even when the generator runs as a 64-bit one; a 64-bit build of the server
// carries a SYS_WIN64 copy for its own marshaling. Returns the failing HRESULT, printed on
// stderr.
#pragma once

#include <windows.h>

#include <string>

namespace tethra::com {

HRESULT writePublishedLibrary(const std::wstring &path, SYSKIND target);
HRESULT writeEarlierLibrary(const std::wstring &path, SYSKIND target);

} // namespace tethra::com
