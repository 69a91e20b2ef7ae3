// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Texts between the station (UTF-8) and the system's wide-character calls (UTF-16), and the
// system's own message for an error code, as one line a user can read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tovana::win32 {

// Nothing when the text is not valid UTF-8.
std::optional<std::wstring> widen(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view utf16);

// The system's text for a Win32 error code or an HRESULT, without the closing full stop and
// line break ("The system cannot find the file specified"); "error 0x…" when it has none.
std::string systemMessage(DWORD code);

} // namespace tovana::win32
