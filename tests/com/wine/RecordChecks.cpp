// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RecordChecks.h"

#include "MemberCatalogue.h"
#include "TypeLibraryRecords.h"
#include "VtableLayout.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdio>
#include <cwctype>

namespace wine_tests {
namespace {

namespace cat = tethra::catalogue;
namespace records = tethra::com::records;
namespace win32 = tethra::com::records::win32;
using tethra::com::Access;

std::vector<std::uint8_t> fileBytes(const std::wstring &path)
{
    std::vector<std::uint8_t> bytes;
    if (FILE *file = _wfopen(path.c_str(), L"rb")) {
        std::uint8_t buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(file);
    }
    return bytes;
}

std::vector<std::uint8_t> resourceBytes(const std::wstring &path, int number)
{
    std::vector<std::uint8_t> bytes;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return bytes;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), L"TYPELIB")) {
        const auto *data = static_cast<const std::uint8_t *>(LockResource(LoadResource(module, found)));
        if (data)
            bytes.assign(data, data + SizeofResource(module, found));
    }
    FreeLibrary(module);
    return bytes;
}

// The library's bytes, as LoadTypeLibEx would find them at that path.
std::vector<std::uint8_t> libraryBytes(const std::wstring &path)
{
    const std::size_t slash = path.find_last_of(L'\\');
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && slash != std::wstring::npos &&
        slash + 1 < path.size() && std::iswdigit(path[slash + 1]))
        return resourceBytes(path.substr(0, slash), std::stoi(path.substr(slash + 1)));
    auto resource = resourceBytes(path, 1);
    return resource.empty() ? fileBytes(path) : resource;
}

int functionDescription(int parameters, int pointers)
{
    return win32::funcDescSize + parameters * win32::elemDescSize + pointers * win32::typeDescSize;
}

void checkSizes(Checks &checks, const records::Type &type, int vtableSize, const std::string &label)
{
    checks.equal(type.alignment, win32::pointerSize, label + " alignment");
    checks.equal(type.instanceSize, win32::pointerSize, label + " instance size");
    checks.equal(type.vtableSize, vtableSize, label + " function table size");
}

void checkVarnexRecord(Checks &checks, const records::Type &type, const std::string &label)
{
    const auto slots = tethra::com::varnexSlots();
    checkSizes(checks, type, 1188, label);
    if (!checks.equal(type.members.size(), static_cast<long long>(slots.size()), label + " records"))
        return;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto &slot = slots[i];
        const auto &record = type.members[i];
        int parameters = 0, pointers = 0;
        if (slot.access == Access::Method) {
            for (const auto &argument : slot.member->arguments) {
                ++parameters;
                pointers += argument.byReference ? 1 : 0;
            }
        } else if (slot.access != Access::Unused) {
            parameters = 1;
            pointers = slot.access == Access::Get ? 1 : 0;
        }
        const std::string where = label + " offset " + std::to_string(slot.offset);
        checks.equal(record.vtableOffset, slot.offset, where + " slot");
        checks.equal(record.descriptionSize, functionDescription(parameters, pointers), where + " description size");
    }
}

// A dispinterface as the runtime lays it out: IDispatch's seven slots, then one per event.
void checkEventRecord(Checks &checks, const records::Type &type, const std::string &label)
{
    const auto events = cat::events();
    const int inherited = 7 * win32::pointerSize;
    checkSizes(checks, type, inherited + static_cast<int>(events.size()) * win32::pointerSize, label);
    if (!checks.equal(type.members.size(), static_cast<long long>(events.size()), label + " records"))
        return;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const std::string where = label + " event " + std::string(events[i].name);
        checks.equal(type.members[i].vtableOffset, inherited + static_cast<int>(i) * win32::pointerSize,
                     where + " slot");
        checks.equal(type.members[i].descriptionSize, functionDescription(0, 0), where + " description size");
    }
}

void checkEnumRecords(Checks &checks, const std::vector<records::Type> &types, std::size_t first)
{
    const auto enumerations = cat::enumerations();
    for (std::size_t e = 0; e < enumerations.size() && first + e < types.size(); ++e) {
        const auto &type = types[first + e];
        const std::string label(enumerations[e].name);
        checkSizes(checks, type, 0, label);
        checks.equal(type.members.size(), static_cast<long long>(enumerations[e].members.size()), label + " records");
        for (const auto &member : type.members)
            checks.equal(member.descriptionSize, win32::varDescSize + win32::variantSize,
                         label + " constant description size");
    }
}

void checkPublished(Checks &checks, const records::Library &library)
{
    checks.equal(library.target, SYS_WIN32, "published library target");
    if (!checks.equal(library.types.size(), 24, "published library types"))
        return;
    const auto &connector = library.types[0];
    checkSizes(checks, connector, 32, "_VarnexConnector");
    if (checks.equal(connector.members.size(), 1, "_VarnexConnector records")) {
        checks.equal(connector.members[0].vtableOffset, 28, "Varnex slot");
        // The value's address, a pointer to an interface pointer.
        checks.equal(connector.members[0].descriptionSize, functionDescription(1, 2), "Varnex description size");
    }
    checkVarnexRecord(checks, library.types[2], "_Varnex");
    for (std::size_t i : {std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{5}, std::size_t{6}})
        checkSizes(checks, library.types[i], 0, "type " + std::to_string(i));
    checkEventRecord(checks, library.types[7], "__Varnex");
    checkEnumRecords(checks, library.types, 8);
}

void checkEarlier(Checks &checks, const records::Library &library)
{
    checks.equal(library.target, SYS_WIN32, "earlier library target");
    if (!checks.equal(library.types.size(), 22, "earlier library types"))
        return;
    for (std::size_t i = 0; i < 3; ++i)
        checkVarnexRecord(checks, library.types[i], std::string(cat::varnexAliases()[i].name));
    for (std::size_t i = 3; i < 6; ++i)
        checkEventRecord(checks, library.types[i], "earlier __Varnex " + std::to_string(i - 2));
    checkEnumRecords(checks, library.types, 6);
}

} // namespace

void checkWin32Records(Checks &checks, const std::wstring &publishedPath, const std::wstring &earlierPath)
{
    checks.group("type library: the 32-bit records hold 32-bit table sizes, slots, description sizes and alignments",
                 [&](Checks &c) {
                     const auto published = records::read(libraryBytes(publishedPath));
                     if (c.check(published.has_value(), "the published library's records read"))
                         checkPublished(c, *published);
                     const auto earlier = records::read(libraryBytes(earlierPath));
                     if (c.check(earlier.has_value(), "the earlier library's records read"))
                         checkEarlier(c, *earlier);
                 });
}

} // namespace wine_tests
