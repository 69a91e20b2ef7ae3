// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#ifdef _WIN32

#include "WindowsRegistry.h"

#include <windows.h>

namespace {

HKEY toHkey(Registry::Handle key)
{
    return reinterpret_cast<HKEY>(key);
}

// Root keys are 32-bit numbers sign-extended into a handle, as windows.h defines them.
HKEY rootHkey(quint32 root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

} // namespace

long WindowsRegistry::openKey(quint32 root, const QByteArray &path, quint32 access, Handle &key)
{
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExA(rootHkey(root), path.constData(), 0, access, &opened);
    if (status == ERROR_SUCCESS)
        key = reinterpret_cast<Handle>(opened);
    return status;
}

long WindowsRegistry::queryValue(Handle key, const QByteArray &name, quint32 &type, std::span<char> buffer,
                                 quint32 &length)
{
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LSTATUS status = RegQueryValueExA(toHkey(key), name.constData(), nullptr, &valueType,
                                            reinterpret_cast<LPBYTE>(buffer.data()), &size);
    type = valueType;
    length = size;
    return status;
}

void WindowsRegistry::closeKey(Handle key)
{
    RegCloseKey(toHkey(key));
}

#endif
