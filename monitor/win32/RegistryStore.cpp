// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RegistryStore.h"

#include "Text.h"

#include <windows.h>

namespace tovana::win32 {
namespace {

std::string where(const std::string &section, const std::string &key)
{
    return "[" + section + "] " + key;
}

} // namespace

RegistryStore::RegistryStore(std::string application) : m_application(std::move(application)) {}

std::string RegistryStore::sectionPath(const std::string &section) const
{
    return "Software\\VB and VBA Program Settings\\" + m_application + "\\" + section;
}

std::optional<std::string> RegistryStore::get(const std::string &section, const std::string &key) const
{
    m_error.clear();
    const auto path = widen(sectionPath(section));
    const auto name = widen(key);
    if (!path || !name) {
        m_error = "Cannot read " + where(section, key) + ": the name is not valid UTF-8.";
        return std::nullopt;
    }
    // The value may grow between asking its size and reading it: ask again then.
    LSTATUS status;
    std::wstring text;
    do {
        DWORD size = 0;
        status = RegGetValueW(HKEY_CURRENT_USER, path->c_str(), name->c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size);
        if (status != ERROR_SUCCESS)
            break;
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status =
            RegGetValueW(HKEY_CURRENT_USER, path->c_str(), name->c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &size);
        if (status == ERROR_SUCCESS)
            text.resize(size / sizeof(wchar_t) - 1); // without the closing null
    } while (status == ERROR_MORE_DATA);

    if (status == ERROR_SUCCESS)
        return narrow(text);
    if (status == ERROR_UNSUPPORTED_TYPE)
        m_error = "Cannot read " + where(section, key) + ": the registry holds it as something other than text.";
    else if (status != ERROR_FILE_NOT_FOUND)
        m_error = "Cannot read " + where(section, key) + ": " + systemMessage(static_cast<DWORD>(status)) + ".";
    return std::nullopt;
}

bool RegistryStore::save(const std::string &section, const std::string &key, const std::string &value)
{
    m_error.clear();
    const auto path = widen(sectionPath(section));
    const auto name = widen(key);
    const auto text = widen(value);
    if (!path || !name || !text) {
        m_error = "Cannot save " + where(section, key) + ": the text is not valid UTF-8.";
        return false;
    }
    // A text value ends at its first null: the part after it would be lost without a word.
    if (text->find(L'\0') != std::wstring::npos) {
        m_error = "Cannot save " + where(section, key) + ": the text holds a null character.";
        return false;
    }
    HKEY handle = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
        status = RegSetValueExW(handle, name->c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text->c_str()), bytes);
        RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) {
        m_error = "Cannot save " + where(section, key) + ": " + systemMessage(static_cast<DWORD>(status)) + ".";
        return false;
    }
    return true;
}

} // namespace tovana::win32
