// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "AboutBox.h"

#include "MainWindow.h"
#include "TovanaVersion.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace tovana::win32::app {

namespace {

const wchar_t kClassName[] = L"TovanaAbout";

struct AboutState {
    std::function<void()> closed;
};

// Where the platform records the system-information tool: its full path, or else the folder
// of the shared tools that holds it.
std::string registryText(const char *key, const char *value)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return {};
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    const bool found =
        RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE *>(text), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(opened);
    return found ? std::string(text) : std::string();
}

void startSysInfo(HWND owner)
{
    std::string tool = registryText("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
    if (tool.empty()) {
        const std::string folder = registryText("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO");
        if (!folder.empty() && GetFileAttributesA((folder + "\\MSINFO32.EXE").c_str()) != INVALID_FILE_ATTRIBUTES)
            tool = folder + "\\MSINFO32.EXE";
    }
    if (tool.empty() ||
        reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", tool.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
        tellOperator("System Information Is Unavailable At This Time");
}

LRESULT CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = reinterpret_cast<AboutState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kAboutOk || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(window);
        else if (LOWORD(wParam) == kAboutSysInfo)
            startSysInfo(window);
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_CTLCOLORSTATIC: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_NCDESTROY:
        if (state) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            if (state->closed)
                state->closed();
            delete state;
        }
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND showAboutBox(HINSTANCE instance, HWND owner, HFONT font, std::function<void()> closed)
{
    WNDCLASSW type{};
    type.lpfnWndProc = aboutProcedure;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    RegisterClassW(&type); // fails harmlessly once registered

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_POPUP;
    RECT frame{0, 0, 420, 190};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, L"About Tovana", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, nullptr);
    if (!box)
        return nullptr;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new AboutState{std::move(closed)}));

    struct Item {
        const wchar_t *className;
        std::wstring text;
        DWORD style;
        RECT place; // left, top, width, height
        int id;
    };
    HICON icon = LoadIconW(instance, L"TOVANA_ICON");
    const Item items[] = {
        {WC_STATICW, L"", SS_ICON, {16, 16, 32, 32}, 7002},
        {WC_STATICW, L"Tovana", SS_LEFT, {64, 16, 330, 20}, 7003},
        {WC_STATICW, L"Version " TOVANA_VERSION_TEXT, SS_LEFT, {64, 38, 330, 20}, 7004},
        {WC_STATICW,
         L"Station monitor and relay control for the serial ADC and relay boards.",
         SS_LEFT,
         {64, 62, 340, 36},
         7005},
        {WC_STATICW,
         L"Use this program only with the ADC and relay boards it was written for.",
         SS_LEFT,
         {16, 110, 280, 64},
         7006},
        {WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {310, 110, 96, 26}, kAboutOk},
        {WC_BUTTONW, L"&System Info...", BS_PUSHBUTTON | WS_TABSTOP, {310, 146, 96, 26}, kAboutSysInfo},
    };
    for (const Item &item : items) {
        HWND control = CreateWindowExW(0, item.className, item.text.c_str(), WS_CHILD | WS_VISIBLE | item.style,
                                       item.place.left, item.place.top, item.place.right, item.place.bottom, box,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendDlgItemMessageW(box, 7002, STM_SETICON,
                        reinterpret_cast<WPARAM>(icon ? icon : LoadIconW(nullptr, IDI_APPLICATION)), 0);
    ShowWindow(box, SW_SHOW);
    SetFocus(GetDlgItem(box, kAboutOk));
    return box;
}

} // namespace tovana::win32::app
