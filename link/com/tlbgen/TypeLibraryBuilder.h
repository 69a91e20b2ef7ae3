// Writes the server's two type libraries from the member catalogue with ICreateTypeLib2:
// the published library `Tethra` (24 types, exactly as clients compiled against it expect)
// and the library of earlier identifiers (`_Varnex` and `__Varnex` again under each earlier
// identifier). Returns the failing HRESULT and prints what failed on stderr.
#pragma once

#include <windows.h>

#include <string>

namespace tethra::com {

HRESULT writePublishedLibrary(const std::wstring &path);
HRESULT writeEarlierLibrary(const std::wstring &path);

} // namespace tethra::com
