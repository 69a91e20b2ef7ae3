// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Class and interface identifiers from the member catalogue's "{XXXXXXXX-...}" text, and the
// wide strings the registry and the COM runtime want. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tethra::com {

// The identifier that text names; aborts the program on malformed text, since every
// identifier comes from the catalogue and a bad one is a build fault.
GUID guidFromText(std::string_view text);

// "{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}" as UTF-16.
std::wstring wideText(std::string_view text);

} // namespace tethra::com
