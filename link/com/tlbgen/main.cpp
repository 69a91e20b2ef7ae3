// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-tlbgen win32|win64 PUBLISHED.tlb EARLIER.tlb: writes the server's two type libraries
// from the member catalogue for the given target. Runs at build time (under Wine).
#include "TypeLibraryBuilder.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4 || (std::wcscmp(argv[1], L"win32") != 0 && std::wcscmp(argv[1], L"win64") != 0)) {
        std::fprintf(stderr, "usage: tethra-tlbgen win32|win64 PUBLISHED.tlb EARLIER.tlb\n");
        return 2;
    }
    const SYSKIND target = std::wcscmp(argv[1], L"win64") == 0 ? SYS_WIN64 : SYS_WIN32;
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    const HRESULT published = tethra::com::writePublishedLibrary(argv[2], target);
    const HRESULT earlier = SUCCEEDED(published) ? tethra::com::writeEarlierLibrary(argv[3], target) : published;
    CoUninitialize();
    return SUCCEEDED(earlier) ? 0 : 1;
}
