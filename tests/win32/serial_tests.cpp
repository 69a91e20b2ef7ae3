// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-serial-tests N: the serial line under Wine against the ADC board that
// tovana-boardsim simulates on a pseudo-terminal, which Wine maps as COM<N>: the channel
// queries in order, one reply byte each, with the settings' parity letter in either case;
// relay bytes get no reply; refusals name the port and the system's reason; a device that
// goes (the simulator ended) is told once.
#include "Checks.h"
#include "Pump.h"
#include "SerialLine.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

using tovana::win32::SerialLine;
using wine_tests::Checks;
using wine_tests::pumpUntil;

constexpr DWORD kReplyLimitMs = 5000;

struct Recorder {
    std::string received;
    std::string failures;
    SerialLine::Handlers handlers()
    {
        return {[this](std::string_view bytes) { received.append(bytes); },
                [this](const std::string &message) { failures += message + "\n"; }};
    }
};

void checkQueries(Checks &checks, int port, const std::string &settings)
{
    Recorder recorder;
    SerialLine line(recorder.handlers());
    if (!checks.check(line.open(port, settings),
                      "COM" + std::to_string(port) + " opens with " + settings + ": " + line.error()))
        return;
    const char queries[] = {1, 2, 3, 4, 5, 6, 7, 0};
    for (std::size_t i = 0; i < sizeof queries; ++i) {
        checks.check(line.write(std::string_view(&queries[i], 1)),
                     "query " + std::to_string(queries[i]) + " is queued");
        checks.check(pumpUntil([&] { return recorder.received.size() > i; }, kReplyLimitMs),
                     "query " + std::to_string(queries[i]) + " gets its reply");
    }
    // Relay 1 on and off: the relay board answers nothing, the next query its one byte.
    line.write("\x21\x20\x01");
    checks.check(pumpUntil([&] { return recorder.received.size() > sizeof queries; }, kReplyLimitMs),
                 "the reply after relay bytes");
    wine_tests::pumpFor(300);
    checks.equal(recorder.received.size(), sizeof queries + 1, "one reply byte to each query, none to relay bytes");
    checks.equal(recorder.failures, "", "no failure on a working line");
    line.close();
    checks.check(!line.isOpen() && !line.write("\x01"), "a closed line takes no bytes");
}

void checkRefusals(Checks &checks, int port)
{
    Recorder recorder;
    SerialLine line(recorder.handlers());
    checks.check(!line.open(port, "19200,x,8,1"), "a parity letter x is refused");
    checks.check(line.error().find("COM" + std::to_string(port) + ": the settings \"19200,x,8,1\" are not valid") == 0,
                 "the message names the port and the settings: " + line.error());
    checks.check(!line.open(port, "fast"), "settings that are no settings are refused: " + line.error());
    checks.check(!line.open(42, "19200,n,8,1"), "a port that does not exist is refused");
    const std::string prefix = "COM42: ";
    checks.check(line.error().rfind(prefix, 0) == 0 && line.error().size() > prefix.size() + 5 &&
                     line.error().find("error 0x") == std::string::npos,
                 "with the port and the system's own reason: " + line.error());
    checks.check(!line.open(0, "19200,n,8,1"), "port 0 is refused: " + line.error());
    checks.check(line.open(port, "19200,n,8,1"), "the port opens after all that");
}

// Last, since the simulator is gone afterwards: the port's device goes (a USB adapter pulled).
void checkDeviceGone(Checks &checks, int port)
{
    const wchar_t *hangUp = _wgetenv(L"TOVANA_BOARD_HANGUP");
    if (!checks.check(hangUp != nullptr, "TOVANA_BOARD_HANGUP names the file that ends the simulator"))
        return;
    Recorder recorder;
    SerialLine line(recorder.handlers());
    if (!checks.check(line.open(port, "19200,n,8,1"), "the port opens: " + line.error()))
        return;
    line.write("\x01");
    checks.check(pumpUntil([&] { return recorder.received.size() == 1; }, kReplyLimitMs), "a query is answered");
    CloseHandle(CreateFileW(hangUp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    checks.check(pumpUntil([&] { return !recorder.failures.empty(); }, 3 * kReplyLimitMs),
                 "the line's failure reaches failed()");
    const std::string prefix = "COM" + std::to_string(port) + ": ";
    checks.check(recorder.failures.rfind(prefix, 0) == 0 && recorder.failures.size() > prefix.size() + 5,
                 "with the port and the system's message: " + recorder.failures);
    checks.check(!line.isOpen(), "the line is closed");
    wine_tests::pumpFor(300);
    checks.equal(static_cast<long long>(std::count(recorder.failures.begin(), recorder.failures.end(), '\n')), 1,
                 "told once");
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: tovana-serial-tests PORT-NUMBER (tovana-boardsim mapped as COM<PORT-NUMBER>)\n");
        return 2;
    }
    const int port = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
    Checks checks;
    checks.group("serial line: channel queries 1..7,0 answered one byte each, settings 19200,n,8,1",
                 [&](Checks &c) { checkQueries(c, port, "19200,n,8,1"); });
    checks.group("serial line: the same with the parity letter in capitals, 19200,N,8,1",
                 [&](Checks &c) { checkQueries(c, port, "19200,N,8,1"); });
    checks.group("serial line: bad settings and missing ports refused with the port and the reason",
                 [&](Checks &c) { checkRefusals(c, port); });
    checks.group("serial line: a device that goes closes the line, told once with the system's message",
                 [&](Checks &c) { checkDeviceGone(c, port); });
    checks.summary();
    return checks.failed() == 0 ? 0 : 1;
}
