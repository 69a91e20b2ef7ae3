// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Identifiers of the COM server that are not part of the published library: the second
// type library that carries `_Varnex` and `__Varnex` under their earlier identifiers as real
// interfaces (the published library has only aliases, for which no proxy can be built), and
// the numbers of the two TYPELIB resources. Also included by the resource script.
#pragma once

#define TETHRA_TYPELIB_PUBLISHED 1
#define TETHRA_TYPELIB_EARLIER 2
#define TETHRA_ICON 1

#ifdef __cplusplus
#include <string_view>

namespace tethra::com {

inline constexpr std::string_view earlierLibraryName = "TethraEarlierIdentifiers";
inline constexpr std::string_view earlierLibraryId = "{59B0C210-21AC-4B21-8945-51807AD06CE9}";
inline constexpr int earlierLibraryMajor = 1;
inline constexpr int earlierLibraryMinor = 0;

} // namespace tethra::com
#endif
