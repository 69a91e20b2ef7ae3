// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-registry-tests: the registry store under Wine, against the prefix's real registry:
// texts in and out with every character kept, where and how the earlier program keeps them,
// values that program left (written here with reg.exe), absent and unreadable settings.
#include "Checks.h"
#include "Processes.h"
#include "RegistryStore.h"

#include <windows.h>

#include <string>

namespace {

using tovana::win32::RegistryStore;
using wine_tests::Checks;

const wchar_t *const kApplicationKey = L"Software\\VB and VBA Program Settings\\Tovana2";
const wchar_t *const kStartUpKey = L"Software\\VB and VBA Program Settings\\Tovana2\\StartUp";

// reg.exe as an operator or the earlier program's installer would run it.
long reg(const std::wstring &arguments)
{
    return wine_tests::runAndWait(L"C:\\windows\\system32\\reg.exe", arguments);
}

// The value as the registry holds it: its type and its UTF-16 text.
std::wstring rawValue(const wchar_t *name, DWORD *type)
{
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    *type = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, kStartUpKey, name, RRF_RT_ANY | RRF_NOEXPAND, type, text, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return text;
}

void checkRoundTrip(Checks &checks)
{
    RegistryStore store;
    const std::string label = "Antenne S\xC3\xBC"
                              "d \xE2\x80\x93 \xE4\xBA\x8C \xF0\x9F\x93\xA1"; // Süd – 二 📡
    checks.check(store.save("StartUp", "Label1", label), "a text with accents, CJK and an emoji is saved");
    checks.equal(store.get("StartUp", "Label1").value_or("<none>"), label, "it comes back unchanged");
    DWORD type = 0;
    const std::wstring raw = rawValue(L"Label1", &type);
    checks.equal(type, REG_SZ, "it is a REG_SZ value of HKCU\\Software\\VB and VBA Program Settings\\Tovana2\\StartUp");
    checks.check(raw == L"Antenne S\u00FCd \u2013 \u4E8C \U0001F4E1", "the registry holds it in UTF-16");
    checks.check(store.save("StartUp", "Label1", "x") && store.get("StartUp", "Label1") == "x",
                 "saving again overwrites");
    checks.check(store.save("StartUp", "Empty", "") && store.get("StartUp", "Empty") == "", "an empty text is a text");
    checks.check(store.error().empty(), "no error after a good save");
}

void checkAbsent(Checks &checks)
{
    RegistryStore store;
    checks.check(!store.get("StartUp", "NoSuchKey") && store.error().empty(),
                 "an absent setting is nothing, no failure");
    checks.check(!store.get("NoSuchSection", "Key") && store.error().empty(), "so is one of an absent section");
    RegistryStore other("NoSuchProgram");
    checks.check(!other.get("StartUp", "Label1"), "another application's store is another key");
}

void checkEarlierValues(Checks &checks)
{
    RegistryStore store;
    checks.equal(
        reg(L"add \"HKCU\\Software\\VB and VBA Program Settings\\Tovana2\\StartUp\" /v Response /t REG_SZ /d 2,5 /f"),
        0, "reg.exe writes Response = 2,5");
    checks.equal(store.get("StartUp", "Response").value_or("<none>"), "2,5", "the store reads it as written");
    checks.equal(reg(L"add \"HKCU\\Software\\VB and VBA Program Settings\\Tovana2\\StartUp\" /v Label12 /t REG_SZ "
                     L"/d \"H\u00F6he \u00DC\" /f"),
                 0, "reg.exe writes a label with umlauts");
    checks.equal(store.get("StartUp", "Label12").value_or("<none>"), "H\xC3\xB6he \xC3\x9C", "it arrives in UTF-8");
}

void checkRefusals(Checks &checks)
{
    RegistryStore store;
    checks.check(!store.save("StartUp", "Bad", "caf\xE9"), "a text that is not UTF-8 is refused");
    checks.check(store.error().find("[StartUp] Bad") != std::string::npos,
                 "the message names the setting: " + store.error());
    checks.check(!store.save("StartUp", "Bad", std::string("a\0b", 3)), "a text with a null character is refused");
    checks.check(!store.get("StartUp", "Bad"), "nothing of either was stored");
    checks.equal(
        reg(L"add \"HKCU\\Software\\VB and VBA Program Settings\\Tovana2\\StartUp\" /v Port /t REG_DWORD /d 3 /f"), 0,
        "reg.exe writes a number where a text belongs");
    checks.check(!store.get("StartUp", "Port"), "it is not read as a text");
    checks.check(store.error().find("[StartUp] Port") != std::string::npos,
                 "and the message says which: " + store.error());
}

} // namespace

int wmain()
{
    // A clean store: the earlier runs of this test leave theirs behind.
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    Checks checks;
    checks.group("registry store: texts round trip in UTF-16 as REG_SZ under the earlier program's key",
                 checkRoundTrip);
    checks.group("registry store: absent settings are nothing", checkAbsent);
    checks.group("registry store: values left by the earlier program are read", checkEarlierValues);
    checks.group("registry store: bad texts and values are refused with a message, nothing stored", checkRefusals);
    checks.summary();
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    return checks.failed() == 0 ? 0 : 1;
}
