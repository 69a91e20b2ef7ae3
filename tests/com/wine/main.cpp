// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-wine-tests PATH\Tethra.exe [PUBLISHED.tlb EARLIER.tlb]: the link server's end-to-end
// tests under Wine. The libraries given (the 32-bit published ones, when the server is a
// 64-bit build: .tlb files, or the 32-bit Tethra.exe and Tethra.exe\2) are checked in place
// of the server's own, down to the bytes of their records. Prints a line per check group and
// "N passed, M failed"; exits non-zero on any failure.
// --write-band N and --read-band are the roles of the second and third client processes.
#include "Checks.h"
#include "ServerChecks.h"
#include "TypeLibraryChecks.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t **argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int result = 0;
    if (argc == 3 && std::wcscmp(argv[1], L"--write-band") == 0)
        result = wine_tests::writeBandChild(std::wcstol(argv[2], nullptr, 10));
    else if (argc == 2 && std::wcscmp(argv[1], L"--read-band") == 0)
        result = wine_tests::readBandChild();
    else if (argc == 2 || argc == 4) {
        wchar_t self[MAX_PATH];
        const std::wstring selfPath(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        const std::wstring server = argv[1];
        wine_tests::Checks checks;
        if (argc == 4)
            wine_tests::checkTypeLibraries(checks, server, argv[2], argv[3], SYS_WIN32);
        else
            wine_tests::checkTypeLibraries(checks, server, server, server + L"\\2",
                                           sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32);
        wine_tests::checkServer(checks, argv[1], selfPath);
        checks.summary();
        result = checks.failed() == 0 ? 0 : 1;
    } else {
        std::fprintf(stderr, "usage: tethra-wine-tests PATH\\Tethra.exe [PUBLISHED.tlb EARLIER.tlb]\n");
        result = 2;
    }
    CoUninitialize();
    return result;
}
