// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Small helpers of the Wine tests: BSTR and GUID to std::string, a BSTR that frees itself.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace wine_tests {

std::string narrow(const wchar_t *text, std::size_t length);
std::string narrow(BSTR text);
std::string guidText(const GUID &guid); // "{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}"

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view text);
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR get() const { return m_text; }
    BSTR *out()
    {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    std::string text() const { return narrow(m_text); }

private:
    BSTR m_text = nullptr;
};

} // namespace wine_tests
