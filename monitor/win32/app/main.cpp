// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Tovana.exe: the station monitor's window on Windows. "--no-notify" leaves the link
// server's change notification unused, so band following runs on the tick alone (for
// measuring the fallback).
#include "MainWindow.h"
#include "SetupDialog.h"

#include <windows.h>

#include <commctrl.h>
#include <cwchar>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t *commandLine, int show)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR gdiplus = 0;
    if (Gdiplus::GdiplusStartup(&gdiplus, &startup, nullptr) != Gdiplus::Ok) {
        MessageBoxW(nullptr, L"The drawing library (GDI+) could not be started.", L"Tovana", MB_OK | MB_ICONSTOP);
        return 1;
    }
    int status = 1;
    {
        const bool subscribe = std::wcsstr(commandLine, L"--no-notify") == nullptr;
        tovana::win32::app::MainWindow window(subscribe);
        if (window.create(instance, show)) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (tovana::win32::app::setupDialogMessage(message))
                    continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            status = int(message.wParam);
        }
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    return status;
}
