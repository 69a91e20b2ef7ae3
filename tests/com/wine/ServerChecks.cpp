// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ServerChecks.h"

#include "ComText.h"
#include "Guid.h"
#include "MemberCatalogue.h"
#include "RecordingPropertySink.h"
#include "RecordingSink.h"
#include "TethraClient.h"

#include <ocidl.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

namespace wine_tests {
namespace {

using Microsoft::WRL::ComPtr;
namespace cat = tethra::catalogue;
namespace client = tethra::com::client;
using tethra::com::guidFromText;

constexpr DWORD childTimeout = 60000;

// Runs a program and waits for it while still serving COM calls; the exit code, or -1.
long runAndWait(const std::wstring &program, const std::wstring &arguments)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    DWORD index = 0;
    const HRESULT waited = CoWaitForMultipleHandles(0, childTimeout, 1, &process.hProcess, &index);
    DWORD code = static_cast<DWORD>(-1);
    if (SUCCEEDED(waited))
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

bool keyExists(HKEY root, const std::wstring &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string keyValue(HKEY root, const std::wstring &path)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "";
    return narrow(value, wcslen(value));
}

std::wstring wide(std::string_view text)
{
    return std::wstring(text.begin(), text.end());
}

// The Tethra.exe processes running now.
std::vector<DWORD> serverProcesses()
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"Tethra.exe") == 0)
            found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

bool serversEnd()
{
    for (DWORD id : serverProcesses()) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (!process)
            continue;
        DWORD index = 0;
        const HRESULT waited = CoWaitForMultipleHandles(0, childTimeout, 1, &process, &index);
        CloseHandle(process);
        if (FAILED(waited))
            return false;
    }
    return true;
}

struct Link {
    ComPtr<_VarnexConnector> connector;
    ComPtr<_Varnex> varnex;
};

bool connect(Checks &checks, Link &link)
{
    return checks.check(SUCCEEDED(client::createConnector(&link.connector)), "create a VarnexConnector") &&
           checks.check(SUCCEEDED(client::readVarnex(link.connector.Get(), &link.varnex)) && link.varnex,
                        "read the connector's Varnex");
}

// The object's identity: its IUnknown pointer (never null for a live object).
IUnknown *identity(IUnknown *object)
{
    ComPtr<IUnknown> unknown;
    const HRESULT hr = object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(unknown.GetAddressOf()));
    return SUCCEEDED(hr) ? unknown.Get() : nullptr; // the object is held elsewhere: the pointer stays valid
}

HRESULT invoke(IDispatch *target, DISPID id, WORD flags, std::vector<VARIANT> arguments, VARIANT *result)
{
    DISPPARAMS parameters{};
    DISPID named = DISPID_PROPERTYPUT;
    parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
    parameters.cArgs = static_cast<UINT>(arguments.size());
    if (flags == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr);
}

VARIANT longVariant(long value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

long dispid(std::string_view member)
{
    return static_cast<long>(cat::findVarnexMember(member)->dispid);
}

void checkRegistration(Checks &checks, const std::wstring &server)
{
    const std::wstring classKey = L"Software\\Classes\\CLSID\\" + wide(cat::connectorClassId);
    checks.equal(runAndWait(server, L"/RegServer"), 0, "/RegServer succeeds");
    checks.check(keyValue(HKEY_LOCAL_MACHINE, classKey + L"\\LocalServer32").find("Tethra.exe") != std::string::npos,
                 "LocalServer32 names Tethra.exe");
    checks.equal(keyValue(HKEY_LOCAL_MACHINE, classKey + L"\\TypeLib"), std::string(cat::typeLibrary().guid),
                 "class names its type library");
    const std::wstring library = L"Software\\Classes\\TypeLib\\" + wide(cat::typeLibrary().guid) + L"\\26.3\\0\\" +
                                 (sizeof(void *) == 8 ? L"win64" : L"win32");
    checks.check(keyValue(HKEY_LOCAL_MACHINE, library).find("Tethra.exe") != std::string::npos,
                 "type library 38.3 registered at Tethra.exe");
    for (auto id : cat::varnexInterfaceIds())
        checks.check(keyExists(HKEY_CLASSES_ROOT, L"Interface\\" + wide(id) + L"\\ProxyStubClsid32"),
                     "marshaler registered for " + std::string(id));
    for (auto id : cat::eventInterfaceIds())
        checks.check(keyExists(HKEY_CLASSES_ROOT, L"Interface\\" + wide(id) + L"\\ProxyStubClsid32"),
                     "marshaler registered for event interface " + std::string(id));
    checks.check(keyValue(HKEY_CLASSES_ROOT, L"Interface\\" + wide(cat::varnexAliases()[0].guid) + L"\\TypeLib")
                         .find("59B0C210") != std::string::npos,
                 "earlier identifiers point to the second library");

    const std::wstring userClassKey = L"Software\\Classes\\CLSID\\" + wide(cat::connectorClassId);
    checks.equal(runAndWait(server, L"/RegServerPerUser"), 0, "/RegServerPerUser succeeds");
    checks.check(keyExists(HKEY_CURRENT_USER, userClassKey + L"\\LocalServer32"), "per-user class registered");
    checks.equal(runAndWait(server, L"/UnregServerPerUser"), 0, "/UnregServerPerUser succeeds");
    checks.check(!keyExists(HKEY_CURRENT_USER, userClassKey), "per-user class removed");

    checks.equal(runAndWait(server, L"/UnregServer"), 0, "/UnregServer succeeds");
    checks.check(!keyExists(HKEY_LOCAL_MACHINE, classKey), "class removed");
    checks.check(!keyExists(HKEY_LOCAL_MACHINE, library), "type library removed");
    checks.equal(runAndWait(server, L"/RegServer"), 0, "registering again succeeds");
}

void checkActivation(Checks &checks)
{
    Link link;
    if (!connect(checks, link))
        return;
    ComPtr<_Varnex> again;
    client::readVarnex(link.connector.Get(), &again);
    IUnknown *first = identity(link.varnex.Get());
    checks.check(first && identity(again.Get()) == first, "reading Varnex twice gives the same object");
    checks.equal(serverProcesses().size(), 1, "one server process serves the client");
    double freq = -1;
    Bstr callSign;
    checks.check(SUCCEEDED(link.varnex->get_Freq(&freq)) && freq == 0.0, "a fresh object has Freq 0");
    link.varnex->get_CallSign(callSign.out());
    checks.equal(callSign.text(), std::string(12, ' '), "a fresh object has CallSign of 12 spaces");

    ComPtr<IUnknown> direct;
    const HRESULT created = CoCreateInstance(guidFromText(cat::varnexClassId), nullptr, CLSCTX_LOCAL_SERVER,
                                             IID_IUnknown, reinterpret_cast<void **>(direct.GetAddressOf()));
    checks.check(FAILED(created) && !direct, "creating Varnex directly is refused");
}

void checkSharedBand(Checks &checks, const std::wstring &self)
{
    Link link;
    if (!connect(checks, link))
        return;
    checks.equal(runAndWait(self, L"--write-band 7"), 0, "another client writes Band 7");
    checks.equal(runAndWait(self, L"--read-band"), 7, "a third client reads 7 through slot 175");
    LONG band = 0;
    checks.check(SUCCEEDED(client::readBand(link.varnex.Get(), &band)) && band == 7,
                 "this client reads 7 through slot 175");
    checks.equal(client::bandSlot(), 175, "Band's read accessor is slot 175");

    VARIANT value;
    VariantInit(&value);
    checks.check(SUCCEEDED(invoke(link.varnex.Get(), dispid("Band"), DISPATCH_PROPERTYGET, {}, &value)) &&
                     value.vt == VT_I4 && value.lVal == 7,
                 "IDispatch reads Band 7 by DISPID 0x680300BD");
    Bstr name("Band");
    OLECHAR *names = name.get();
    DISPID found = 0;
    link.varnex->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &found);
    checks.equal(found, dispid("Band"), "GetIDsOfNames finds Band");
    checks.check(SUCCEEDED(invoke(link.varnex.Get(), dispid("SetBand"), DISPATCH_METHOD, {longVariant(42)}, nullptr)),
                 "IDispatch calls SetBand(42)");
    LONG newBand = 0;
    link.varnex->get_NewBand(&newBand);
    checks.equal(newBand, 42, "SetBand stored NewBand without complaint");
    band = 0;
    link.varnex->get_Band(&band);
    checks.equal(band, 7, "no command touches Band");
}

void checkText(Checks &checks)
{
    Link link;
    if (!connect(checks, link))
        return;
    struct Case {
        HRESULT (STDMETHODCALLTYPE _Varnex::*put)(BSTR);
        HRESULT (STDMETHODCALLTYPE _Varnex::*get)(BSTR *);
        std::string written, expected, what;
    };
    const Case cases[] = {
        {&_Varnex::put_CallSign, &_Varnex::get_CallSign, "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKL", "CallSign cut to 12"},
        {&_Varnex::put_NewCallSign, &_Varnex::get_NewCallSign, "DL", "DL" + std::string(10, ' '),
         "NewCallSign filled to 12"},
        {&_Varnex::put_Comment, &_Varnex::get_Comment, std::string(35, 'x'), std::string(30, 'x'), "Comment cut to 30"},
        {&_Varnex::put_NewComment, &_Varnex::get_NewComment, "cq", "cq" + std::string(28, ' '),
         "NewComment filled to 30"},
        {&_Varnex::put_sData, &_Varnex::get_sData, std::string(50, 's'), std::string(50, 's'),
         "sData keeps any length"},
    };
    for (const auto &c : cases) {
        Bstr written(c.written), read;
        checks.check(SUCCEEDED((link.varnex.Get()->*c.put)(written.get())), c.what + ": write");
        (link.varnex.Get()->*c.get)(read.out());
        checks.equal(read.text(), c.expected, c.what);
    }
    Bstr call("W1AW/QRP-PORTABLE"), comment("spot");
    checks.check(SUCCEEDED(link.varnex->SetSpot(14.025, call.get(), comment.get())), "SetSpot succeeds");
    Bstr newCall;
    link.varnex->get_NewCallSign(newCall.out());
    checks.equal(newCall.text(), "W1AW/QRP-POR", "SetSpot cuts the callsign to 12");
}

void checkEvents(Checks &checks)
{
    Link link;
    if (!connect(checks, link))
        return;
    ComPtr<IConnectionPointContainer> container;
    if (!checks.check(SUCCEEDED(link.varnex.As(&container)), "Varnex is an event source"))
        return;
    const auto ids = cat::eventInterfaceIds();
    std::vector<std::unique_ptr<RecordingSink>> sinks;
    std::vector<std::pair<ComPtr<IConnectionPoint>, DWORD>> connections;
    for (auto id : ids) {
        ComPtr<IConnectionPoint> point;
        sinks.push_back(std::make_unique<RecordingSink>(guidFromText(id), S_OK));
        DWORD cookie = 0;
        const bool advised = SUCCEEDED(container->FindConnectionPoint(guidFromText(id), &point)) &&
                             SUCCEEDED(point->Advise(sinks.back().get(), &cookie));
        checks.check(advised, "a sink connects through event identifier " + std::string(id));
        if (advised)
            connections.emplace_back(point, cookie);
    }
    checks.check(SUCCEEDED(link.varnex->SetBand(3)), "SetBand with four sinks succeeds");
    for (std::size_t i = 0; i < sinks.size(); ++i)
        checks.check(sinks[i]->received() == std::vector<DISPID>{cat::findEvent("RaiseBand")->dispid},
                     "RaiseBand (DISPID 11) reached the sink of " + std::string(ids[i]));
    checks.check(SUCCEEDED(link.varnex->SetOK()), "SetOK succeeds");
    checks.check(sinks[0]->received().size() == 2 && sinks[0]->received()[1] == 25, "SetOK raises OK (DISPID 25)");

    // A sink that fails: the command reports its failure, and the value stays stored.
    RecordingSink failing(guidFromText(ids[0]), DISP_E_OVERFLOW);
    ComPtr<IConnectionPoint> point;
    DWORD failingCookie = 0;
    container->FindConnectionPoint(guidFromText(ids[0]), &point);
    checks.check(point && SUCCEEDED(point->Advise(&failing, &failingCookie)), "a failing sink connects");
    checks.equal(link.varnex->SetFreq(7.05), DISP_E_OVERFLOW, "the sink's failure comes back to the caller");
    double newFreq = 0;
    link.varnex->get_NewFreq(&newFreq);
    checks.check(newFreq == 7.05, "the request value stays stored after a failed delivery");
    if (point)
        point->Unadvise(failingCookie);

    for (auto &[connection, cookie] : connections)
        checks.check(SUCCEEDED(connection->Unadvise(cookie)), "a sink disconnects");
    checks.check(sinks[0]->received() == std::vector<DISPID>{11, 25, 27},
                 "RaiseFreq reached the sinks before the failing one");
    checks.check(SUCCEEDED(link.varnex->SetBand(4)), "SetBand with no sink succeeds");
    checks.equal(sinks[0]->received().size(), 3, "a disconnected sink hears nothing more");

    ComPtr<IConnectionPoint> unknown;
    checks.check(FAILED(container->FindConnectionPoint(IID_IDispatch, &unknown)),
                 "no connection point for other identifiers");
}

void checkPropertyNotifications(Checks &checks, const std::wstring &self)
{
    Link link;
    if (!connect(checks, link))
        return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    RecordingPropertySink sink;
    DWORD cookie = 0;
    if (!checks.check(SUCCEEDED(link.varnex.As(&container)) &&
                          SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, &point)) &&
                          SUCCEEDED(point->Advise(&sink, &cookie)),
                      "an IPropertyNotifySink connects"))
        return;
    checks.equal(runAndWait(self, L"--write-band 6"), 0, "another client writes Band 6");
    checks.check(sink.received() == std::vector<DISPID>{dispid("Band")}, "OnChanged with Band's DISPID");
    checks.equal(runAndWait(self, L"--write-band 6"), 0, "another client writes Band 6 again");
    checks.equal(sink.received().size(), 1, "the same value again changes nothing");

    Bstr call("JA1XYZ"), comment("");
    checks.check(SUCCEEDED(link.varnex->SetSpot(0.0, call.get(), comment.get())), "SetSpot succeeds");
    checks.check(sink.received() == std::vector<DISPID>{dispid("Band"), dispid("NewCallSign")},
                 "a command reports only the request fields it really changed");

    checks.check(SUCCEEDED(point->Unadvise(cookie)), "the sink disconnects");
    checks.equal(runAndWait(self, L"--write-band 8"), 0, "another client writes Band 8");
    checks.equal(sink.received().size(), 2, "a disconnected sink hears nothing more");
    checks.equal(sink.references(), 1, "the server released the sink");
}

void checkInterfaceIds(Checks &checks)
{
    Link link;
    if (!connect(checks, link))
        return;
    link.varnex->put_Band(5);
    for (auto id : cat::varnexInterfaceIds()) {
        ComPtr<_Varnex> other;
        const bool answered =
            SUCCEEDED(link.varnex->QueryInterface(guidFromText(id), reinterpret_cast<void **>(other.GetAddressOf())));
        checks.check(answered, "QueryInterface for " + std::string(id));
        LONG band = 0;
        checks.check(answered && SUCCEEDED(client::readBand(other.Get(), &band)) && band == 5,
                     "Band read through the interface of " + std::string(id));
    }
    ComPtr<IUnknown> none;
    checks.check(FAILED(link.varnex->QueryInterface(guidFromText(cat::connectorInterfaceId),
                                                    reinterpret_cast<void **>(none.GetAddressOf()))),
                 "Varnex is not a connector");
}

void checkLifetime(Checks &checks)
{
    {
        Link first, second, third;
        if (!connect(checks, first) || !connect(checks, second) || !connect(checks, third))
            return;
        first.varnex->put_Band(4);
        first = {};
        second = {};
        LONG band = 0;
        third.varnex->get_Band(&band);
        checks.equal(band, 4, "three connectors, two released: the object lives on");
    }
    checks.check(serversEnd(), "the server ends after the last release");

    Link old;
    if (!connect(checks, old))
        return;
    old.varnex->put_Band(9);
    old.connector.Reset(); // the object is orphaned: this client still holds it
    Link fresh;
    if (!connect(checks, fresh))
        return;
    IUnknown *later = identity(fresh.varnex.Get());
    checks.check(later && later != identity(old.varnex.Get()), "a later connector gets a new object");
    LONG band = -1;
    fresh.varnex->get_Band(&band);
    checks.equal(band, 0, "the new object starts at its defaults");
    old.varnex->get_Band(&band);
    checks.equal(band, 9, "the orphaned object keeps its values");
    fresh.varnex->put_Band(2);
    old.varnex->get_Band(&band);
    checks.equal(band, 9, "the two objects no longer share values");
    old = {};
    fresh = {};
    checks.check(serversEnd(), "the server ends once the orphaned object is released too");
}

} // namespace

void checkServer(Checks &checks, const std::wstring &serverPath, const std::wstring &selfPath)
{
    checks.group("registration: /RegServer, /UnregServer and the per-user variant",
                 [&](Checks &c) { checkRegistration(c, serverPath); });
    checks.group("activation out of process; Varnex not creatable", checkActivation);
    checks.group("Band written by one client, read by another through slot 175 and IDispatch",
                 [&](Checks &c) { checkSharedBand(c, selfPath); });
    checks.group("text fields of fixed width through the interface", checkText);
    checks.group("events reach sinks of all four event identifiers; first failure returned", checkEvents);
    checks.group("IPropertyNotifySink: OnChanged with the DISPID of each value that really changed",
                 [&](Checks &c) { checkPropertyNotifications(c, selfPath); });
    checks.group("QueryInterface answers all four identifiers of _Varnex", checkInterfaceIds);
    checks.group("lifetime: shared, orphaned, and the server ending after the last release", checkLifetime);
    checks.group("no server left behind", [](Checks &c) { c.check(serversEnd(), "every server process ended"); });
}

int writeBandChild(long band)
{
    Link link;
    if (FAILED(client::createConnector(&link.connector)) ||
        FAILED(client::readVarnex(link.connector.Get(), &link.varnex)))
        return 2;
    VARIANT value = longVariant(band);
    return FAILED(invoke(link.varnex.Get(), dispid("Band"), DISPATCH_PROPERTYPUT, {value}, nullptr)) ? 3 : 0;
}

int readBandChild()
{
    Link link;
    LONG band = -1;
    if (FAILED(client::createConnector(&link.connector)) ||
        FAILED(client::readVarnex(link.connector.Get(), &link.varnex)) ||
        FAILED(client::readBand(link.varnex.Get(), &band)))
        return -1;
    return static_cast<int>(band);
}

} // namespace wine_tests
