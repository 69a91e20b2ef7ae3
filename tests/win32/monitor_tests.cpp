// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-monitor-tests PATH\Tovana.exe PATH\Tethra.exe BOARD_LOG: Tovana.exe end to end
// under Wine, against the recording test board as COM1 (every byte it receives lands in
// BOARD_LOG) and the real Tethra.exe. The windows are driven through their controls, found
// by their control IDs: the channel queries in order, a relay click's byte, a band's four
// bytes, band following from a Band written by another COM client (announced, and by the
// tick alone), the transmit hold, the registry after the first start and the first save, a
// store the earlier program left with a decimal comma, the setup dialog, and a limit's trip.
#include "AboutBox.h"
#include "BandTable.h"
#include "Checks.h"
#include "ControlIds.h"
#include "Processes.h"
#include "Pump.h"
#include "TethraClient.h"
#include "WireFormat.h"

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace tovana::win32::app;
using wine_tests::Checks;
using wine_tests::pumpUntil;

const wchar_t kStoreKey[] = L"Software\\VB and VBA Program Settings\\Tovana2";
const wchar_t kStartUpKey[] = L"Software\\VB and VBA Program Settings\\Tovana2\\StartUp";
// An emulated machine runs everything several times slower: TOVANA_TEST_PATIENCE, a whole
// factor (1 when unset), stretches every wait of these tests.
DWORD patience()
{
    wchar_t text[8] = {};
    const DWORD factor =
        GetEnvironmentVariableW(L"TOVANA_TEST_PATIENCE", text, 8) ? std::wcstoul(text, nullptr, 10) : 0;
    return factor > 0 ? factor : 1;
}
const DWORD kPatience = patience();
const DWORD kLimitMs = 15000 * kPatience;

std::wstring g_monitor, g_boardLog;

// The bytes the board has received so far.
std::string boardBytes()
{
    std::string bytes;
    FILE *file = _wfopen(g_boardLog.c_str(), L"r");
    if (!file)
        return bytes;
    unsigned byte = 0;
    while (std::fscanf(file, "%2x", &byte) == 1)
        bytes += char(byte);
    std::fclose(file);
    return bytes;
}

// Waits until the board has received `wanted` after position `from`.
bool boardReceives(const std::string &wanted, std::size_t from)
{
    return pumpUntil([&] { return boardBytes().find(wanted, from) != std::string::npos; }, kLimitMs);
}

DWORD startUpValueCount()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStartUpKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

std::wstring storeValue(const wchar_t *section, const wchar_t *name)
{
    wchar_t text[256] = {};
    DWORD size = sizeof text;
    const std::wstring key = std::wstring(kStoreKey) + L"\\" + section;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"(none)";
    return text;
}

std::wstring startUpValue(const wchar_t *name)
{
    return storeValue(L"StartUp", name);
}

std::string narrowAscii(const std::wstring &text)
{
    return std::string(text.begin(), text.end());
}

// A window's text, asked of it (an edit keeps its own, which another process cannot read).
std::wstring textOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void setText(HWND dialog, int id, const wchar_t *text)
{
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The button's click as it reaches its window (BM_CLICK would need the window in front).
void click(HWND window, int id)
{
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Adds a static control's text to the text collected.
BOOL CALLBACK collectStatic(HWND child, LPARAM collected)
{
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") == 0)
        *reinterpret_cast<std::wstring *>(collected) += textOf(child);
    return TRUE;
}

// The message box the monitor shows the operator next: its text; then it is closed.
std::wstring takeMessage()
{
    HWND box = nullptr;
    if (!pumpUntil([&] { return (box = FindWindowW(L"#32770", L"Tovana")) != nullptr; }, kLimitMs))
        return L"(no message)";
    std::wstring text;
    EnumChildWindows(box, collectStatic, reinterpret_cast<LPARAM>(&text));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    pumpUntil([&] { return !IsWindow(box); }, kLimitMs);
    return text;
}

const std::string kQueries("\x01\x02\x03\x04\x05\x06\x07\x00", 8);

// The other COM client: this program, holding the link server from before the monitor starts
// to the end, as a radio program would.
// The connector is held too: the server's Varnex lives as long as a connector holds it.
Microsoft::WRL::ComPtr<_VarnexConnector> g_connector;
Microsoft::WRL::ComPtr<_Varnex> g_varnex;

bool holdServer()
{
    return SUCCEEDED(tethra::com::client::createConnector(&g_connector)) &&
           SUCCEEDED(tethra::com::client::readVarnex(g_connector.Get(), &g_varnex));
}

bool writeBand(long band)
{
    return g_varnex && SUCCEEDED(g_varnex->put_Band(band));
}

// One run of Tovana.exe: started, its window found, closed through its menu's Exit.
class Monitor {
public:
    explicit Monitor(const std::wstring &arguments)
    {
        std::wstring line = L"\"" + g_monitor + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(g_monitor.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &m_process)) {
            CloseHandle(m_process.hThread);
            pumpUntil([this] { return (m_window = FindWindowW(L"TovanaMonitor", nullptr)) != nullptr; }, kLimitMs);
        }
    }
    ~Monitor()
    {
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hProcess);
        }
    }
    HWND window() const { return m_window; }
    void click(int id) const { ::click(m_window, id); }
    // Exit from the menu; true once the program has ended by itself.
    bool exit() const
    {
        PostMessageW(m_window, WM_COMMAND, mnuExit, 0);
        return WaitForSingleObject(m_process.hProcess, kLimitMs) == WAIT_OBJECT_0;
    }

private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};

const std::string &bandBytes(int position)
{
    return tovana::station::bandTable()[std::size_t(position - 1)].bytes;
}

void checkFirstRun(Checks &checks)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    Monitor monitor(L"");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    checks.check(pumpUntil([] { return startUpValueCount() >= 143; }, kLimitMs) && startUpValueCount() == 143,
                 "the first start seeds the 143 [StartUp] keys: " + std::to_string(startUpValueCount()));
    checks.check(boardReceives(kQueries, 0), "the board is asked channels 1 to 8 in order");

    std::size_t from = boardBytes().size();
    monitor.click(relayButtonId(1));
    checks.check(boardReceives(std::string(1, tovana::station::relayOnByte(1)), from),
                 "a click on Relay1 sends its on byte");
    checks.check(pumpUntil([&] { return IsWindowVisible(GetDlgItem(monitor.window(), relayLampIdOf(1))); }, kLimitMs),
                 "and lights its lamp");

    from = boardBytes().size();
    monitor.click(commandId(kBandButtonCommands[0]));
    checks.check(boardReceives(bandBytes(1), from), "a click on band 160 sends its four bytes");
    checks.check(pumpUntil(
                     [&] {
                         wchar_t code[16] = {};
                         GetWindowTextW(GetDlgItem(monitor.window(), labelId(2)), code, 16);
                         return std::wstring(code) == L"1000";
                     },
                     kLimitMs),
                 "Label2 shows its code");

    monitor.click(commandId(kFollowOnButton));
    checks.check(pumpUntil([&] { return IsWindowVisible(GetDlgItem(monitor.window(), commandId(kFollowOnIndicator))); },
                           kLimitMs),
                 "band following switched on");
    from = boardBytes().size();
    checks.check(writeBand(3), "another COM client writes Band 3");
    checks.check(boardReceives(bandBytes(3), from), "band following sends band 3's four bytes");

    checks.check(monitor.exit(), "Exit ends the program");
    checks.equal(startUpValueCount(), 151, "the first save leaves 151 [StartUp] keys");
    checks.equal(narrowAscii(startUpValue(L"RelayStatus1")), "True", "with Relay1 on");
}

// The earlier program's store, written with a decimal comma; and band following on the tick
// alone, without the server's announcements.
void checkEarlierStoreAndTick(Checks &checks)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kStartUpKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    const wchar_t earlier[] = L"2,5";
    RegSetValueExW(key, L"ScaleMax-Gauge0", 0, REG_SZ, reinterpret_cast<const BYTE *>(earlier), sizeof earlier);
    RegCloseKey(key);

    Monitor monitor(L"--no-notify");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    checks.check(boardReceives(kQueries, 0), "the board is polled");
    monitor.click(commandId(kFollowOnButton));
    checks.check(pumpUntil([&] { return IsWindowVisible(GetDlgItem(monitor.window(), commandId(kFollowOnIndicator))); },
                           kLimitMs),
                 "band following switched on");
    const std::size_t from = boardBytes().size();
    checks.check(writeBand(5), "another COM client writes Band 5");
    checks.check(boardReceives(bandBytes(5), from), "the tick finds it: band 5's four bytes");
    checks.check(monitor.exit(), "Exit ends the program");
    // Read as 2.5 and written back with this user's separator, not the default 5.
    wchar_t separator[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    std::string expected = "2";
    expected += narrowAscii(separator);
    expected += '5';
    checks.equal(narrowAscii(startUpValue(L"ScaleMax-Gauge0")), expected, "the scale of \"2,5\" is kept");
}

// The transmit hold, stored on: a band announced while the radio transmits waits, and goes
// out once PTT drops.
void checkHold(Checks &checks)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    const wchar_t on[] = L"True";
    RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kStoreKey) + L"\\Interlock").c_str(), L"HoldWhileTx", REG_SZ, on,
                    sizeof on);
    checks.check(g_varnex && SUCCEEDED(g_varnex->put_PTT(1)), "the radio transmits (PTT 1)");

    Monitor monitor(L"");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    checks.check(
        pumpUntil([&] { return IsWindowVisible(GetDlgItem(monitor.window(), commandId(kTxIndicator))); }, kLimitMs),
        "the TX indicator shows the hold");
    monitor.click(commandId(kFollowOnButton));
    checks.check(pumpUntil([&] { return IsWindowVisible(GetDlgItem(monitor.window(), commandId(kFollowOnIndicator))); },
                           kLimitMs),
                 "band following switched on");
    wine_tests::pumpFor(1000 * kPatience); // PTT read on the tick
    const std::size_t from = boardBytes().size();
    checks.check(writeBand(4), "another COM client writes Band 4");
    wine_tests::pumpFor(1500 * kPatience);
    checks.check(boardBytes().find(bandBytes(4), from) == std::string::npos, "band 4 waits while transmitting");
    checks.check(SUCCEEDED(g_varnex->put_PTT(0)), "the radio receives (PTT 0)");
    checks.check(boardReceives(bandBytes(4), from), "band 4's bytes go out");
    checks.check(monitor.exit(), "Exit ends the program");
}

// Help > About: the main window steps aside for the box; "System Info..." starts the tool
// the registry names; OK brings the main window back.
void checkAbout(Checks &checks)
{
    const wchar_t tool[] = L"C:\\windows\\system32\\notepad.exe";
    checks.equal(RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", REG_SZ,
                                 tool, sizeof tool),
                 ERROR_SUCCESS, "the registry names a system-information tool");
    Monitor monitor(L"");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    PostMessageW(monitor.window(), WM_COMMAND, mnuHelpAbout, 0);
    HWND about = nullptr;
    if (!checks.check(
            pumpUntil([&] { return (about = FindWindowW(L"TovanaAbout", L"About Tovana")) != nullptr; }, kLimitMs),
            "Help > About opens \"About Tovana\""))
        return;
    checks.check(pumpUntil([&] { return !IsWindowVisible(monitor.window()); }, kLimitMs),
                 "the main window steps aside");
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(about, kAboutSysInfo), text, 64);
    checks.check(std::wstring(text) == L"&System Info...", "with its System Info... button");
    PostMessageW(about, WM_COMMAND, kAboutSysInfo, 0);
    checks.check(pumpUntil([] { return !wine_tests::processesNamed(L"notepad.exe").empty(); }, kLimitMs),
                 "System Info... starts the tool the registry names");
    for (DWORD process : wine_tests::processesNamed(L"notepad.exe"))
        wine_tests::endProcess(process);
    PostMessageW(about, WM_COMMAND, kAboutOk, 0);
    checks.check(pumpUntil([&] { return !IsWindow(about) && IsWindowVisible(monitor.window()); }, kLimitMs),
                 "OK closes the box and the main window comes back");
    checks.check(monitor.exit(), "Exit ends the program");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH");
}

// Setup: a caption, a scale and a colour changed through the dialog's controls reach the
// gauge and, on closing, the registry in the [StartUp] forms, a limit [Limits]; a number box holding text is
// refused with a message and keeps its text. The station goes on while the dialog, and the
// colour dialog over it, are open.
void checkSetup(Checks &checks)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    const std::size_t from = boardBytes().size();
    Monitor monitor(L"");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    checks.check(boardReceives(kQueries, from), "the board is polled");
    PostMessageW(monitor.window(), WM_COMMAND, mnuSetup, 0);
    HWND setup = nullptr;
    if (!checks.check(pumpUntil([&] { return (setup = FindWindowW(L"TovanaSetup", L"Setup")) != nullptr; }, kLimitMs),
                      "Setup opens the setup dialog"))
        return;
    checks.check(pumpUntil([&] { return !IsWindowVisible(monitor.window()); }, kLimitMs),
                 "the main window steps aside");
    checks.check(boardReceives(kQueries, boardBytes().size()), "the board is still polled while it is open");
    checks.equal(narrowAscii(textOf(GetDlgItem(setup, kCombo1))), "Meter 1", "it opens on Meter 1");

    setText(setup, textId(1), L"Forward W");
    checks.equal(narrowAscii(textOf(GetDlgItem(monitor.window(), gaugeId(0)))), "Forward W",
                 "a title typed names the gauge at once");
    setText(setup, textId(9), L"100");
    click(setup, commandId(12));
    checks.check(pumpUntil([] { return startUpValue(L"ScaleMax-Gauge0") == L"100"; }, kLimitMs),
                 "Apply stores the full scale");
    checks.equal(narrowAscii(textOf(GetDlgItem(setup, textId(3)))), "60", "and band 1 ends at 60 % of it");

    setText(setup, textId(9), L"lots");
    click(setup, commandId(12));
    checks.equal(narrowAscii(takeMessage()), "Full Scale Value is not a number: lots", "text in a number box is told");
    checks.equal(narrowAscii(textOf(GetDlgItem(setup, textId(9)))), "lots", "and stays in its box");
    checks.equal(narrowAscii(startUpValue(L"ScaleMax-Gauge0")), "100", "the stored scale is kept");

    // Band 1's colour: the colour dialog opens on the band's green, is given another and OK.
    click(setup, commandId(4));
    HWND colour = nullptr;
    if (checks.check(pumpUntil([&] { return (colour = FindWindowW(L"#32770", L"Color")) != nullptr; }, kLimitMs),
                     "Color opens the colour dialog")) {
        checks.check(boardReceives(kQueries, boardBytes().size()), "the board is still polled under it");
        checks.equal(narrowAscii(textOf(GetDlgItem(colour, 706)) + L"," + textOf(GetDlgItem(colour, 707)) + L"," +
                                 textOf(GetDlgItem(colour, 708))),
                     "0,128,0", "on the band's own colour");
        setText(colour, 706, L"12");
        setText(colour, 707, L"34");
        setText(colour, 708, L"56");
        PostMessageW(colour, WM_COMMAND, IDOK, 0);
        pumpUntil([&] { return !IsWindow(colour); }, kLimitMs);
    }
    // Meter 1's limit through the "Limits" tab: above 3 for two readings, Relay5 on.
    SendMessageW(GetDlgItem(setup, kLimitKind), CB_SETCURSEL, 1, 0);
    setText(setup, kLimitValue, L"3");
    setText(setup, kLimitReadings, L"2");
    SendMessageW(GetDlgItem(setup, limitRelayId(5)), CB_SETCURSEL, 1, 0);
    click(setup, kLimitApply);
    PostMessageW(setup, WM_CLOSE, 0, 0);
    checks.check(pumpUntil([&] { return !IsWindow(setup) && IsWindowVisible(monitor.window()); }, kLimitMs),
                 "closing the dialog brings the main window back");
    checks.equal(narrowAscii(startUpValue(L"Caption-Gauge0")), "Forward W", "and saves the title");
    checks.equal(narrowAscii(startUpValue(L"Color-Annular2-Gauge0")), std::to_string(12 + 34 * 256 + 56 * 65536),
                 "and band 1's colour");
    checks.equal(narrowAscii(startUpValue(L"Multiplier0")), "1.0", "the multiplier stays as seeded");
    checks.equal(narrowAscii(storeValue(L"Limits", L"Limit0") + L" " + storeValue(L"Limits", L"Value0") + L" " +
                             storeValue(L"Limits", L"Readings0") + L" " + storeValue(L"Limits", L"Action0")),
                 "Above 3 2 5=On", "and meter 1's limit in [Limits]");
    checks.check(monitor.exit(), "Exit ends the program");
}

// A limit stored in [Limits] trips on the board's readings: its relay's byte goes out, the
// trip line shows, Acknowledge is refused while the reading stays beyond it and releases it
// once the reading is back.
void checkLimit(Checks &checks)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    const std::wstring limits = std::wstring(kStoreKey) + L"\\Limits";
    for (const auto &[name, value] :
         {std::pair{L"Limit0", L"Above"}, std::pair{L"Value0", L"0.5"}, std::pair{L"Readings0", L"2"},
          std::pair{L"WhileTx0", L"False"}, std::pair{L"Action0", L"3=On"}})
        RegSetKeyValueW(HKEY_CURRENT_USER, limits.c_str(), name, REG_SZ, value,
                        DWORD((std::wcslen(value) + 1) * sizeof(wchar_t)));
    const std::wstring quiet = g_boardLog + L".quiet";
    DeleteFileW(quiet.c_str());

    const std::size_t from = boardBytes().size();
    Monitor monitor(L"");
    if (!checks.check(monitor.window() != nullptr, "Tovana.exe shows its window"))
        return;
    // Channel 1 reads 40 of 255: 0.78 on the 0..5 scale, above 0.5.
    checks.check(boardReceives(std::string(1, tovana::station::relayOnByte(3)), from),
                 "the trip switches Relay3 on at the board");
    HWND line = GetDlgItem(monitor.window(), kLimitTrip);
    checks.check(
        pumpUntil([&] { return IsWindowVisible(line) && IsWindowVisible(GetDlgItem(monitor.window(), kLimitAck)); },
                  kLimitMs),
        "the trip line and Acknowledge show");
    checks.equal(narrowAscii(textOf(line)).substr(0, 23), "Volts DC above 0.5: 0.7",
                 "naming the limit and the reading");
    monitor.click(kLimitAck);
    checks.check(takeMessage().find(L"still above") != std::wstring::npos,
                 "Acknowledge is refused while the reading stays above");
    checks.check(IsWindowVisible(line), "and the trip stays");

    if (FILE *file = _wfopen(quiet.c_str(), L"w"))
        std::fclose(file);
    checks.check(boardReceives(kQueries, boardBytes().size()) && boardReceives(kQueries, boardBytes().size()),
                 "the readings come back to 0");
    monitor.click(kLimitAck);
    checks.check(pumpUntil([&] { return !IsWindowVisible(line); }, kLimitMs), "Acknowledge then releases the trip");
    DeleteFileW(quiet.c_str());
    checks.check(monitor.exit(), "Exit ends the program");
    checks.equal(narrowAscii(startUpValue(L"RelayStatus3")), "True", "Relay3 stays on as the trip left it");
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: tovana-monitor-tests PATH\\Tovana.exe PATH\\Tethra.exe BOARD_LOG\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_monitor = argv[1];
    g_boardLog = argv[3];
    Checks checks;
    checks.group("Tovana.exe: Tethra.exe registered", [&](Checks &c) {
        c.equal(wine_tests::runAndWait(argv[2], L"/RegServer"), 0, "Tethra.exe /RegServer");
        c.check(holdServer(), "a COM client holds the link server");
    });
    checks.group("Tovana.exe: first start, queries, a relay, a band, band following announced, first save",
                 checkFirstRun);
    checks.group("Tovana.exe: the earlier program's store, band following by the tick alone", checkEarlierStoreAndTick);
    checks.group("Tovana.exe: the transmit hold keeps a band back until PTT drops", checkHold);
    checks.group("Tovana.exe: the about box, System Info... through the registry", checkAbout);
    checks.group("Tovana.exe: the setup dialog: a title, a scale, a colour, text in a number box, a limit", checkSetup);
    checks.group("Tovana.exe: a limit in [Limits] trips, switches its relay, is acknowledged", checkLimit);
    g_varnex.Reset();
    g_connector.Reset();
    CoUninitialize();
    checks.summary();
    return checks.failed() == 0 ? 0 : 1;
}
