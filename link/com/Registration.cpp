// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Registration.h"

#include "Guid.h"
#include "Identifiers.h"
#include "MemberCatalogue.h"
#include "TypeLibraries.h"

#include <oleauto.h>

#include <string>

// In oleaut32 since Windows Vista, but not declared by mingw-w64's headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib *library, OLECHAR *path, OLECHAR *helpDirectory);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
}

namespace tethra::com {
namespace {

const wchar_t progId[] = L"Tethra.VarnexConnector";

HKEY classesRoot(Scope scope, HKEY *opened)
{
    const HKEY root = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const LSTATUS status =
        RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened, nullptr);
    return status == ERROR_SUCCESS ? *opened : nullptr;
}

HRESULT setValue(HKEY classes, const std::wstring &key, const wchar_t *name, const std::wstring &value)
{
    HKEY handle = nullptr;
    LSTATUS status = RegCreateKeyExW(classes, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    return HRESULT_FROM_WIN32(status);
}

std::wstring hexVersion(int major, int minor)
{
    wchar_t text[32];
    swprintf(text, 32, L"%x.%x", major, minor);
    return text;
}

HRESULT registerLibrary(int resource, Scope scope)
{
    HRESULT hr = S_OK;
    ITypeLib *library = typelibs::library(resource, &hr);
    if (!library)
        return hr;
    std::wstring path = typelibs::resourcePath(resource);
    return scope == Scope::Machine ? RegisterTypeLib(library, path.data(), nullptr)
                                   : RegisterTypeLibForUser(library, path.data(), nullptr);
}

// Removes the registration of the library in resource N, as its own attributes give it.
HRESULT unregisterLibrary(int resource, Scope scope)
{
    HRESULT hr = S_OK;
    ITypeLib *library = typelibs::library(resource, &hr);
    TLIBATTR *attributes = nullptr;
    if (!library || FAILED(hr = library->GetLibAttr(&attributes)))
        return hr;
    const TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    const auto unregister = scope == Scope::Machine ? UnRegisterTypeLib : UnRegisterTypeLibForUser;
    hr = unregister(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
    // Nothing registered, nothing to remove (Wine says E_INVALIDARG where Windows says
    // TYPE_E_REGISTRYACCESS).
    return hr == TYPE_E_REGISTRYACCESS || hr == E_INVALIDARG ? S_OK : hr;
}

} // namespace

HRESULT registerServer(Scope scope)
{
    HKEY classes = nullptr;
    if (!classesRoot(scope, &classes))
        return E_ACCESSDENIED;
    const auto &library = catalogue::typeLibrary();
    const std::wstring clsid = wideText(catalogue::connectorClassId);
    const std::wstring key = L"CLSID\\" + clsid;
    wchar_t exe[MAX_PATH];
    const std::wstring server(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));

    HRESULT hr = setValue(classes, key, nullptr, L"Tethra.VarnexConnector");
    if (SUCCEEDED(hr))
        hr = setValue(classes, key + L"\\LocalServer32", nullptr, L"\"" + server + L"\"");
    if (SUCCEEDED(hr))
        hr = setValue(classes, key + L"\\ProgID", nullptr, progId);
    if (SUCCEEDED(hr))
        hr = setValue(classes, key + L"\\TypeLib", nullptr, wideText(library.guid));
    if (SUCCEEDED(hr))
        hr = setValue(classes, key + L"\\VERSION", nullptr, hexVersion(library.majorVersion, library.minorVersion));
    if (SUCCEEDED(hr))
        hr = setValue(classes, progId, nullptr, L"Tethra.VarnexConnector");
    if (SUCCEEDED(hr))
        hr = setValue(classes, std::wstring(progId) + L"\\Clsid", nullptr, clsid);
    RegCloseKey(classes);
    if (SUCCEEDED(hr))
        hr = registerLibrary(TETHRA_TYPELIB_PUBLISHED, scope);
    if (SUCCEEDED(hr))
        hr = registerLibrary(TETHRA_TYPELIB_EARLIER, scope);
    return hr;
}

HRESULT unregisterServer(Scope scope)
{
    HKEY classes = nullptr;
    if (!classesRoot(scope, &classes))
        return E_ACCESSDENIED;
    const std::wstring key = L"CLSID\\" + wideText(catalogue::connectorClassId);
    RegDeleteTreeW(classes, key.c_str());
    RegDeleteTreeW(classes, progId);
    RegCloseKey(classes);
    const HRESULT published = unregisterLibrary(TETHRA_TYPELIB_PUBLISHED, scope);
    const HRESULT earlier = unregisterLibrary(TETHRA_TYPELIB_EARLIER, scope);
    return FAILED(published) ? published : earlier;
}

} // namespace tethra::com
