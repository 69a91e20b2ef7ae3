// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-monitor-bench PATH\Tovana.exe BOARD_LOG [WRITES]: Tovana.exe under Wine against the
// recording test board as COM1 (paced to its line speed): the acquisition cycles per second
// it reaches, and the time from a Band written by a COM client (this program) to the last of
// the band's four bytes on the line, median and p99, once with the server's notification and
// once on the tick alone (--no-notify). The store's meter response is set to 0 (no settle
// delay). Prints figures; asserts nothing.
#include "BandTable.h"
#include "ControlIds.h"
#include "TethraClient.h"

#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace tovana::win32::app;

std::wstring g_monitor, g_boardLog;

// The bytes the board has received so far. The log stays open and only what was added since
// the last look is read: it grows by some 2 kB a second, and opening and reading it whole at
// every look added milliseconds to every figure.
const std::string &boardBytes()
{
    static std::string bytes, partial;
    static HANDLE log = INVALID_HANDLE_VALUE;
    if (log == INVALID_HANDLE_VALUE)
        log = CreateFileW(g_boardLog.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD count = 0;
    while (log != INVALID_HANDLE_VALUE && ReadFile(log, chunk, sizeof chunk, &count, nullptr) && count > 0)
        partial.append(chunk, count);
    // Whole lines only ("%02x\n"); a line still being written is taken at the next look.
    std::size_t at = 0;
    for (std::size_t end; (end = partial.find('\n', at)) != std::string::npos; at = end + 1)
        bytes += char(std::strtoul(partial.c_str() + at, nullptr, 16));
    partial.erase(0, at);
    return bytes;
}

double nowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

// Sleeps while serving this thread's COM calls.
void pause(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

void measure(const wchar_t *arguments, const char *name, _Varnex *varnex, int writes, bool cycles)
{
    std::wstring line = L"\"" + g_monitor + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(g_monitor.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("%s: Tovana.exe does not start\n", name);
        return;
    }
    CloseHandle(process.hThread);
    HWND window = nullptr;
    for (int i = 0; i < 300 && !(window = FindWindowW(L"TovanaMonitor", nullptr)); ++i)
        pause(50);
    pause(2000);
    if (cycles) {
        // The eighth query (channel 8, byte 0) closes each cycle.
        const auto count = [] {
            const std::string bytes = boardBytes();
            return std::count(bytes.begin(), bytes.end(), '\0');
        };
        const double start = nowMs();
        const auto before = count();
        pause(10000);
        std::printf("acquisition: %.1f cycles/s\n", double(count() - before) * 1000 / (nowMs() - start));
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId(kFollowOnButton), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, commandId(kFollowOnButton))));
    // A band neither measured write asks for: each write below then changes the band, whatever
    // the store showed at the start.
    varnex->put_Band(7);
    pause(1000);
    std::vector<double> times, calls;
    for (int i = 0; i < writes; ++i) {
        const int position = i % 2 ? 3 : 5;
        const std::string &wanted = tovana::station::bandTable()[std::size_t(position - 1)].bytes;
        const std::size_t from = boardBytes().size();
        const double start = nowMs();
        varnex->put_Band(position);
        calls.push_back(nowMs() - start);
        while (boardBytes().find(wanted, from) == std::string::npos && nowMs() - start < 5000)
            Sleep(1);
        times.push_back(nowMs() - start);
        pause(50 + (i * 37) % 150); // spread over the tick's phase
    }
    std::sort(times.begin(), times.end());
    std::sort(calls.begin(), calls.end());
    if (!times.empty())
        std::printf(
            "%s: Band written to its last byte on the line, median %.1f ms, p99 %.1f ms, max %.1f ms (%zu writes); "
            "the write's call returned after median %.1f ms\n",
            name, times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 99 / 100)], times.back(),
            times.size(), calls[calls.size() / 2]);
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: tovana-monitor-bench PATH\\Tovana.exe BOARD_LOG [WRITES]\n");
        return 2;
    }
    g_monitor = argv[1];
    g_boardLog = argv[2];
    const int writes = argc > 3 ? std::max(1, int(std::wcstol(argv[3], nullptr, 10))) : 100;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        // The connector is held: the server's Varnex lives as long as a connector holds it.
        Microsoft::WRL::ComPtr<_VarnexConnector> connector;
        Microsoft::WRL::ComPtr<_Varnex> varnex;
        if (FAILED(tethra::com::client::createConnector(&connector)) ||
            FAILED(tethra::com::client::readVarnex(connector.Get(), &varnex))) {
            std::printf("the link server cannot be reached\n");
            return 1;
        }
        // No settle delay, as the Linux monitor's acquisition is measured: the cycle then
        // runs as fast as the line and the program allow.
        const wchar_t none[] = L"0";
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tovana2\\StartUp",
                        L"Meter Response", REG_SZ, none, sizeof none);
        measure(L"", "notification", varnex.Get(), writes, true);
        measure(L"--no-notify", "tick alone", varnex.Get(), writes, false);
    }
    CoUninitialize();
    return 0;
}
