// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Tethra.exe, the link server's COM local server. Started by COM (-Embedding) when a client
// creates a VarnexConnector, it serves every client on its one thread (a single-threaded
// apartment) and ends when no client holds any of its objects. /RegServer and /UnregServer
// register it for the machine; /RegServerPerUser and /UnregServerPerUser for this user.
#include "ClassFactory.h"
#include "Guid.h"
#include "MemberCatalogue.h"
#include "Registration.h"
#include "ServerLifetime.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

using namespace tethra::com;

HRESULT serve()
{
    tethra::basTethra module;
    ClassFactory factory(module);
    DWORD registration = 0;
    const GUID clsid = guidFromText(tethra::catalogue::connectorClassId);
    HRESULT hr = CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &registration);
    if (FAILED(hr))
        return hr;
    lifetime::setClassRegistration(registration);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return S_OK; // the class object was revoked with the last release
}

bool is(const wchar_t *argument, const wchar_t *name)
{
    return (argument[0] == L'/' || argument[0] == L'-') && _wcsicmp(argument + 1, name) == 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const wchar_t *option = count > 1 ? arguments[1] : L"";

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    // The exit code is 0 or the failing HRESULT, for installers and scripts to report.
    HRESULT result = S_OK;
    if (is(option, L"RegServer"))
        result = registerServer(Scope::Machine);
    else if (is(option, L"UnregServer"))
        result = unregisterServer(Scope::Machine);
    else if (is(option, L"RegServerPerUser"))
        result = registerServer(Scope::User);
    else if (is(option, L"UnregServerPerUser"))
        result = unregisterServer(Scope::User);
    else if (is(option, L"Embedding"))
        result = serve();
    // Started by hand there is no client to serve: the process ends at once.
    CoUninitialize();
    LocalFree(arguments);
    return static_cast<int>(result);
}
