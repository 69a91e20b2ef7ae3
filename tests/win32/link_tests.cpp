// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-link-tests PATH\Tethra.exe: the monitor's COM link under Wine against the real
// server: it connects (COM starts the server), hears Band and PTT written by another client
// at once, reads on request; a hung server costs a failed read, not the calling thread; a
// server gone is connected to again; nothing is held once the link goes. This thread never
// initialises COM: the link does all of it on its own thread.
#include "Checks.h"
#include "ComLink.h"
#include "Processes.h"
#include "Pump.h"
#include "TethraClient.h"

#include <windows.h>
#include <wrl/client.h>

#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using tovana::win32::ComLink;
using wine_tests::Checks;
using wine_tests::pumpUntil;

constexpr DWORD kLimitMs = 20000; // for the link's answers; each ends far sooner

std::wstring g_self;

std::string name(ComLink::Field field)
{
    return field == ComLink::Field::Band ? "Band" : "PTT";
}

// What the link told, in order, as lines such as "changed Band 5" or "read PTT failed: ...".
struct Recorder {
    std::vector<std::string> told;
    int connections = 0;

    ComLink::Handlers handlers()
    {
        return {[this] {
                    ++connections;
                    told.push_back("connected");
                },
                [this](const std::string &reason) { told.push_back("lost: " + reason); },
                [this](ComLink::Field field, std::int32_t value) {
                    told.push_back("changed " + name(field) + " " + std::to_string(value));
                },
                [this](ComLink::Field field, std::optional<std::int32_t> value, const std::string &error) {
                    std::string line = "read " + name(field);
                    if (value)
                        line.append(" ").append(std::to_string(*value));
                    else
                        line.append(" failed: ").append(error);
                    told.push_back(line);
                }};
    }
    bool heard(const std::string &line) const
    {
        for (const auto &entry : told)
            if (entry.rfind(line, 0) == 0)
                return true;
        return false;
    }
    bool waitFor(const std::string &line)
    {
        return pumpUntil([&] { return heard(line); }, kLimitMs);
    }
    std::string all() const
    {
        std::string text;
        for (const auto &entry : told)
            text += (text.empty() ? "" : " | ") + entry;
        return text;
    }
};

// Another client, in a process of its own, writes a Long property.
long write(const std::wstring &field, long value)
{
    return wine_tests::runAndWait(g_self, L"--write " + field + L" " + std::to_wstring(value));
}

int writeChild(const std::wstring &field, long value)
{
    using Microsoft::WRL::ComPtr;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    int result = 3;
    {
        ComPtr<_VarnexConnector> connector;
        ComPtr<_Varnex> varnex;
        if (SUCCEEDED(tethra::com::client::createConnector(&connector)) &&
            SUCCEEDED(tethra::com::client::readVarnex(connector.Get(), &varnex)))
            result = SUCCEEDED(field == L"Band" ? varnex->put_Band(value) : varnex->put_PTT(value)) ? 0 : 4;
    }
    CoUninitialize();
    return result;
}

std::optional<DWORD> theServer()
{
    const auto servers = wine_tests::processesNamed(L"Tethra.exe");
    return servers.size() == 1 ? std::optional<DWORD>(servers[0]) : std::nullopt;
}

void checkAnnouncements(Checks &checks, ComLink &link, Recorder &recorder)
{
    std::string error;
    if (!checks.check(link.start(&error), "the link starts: " + error) ||
        !checks.check(recorder.waitFor("connected"), "it connects, COM starting the server: " + recorder.all()))
        return;
    checks.check(link.isConnected(), "it says it is connected");
    checks.equal(write(L"Band", 5), 0, "another client writes Band 5");
    checks.check(recorder.waitFor("changed Band 5"), "the link announces Band 5 without being asked");
    checks.equal(write(L"PTT", 1), 0, "another client writes PTT 1");
    checks.check(recorder.waitFor("changed PTT 1"), "and PTT 1");
    checks.check(!recorder.heard("read"), "no read was made for them: " + recorder.all());
}

void checkReads(Checks &checks, ComLink &link, Recorder &recorder)
{
    checks.check(link.read(ComLink::Field::Band), "a read of Band is asked");
    checks.check(!link.read(ComLink::Field::Band), "a second is not asked while the first is out");
    checks.check(link.read(ComLink::Field::PTT), "a read of PTT is asked beside it");
    checks.check(recorder.waitFor("read Band 5") && recorder.waitFor("read PTT 1"), "both answered: " + recorder.all());
    checks.check(link.read(ComLink::Field::Band), "once answered, Band can be read again");
    recorder.waitFor("read Band 5");
}

void checkUnsubscribed(Checks &checks)
{
    Recorder recorder;
    ComLink::Options options;
    options.subscribe = false;
    ComLink link(recorder.handlers(), options);
    if (!checks.check(link.start() && recorder.waitFor("connected"), "a link without announcements connects"))
        return;
    checks.equal(write(L"Band", 7), 0, "another client writes Band 7");
    wine_tests::pumpFor(500);
    checks.check(!recorder.heard("changed"), "nothing is announced to it: " + recorder.all());
    checks.check(link.read(ComLink::Field::Band) && recorder.waitFor("read Band 7"), "a read finds Band 7");
}

void checkHungServer(Checks &checks, ComLink &link, Recorder &recorder)
{
    // A second link, to be let go of while its thread waits for the hung server.
    Recorder otherRecorder;
    auto other = std::make_unique<ComLink>(otherRecorder.handlers());
    const auto server = theServer();
    if (!checks.check(other->start() && otherRecorder.waitFor("connected"), "a second link connects") ||
        !checks.check(server.has_value(), "one server runs") ||
        !checks.check(wine_tests::suspendProcess(*server, true), "the server is made to hang"))
        return;
    recorder.told.clear();
    checks.check(link.read(ComLink::Field::Band), "a read of Band is asked of the hung server");
    checks.check(recorder.told.empty(), "read() returned before any answer: this thread never waits for the server");
    checks.check(recorder.waitFor("read Band failed: the link server does not answer"),
                 "the read fails once the call limit has passed: " + recorder.all());
    checks.check(!recorder.heard("lost") && link.isConnected(), "a hung server keeps its hold");
    // Let go of while its thread waits for the server: this returns after the call limit, and
    // the thread lets go of the hold once the server answers (the last group sees it).
    other->read(ComLink::Field::PTT);
    other.reset();

    wine_tests::suspendProcess(*server, false);
    checks.check(link.read(ComLink::Field::Band) && recorder.waitFor("read Band 7"),
                 "once it answers again, reads work");
}

void checkServerGone(Checks &checks, ComLink &link, Recorder &recorder)
{
    const auto server = theServer();
    if (!checks.check(server && wine_tests::endProcess(*server), "the server is ended"))
        return;
    // Wine's RPC service keeps the class object of a server that ended without revoking it
    // and hands it to every activation; Windows starts a new server. Ending the service too
    // (Wine starts it again on the next call) makes Wine do the same.
    for (DWORD service : wine_tests::processesNamed(L"rpcss.exe"))
        wine_tests::endProcess(service);
    recorder.told.clear();
    link.read(ComLink::Field::Band);
    checks.check(recorder.waitFor("read Band failed: the link server went away"),
                 "the next read fails: " + recorder.all());
    checks.check(recorder.waitFor("lost: the link server went away"), "lost() says the server went away");
    checks.check(recorder.waitFor("connected"), "the link connects again, to a new server: " + recorder.all());
    checks.equal(recorder.connections, 2, "connected twice in all");
    checks.equal(write(L"Band", 3), 0, "another client writes Band 3 to the new server");
    checks.check(recorder.waitFor("changed Band 3"), "announcements come again: " + recorder.all());
}

bool serverEnds()
{
    return pumpUntil([] { return wine_tests::processesNamed(L"Tethra.exe").empty(); }, kLimitMs);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && std::wcscmp(argv[1], L"--write") == 0)
        return writeChild(argv[2], std::wcstol(argv[3], nullptr, 10));
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: tovana-link-tests PATH\\Tethra.exe\n");
        return 2;
    }
    wchar_t self[MAX_PATH];
    g_self.assign(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    Checks checks;
    checks.group("COM link: Tethra.exe registered", [&](Checks &c) {
        c.equal(wine_tests::runAndWait(argv[1], L"/RegServer"), 0, "Tethra.exe /RegServer");
    });
    {
        Recorder recorder;
        ComLink link(recorder.handlers());
        checks.group("COM link: connects, hears Band and PTT written by another client at once",
                     [&](Checks &c) { checkAnnouncements(c, link, recorder); });
        checks.group("COM link: reads Band and PTT on request, one read of each out at a time",
                     [&](Checks &c) { checkReads(c, link, recorder); });
        checks.group("COM link: without announcements, reads alone", checkUnsubscribed);
        checks.group("COM link: a hung server fails the read within the call limit, this thread never waits",
                     [&](Checks &c) { checkHungServer(c, link, recorder); });
        checks.group("COM link: a server gone is told and connected to again, announcements resume",
                     [&](Checks &c) { checkServerGone(c, link, recorder); });
    }
    checks.group("COM link: nothing held once the link goes; the server ends",
                 [](Checks &c) { c.check(serverEnds(), "no Tethra.exe left"); });
    checks.summary();
    return checks.failed() == 0 ? 0 : 1;
}
