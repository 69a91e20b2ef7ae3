// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Guid.h"

#include <cstdio>
#include <cstdlib>

namespace tethra::com {

GUID guidFromText(std::string_view text)
{
    GUID guid{};
    if (CLSIDFromString(wideText(text).c_str(), &guid) != S_OK) {
        std::fprintf(stderr, "Tethra: malformed identifier %.*s\n", static_cast<int>(text.size()), text.data());
        std::abort();
    }
    return guid;
}

std::wstring wideText(std::string_view text)
{
    return std::wstring(text.begin(), text.end()); // identifiers, names and help texts are ASCII
}

} // namespace tethra::com
