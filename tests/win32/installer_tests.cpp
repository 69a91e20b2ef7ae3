// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-installer-tests PATH\TovanaSetup-<version>.exe: the installer under Wine, silently
// (/S) both ways: after installing, the files, Tethra.exe's registration at its installed
// path (a client reaches the installed server), the Start-menu shortcuts and the entry in
// the system's list of programs are there, and the installed Tovana.exe shows its window
// and ends when closed; after uninstalling, none of them is.
#include "Checks.h"
#include "MemberCatalogue.h"
#include "Processes.h"
#include "Pump.h"
#include "TethraClient.h"
#include "Text.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

namespace {

using wine_tests::Checks;

const wchar_t *const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovana";
const std::wstring kProgIdKey = L"Software\\Classes\\Tethra.VarnexConnector";

std::wstring wide(std::string_view ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

const std::wstring kClassKey = L"Software\\Classes\\CLSID\\" + wide(tethra::catalogue::connectorClassId);
const std::wstring kTypeLibraryKey = L"Software\\Classes\\TypeLib\\" + wide(tethra::catalogue::typeLibrary().guid);

std::wstring knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t *path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

bool exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool keyExists(const std::wstring &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring text(const std::wstring &key, const wchar_t *name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"";
    return value;
}

std::string utf8(const std::wstring &text)
{
    return tovana::win32::narrow(text);
}

// A path in double quotes, as command lines in the registry have it.
std::string quoted(const std::wstring &path)
{
    std::string text(1, '"');
    text += utf8(path);
    text += '"';
    return text;
}

// A client of the installed server: creates a connector and reads Band (0 at the defaults).
bool installedServerAnswers()
{
    using Microsoft::WRL::ComPtr;
    ComPtr<_VarnexConnector> connector;
    ComPtr<_Varnex> varnex;
    LONG band = -1;
    return SUCCEEDED(tethra::com::client::createConnector(&connector)) &&
           SUCCEEDED(tethra::com::client::readVarnex(connector.Get(), &varnex)) &&
           SUCCEEDED(tethra::com::client::readBand(varnex.Get(), &band)) && band == 0;
}

// The installed monitor starts (with no board on its port), shows its window and ends when
// it is closed.
bool installedMonitorRuns(const std::wstring &program)
{
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    HWND window = nullptr;
    const bool shown =
        wine_tests::pumpUntil([&] { return (window = FindWindowW(L"TovanaMonitor", nullptr)) != nullptr; }, 30000);
    if (shown)
        PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return shown && ended;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: tovana-installer-tests PATH\\TovanaSetup-VERSION.exe\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const std::wstring folder = knownFolder(FOLDERID_ProgramFiles) + L"\\Tovana";
    const std::wstring menu = knownFolder(FOLDERID_CommonPrograms) + L"\\Tovana";
    const wchar_t *const files[] = {L"\\Tethra.exe", L"\\Tovana.exe", L"\\help\\index.html", L"\\Uninstall.exe"};
    const wchar_t *const shortcuts[] = {L"\\Tovana.lnk", L"\\Tovana Help.lnk", L"\\Uninstall Tovana.lnk"};
    Checks checks;

    checks.group(
        "installer: /S installs the files, registers Tethra.exe there, adds shortcuts and its entry", [&](Checks &c) {
            c.equal(wine_tests::runAndWait(argv[1], L"/S"), 0, "TovanaSetup /S succeeds");
            for (const wchar_t *file : files)
                c.check(exists(folder + file), "installed: " + utf8(folder + file));
            for (const wchar_t *shortcut : shortcuts)
                c.check(exists(menu + shortcut), "in the Start menu: " + utf8(menu + shortcut));
            c.equal(utf8(text(kClassKey + L"\\LocalServer32", nullptr)), quoted(folder + L"\\Tethra.exe"),
                    "VarnexConnector is served by the installed Tethra.exe");
            c.check(installedServerAnswers(), "a client creates a connector and reads Band from the installed server");
            c.check(installedMonitorRuns(folder + L"\\Tovana.exe"),
                    "the installed Tovana.exe shows its window and ends");
            c.equal(utf8(text(kUninstallKey, L"DisplayName")), "Tovana", "the list of programs has Tovana");
            c.equal(utf8(text(kUninstallKey, L"QuietUninstallString")), quoted(folder + L"\\Uninstall.exe") + " /S",
                    "with its silent uninstaller");
        });

    checks.group("installer: the uninstaller /S unregisters and removes everything", [&](Checks &c) {
        // The uninstaller runs on from a copy of itself: what it leaves is looked at until it is gone.
        c.equal(wine_tests::runAndWait(folder + L"\\Uninstall.exe", L"/S"), 0, "Uninstall /S starts");
        c.check(wine_tests::pumpUntil([&] { return !exists(folder) && !keyExists(kUninstallKey); }, 60000),
                "the program folder and the entry go");
        c.check(!exists(menu), "the Start-menu folder is gone");
        c.check(!keyExists(kClassKey), "VarnexConnector is no longer registered");
        c.check(!keyExists(kProgIdKey), "nor its ProgID");
        c.check(!keyExists(kTypeLibraryKey), "nor the type library");
        c.check(wine_tests::pumpUntil([] { return wine_tests::processesNamed(L"Tethra.exe").empty(); }, 30000),
                "no Tethra.exe is left running");
    });
    checks.summary();
    CoUninitialize();
    return checks.failed() == 0 ? 0 : 1;
}
