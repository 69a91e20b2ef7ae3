// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ComText.h"

namespace wine_tests {

std::string narrow(const wchar_t *text, std::size_t length)
{
    std::string result;
    for (std::size_t i = 0; i < length; ++i)
        result += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return result;
}

std::string narrow(BSTR text)
{
    return text ? narrow(text, SysStringLen(text)) : std::string();
}

std::string guidText(const GUID &guid)
{
    wchar_t text[64] = {};
    const int length = StringFromGUID2(guid, text, 64);
    return narrow(text, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
}

Bstr::Bstr(std::string_view text) : m_text(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())))
{
    for (std::size_t i = 0; i < text.size(); ++i)
        m_text[i] = static_cast<unsigned char>(text[i]);
}

} // namespace wine_tests
