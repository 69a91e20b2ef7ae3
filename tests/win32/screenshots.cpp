// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-win32-screenshots PATH\Tovana.exe FOLDER: starts Tovana.exe on a fresh store and opens its about box
// and its setup dialog through their menu commands. For each it writes the window's title to
// FOLDER\NAME.ready and waits for FOLDER\NAME.png, which scripts/win32-screenshots takes from
// the X server (Wine's own screen copies do not show its windows). Run under Wine on an X
// server, with a board on COM1.
#include "ControlIds.h"
#include "Pump.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace tovana::win32::app;
using wine_tests::pumpUntil;

bool exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes the window's title to PATH.ready and waits for PATH.png.
bool take(HWND window, const std::wstring &path)
{
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (FILE *ready = _wfopen((path + L".ready").c_str(), L"w")) {
        std::fputws(title, ready);
        std::fclose(ready);
    }
    return pumpUntil([&] { return exists(path + L".png"); }, 15000);
}

// Opens a window through a menu command of the main window, has it taken, closes it.
bool shoot(HWND monitor, int command, const wchar_t *className, const std::wstring &path)
{
    DeleteFileW((path + L".png").c_str());
    // Out of the window's way: without a window manager, Wine leaves the hidden main window's
    // picture on the screen.
    SetWindowPos(monitor, nullptr, 640, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(monitor, WM_COMMAND, command, 0);
    HWND window = nullptr;
    if (!pumpUntil([&] { return (window = FindWindowW(className, nullptr)) != nullptr; }, 15000))
        return false;
    SetForegroundWindow(window);
    wine_tests::pumpFor(5000); // drawn, also on a busy machine
    const bool saved = take(window, path);
    PostMessageW(window, WM_CLOSE, 0, 0);
    pumpUntil([&] { return !IsWindow(window) && IsWindowVisible(monitor); }, 15000);
    return saved;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: tovana-win32-screenshots PATH\\Tovana.exe FOLDER\n");
        return 2;
    }
    // A fresh store, the settings as the first start seeds them, with a limit on meter 1
    // that the board's first readings trip.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tovana2");
    for (const auto &[name, value] :
         {std::pair{L"Limit0", L"Above"}, std::pair{L"Value0", L"0.5"}, std::pair{L"Readings0", L"2"},
          std::pair{L"WhileTx0", L"False"}, std::pair{L"Action0", L"3=On"}})
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tovana2\\Limits", name, REG_SZ,
                        value, DWORD((std::wcslen(value) + 1) * sizeof(wchar_t)));
    std::wstring line = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    HWND monitor = nullptr;
    bool done = pumpUntil([&] { return (monitor = FindWindowW(L"TovanaMonitor", nullptr)) != nullptr; }, 15000);
    wine_tests::pumpFor(3000); // readings on the gauges
    const std::wstring folder = argv[2];
    done = done && shoot(monitor, mnuHelpAbout, L"TovanaAbout", folder + L"\\win32-about") &&
           shoot(monitor, mnuSetup, L"TovanaSetup", folder + L"\\win32-setup");
    if (done) {
        SetWindowPos(monitor, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        wine_tests::pumpFor(5000);
        done = take(monitor, folder + L"\\win32-tripped");
    }
    PostMessageW(monitor, WM_COMMAND, mnuExit, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::fwprintf(stderr, done ? L"screenshots taken\n" : L"screenshots failed\n");
    return done ? 0 : 1;
}
