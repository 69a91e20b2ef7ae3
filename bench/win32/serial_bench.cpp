// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-serial-bench PORT [SECONDS] [SETTINGS]: acquisition cycles per second on one port,
// of the eight channel queries 1..7,0, each sent when the reply to the one before has come:
// through the serial line as the monitor runs it (replies handed to this thread's message
// loop, which sends the next query) and, for comparison, by one thread alone waiting for
// each overlapped write and read in turn. Prints cycles/s and the share of the
// line's limit (16 bytes of 10 bits a cycle).
#include "SerialLine.h"
#include "Text.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kQueries[] = {1, 2, 3, 4, 5, 6, 7, 0};

double now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Cycles/s through SerialLine, counted after the first cycle; negative on a failure.
double throughSerialLine(int port, const std::string &settings, double seconds)
{
    std::size_t next = 0;
    long long cycles = 0;
    std::string failure;
    tovana::win32::SerialLine *line = nullptr;
    tovana::win32::SerialLine serial({[&](std::string_view bytes) {
                                          for (std::size_t i = 0; i < bytes.size(); ++i)
                                              if ((next = (next + 1) % sizeof kQueries) == 0)
                                                  ++cycles;
                                          line->write(std::string_view(&kQueries[next], 1));
                                      },
                                      [&](const std::string &message) { failure = message; }});
    line = &serial;
    if (!serial.open(port, settings)) {
        std::fprintf(stderr, "%s\n", serial.error().c_str());
        return -1;
    }
    serial.write(std::string_view(&kQueries[0], 1));
    double start = 0, end = 0;
    long long cyclesAtStart = -1;
    MSG message;
    while (failure.empty()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        end = now();
        if (cyclesAtStart < 0 && cycles > 0) {
            start = end;
            cyclesAtStart = cycles;
        }
        if (cyclesAtStart >= 0 && end - start >= seconds)
            break;
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return -1;
    }
    return static_cast<double>(cycles - cyclesAtStart) / (end - start);
}

// Cycles/s of one thread alone, each overlapped write and read waited for in turn.
double oneThreadAlone(int port, const std::string &settings, double seconds)
{
    const std::wstring path = L"\\\\.\\COM" + std::to_wstring(port);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{};
    const std::wstring definition(settings.begin(), settings.end());
    GetCommState(handle, &dcb);
    BuildCommDCBW(definition.c_str(), &dcb);
    SetCommState(handle, &dcb);
    SetCommTimeouts(handle, &timeouts);
    OVERLAPPED writing{}, reading{};
    writing.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    reading.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    long long cycles = 0;
    const double start = now();
    double end = start;
    bool ok = true;
    while (ok && end - start < seconds) {
        for (char query : kQueries) {
            char reply = 0;
            DWORD count = 0;
            WriteFile(handle, &query, 1, nullptr, &writing);
            ok = GetOverlappedResult(handle, &writing, &count, TRUE);
            ReadFile(handle, &reply, 1, nullptr, &reading);
            ok = ok && GetOverlappedResult(handle, &reading, &count, TRUE) && count == 1;
        }
        ++cycles;
        end = now();
    }
    CloseHandle(writing.hEvent);
    CloseHandle(reading.hEvent);
    CloseHandle(handle);
    return ok ? static_cast<double>(cycles) / (end - start) : -1;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: tovana-serial-bench PORT [SECONDS] [SETTINGS]\n");
        return 2;
    }
    const int port = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
    const double seconds = argc > 2 ? std::wcstod(argv[2], nullptr) : 10.0;
    const std::string settings = argc > 3 ? tovana::win32::narrow(argv[3]) : "19200,n,8,1";
    const double limit = std::strtod(settings.c_str(), nullptr) / (16 * 10);

    // This one first: it leaves no query unanswered behind, whose reply the other would
    // take for its own.
    const double alone = oneThreadAlone(port, settings, seconds);
    const double line = throughSerialLine(port, settings, seconds);
    if (line < 0 || alone < 0) {
        std::fprintf(stderr, "tovana-serial-bench: COM%d failed\n", port);
        return 1;
    }
    std::printf("COM%d %s, %.0f s each, the line's limit %.0f cycles/s:\n", port, settings.c_str(), seconds, limit);
    std::printf("  serial line, replies through the message loop: %.1f cycles/s (%.3f of the limit)\n", line,
                line / limit);
    std::printf("  one thread alone, overlapped calls waited for: %.1f cycles/s (%.3f of the limit)\n", alone,
                alone / limit);
    return 0;
}
