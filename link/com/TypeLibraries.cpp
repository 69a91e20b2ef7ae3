// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TypeLibraries.h"

#include "Identifiers.h"

#include <wrl/client.h>

#include <map>

namespace tethra::com::typelibs {

using Microsoft::WRL::ComPtr;

std::wstring resourcePath(int resource)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path, length);
    if (resource != TETHRA_TYPELIB_PUBLISHED)
        result += L"\\" + std::to_wstring(resource);
    return result;
}

ITypeLib *library(int resource, HRESULT *result)
{
    static std::map<int, ComPtr<ITypeLib>> loaded; // held for the life of the process
    auto &entry = loaded[resource];
    HRESULT hr = S_OK;
    if (!entry)
        hr = LoadTypeLibEx(resourcePath(resource).c_str(), REGKIND_NONE, &entry);
    if (result)
        *result = hr;
    return entry.Get();
}

ITypeInfo *interfaceInfo(REFIID iid)
{
    static std::map<GUID, ComPtr<ITypeInfo>,
                    decltype([](const GUID &a, const GUID &b) { return memcmp(&a, &b, sizeof a) < 0; })>
        cache;
    auto &entry = cache[iid];
    if (entry)
        return entry.Get();
    ITypeLib *lib = library(TETHRA_TYPELIB_PUBLISHED);
    ComPtr<ITypeInfo> info;
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(iid, &info)))
        return nullptr;
    // A dual interface is found as its dispatch view; its partner at index -1 is the vtable.
    HREFTYPE vtable = 0;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtable))) {
        ComPtr<ITypeInfo> partner;
        if (SUCCEEDED(info->GetRefTypeInfo(vtable, &partner)))
            info = partner;
    }
    entry = info;
    return entry.Get();
}

} // namespace tethra::com::typelibs
