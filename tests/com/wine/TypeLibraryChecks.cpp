// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TypeLibraryChecks.h"

#include "ComText.h"
#include "Guid.h"
#include "Identifiers.h"
#include "MemberCatalogue.h"
#include "RecordChecks.h"
#include "VtableLayout.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <vector>

namespace wine_tests {
namespace {

using Microsoft::WRL::ComPtr;
namespace cat = tethra::catalogue;
using tethra::com::Access;

// FUNCDESC, VARDESC and TYPEATTR handed back to their type info when done.
struct FunctionDesc {
    ITypeInfo *info;
    FUNCDESC *desc = nullptr;
    FunctionDesc(ITypeInfo *i, UINT index) : info(i) { info->GetFuncDesc(index, &desc); }
    ~FunctionDesc()
    {
        if (desc)
            info->ReleaseFuncDesc(desc);
    }
};
struct VariableDesc {
    ITypeInfo *info;
    VARDESC *desc = nullptr;
    VariableDesc(ITypeInfo *i, UINT index) : info(i) { info->GetVarDesc(index, &desc); }
    ~VariableDesc()
    {
        if (desc)
            info->ReleaseVarDesc(desc);
    }
};
struct TypeAttributes {
    ITypeInfo *info;
    TYPEATTR *attr = nullptr;
    explicit TypeAttributes(ITypeInfo *i) : info(i) { info->GetTypeAttr(&attr); }
    ~TypeAttributes()
    {
        if (attr)
            info->ReleaseTypeAttr(attr);
    }
};

std::string memberName(ITypeInfo *info, MEMBERID id, std::string *help = nullptr)
{
    Bstr name, doc;
    info->GetDocumentation(id, name.out(), doc.out(), nullptr, nullptr);
    if (help)
        *help = doc.text();
    return name.text();
}

std::vector<std::string> names(ITypeInfo *info, MEMBERID id)
{
    BSTR raw[16] = {};
    UINT count = 0;
    info->GetNames(id, raw, 16, &count);
    std::vector<std::string> result;
    for (UINT i = 0; i < count; ++i) {
        result.push_back(narrow(raw[i]));
        SysFreeString(raw[i]);
    }
    return result;
}

// The name of a parameter's type as the catalogue would give it: long, double, BSTR, an
// enumeration's name, and "*" for an address.
std::string typeName(ITypeInfo *info, const TYPEDESC &type)
{
    switch (type.vt) {
    case VT_I4: return "long";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_PTR: return typeName(info, *type.lptdesc) + "*";
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> target;
        if (FAILED(info->GetRefTypeInfo(type.hreftype, &target)))
            return "?";
        return memberName(target.Get(), MEMBERID_NIL);
    }
    default: return "vt" + std::to_string(type.vt);
    }
}

std::string catalogueTypeName(cat::Type type)
{
    switch (type) {
    case cat::Type::Long: return "long";
    case cat::Type::Double: return "double";
    case cat::Type::String: return "BSTR";
    case cat::Type::Object: break;
    }
    return "_Varnex*";
}

constexpr WORD publishedDualFlags =
    TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;

// IUnknown's and IDispatch's functions, which a dispinterface's description lists first.
bool isInherited(const std::string &name)
{
    for (const char *inherited :
         {"QueryInterface", "AddRef", "Release", "GetTypeInfoCount", "GetTypeInfo", "GetIDsOfNames", "Invoke"})
        if (name == inherited)
            return true;
    return false;
}

// The vtable view of a dual interface.
ComPtr<ITypeInfo> vtableView(ITypeInfo *info)
{
    HREFTYPE href = 0;
    ComPtr<ITypeInfo> partner;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &href)))
        info->GetRefTypeInfo(href, &partner);
    return partner ? partner : ComPtr<ITypeInfo>(info);
}

// Byte offset in the 32-bit table: a 64-bit process sees the same slots 8 bytes apart.
int publishedOffset(const FUNCDESC &desc)
{
    return desc.oVft / static_cast<int>(sizeof(void *)) * tethra::com::slotSize;
}

void checkVarnexFunctions(Checks &checks, ITypeInfo *dispatchView, const std::string &label)
{
    ComPtr<ITypeInfo> info = vtableView(dispatchView);
    TypeAttributes attributes(info.Get());
    if (!checks.check(attributes.attr && attributes.attr->typekind == TKIND_INTERFACE, label + " has a vtable view"))
        return;
    const auto slots = tethra::com::varnexSlots();
    checks.equal(attributes.attr->cFuncs, static_cast<long long>(slots.size()), label + " function count");
    checks.equal(attributes.attr->wTypeFlags & publishedDualFlags, publishedDualFlags,
                 label + " is hidden, dual, nonextensible, oleautomation");
    for (UINT index = 0; index < attributes.attr->cFuncs && index < slots.size(); ++index) {
        FunctionDesc function(info.Get(), index);
        const auto &slot = slots[index];
        const FUNCDESC &desc = *function.desc;
        const std::string where = label + " offset " + std::to_string(slot.offset);
        checks.equal(publishedOffset(desc), slot.offset, where + " byte offset");
        checks.equal(desc.callconv, CC_STDCALL, where + " calling convention");
        checks.equal(desc.elemdescFunc.tdesc.vt, VT_HRESULT, where + " returns HRESULT");
        std::string help;
        const std::string name = memberName(info.Get(), desc.memid, &help);
        if (slot.access == Access::Unused) {
            checks.equal(name, tethra::com::unusedName(slot.offset), where + " name");
            checks.check(desc.wFuncFlags == (FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED), where + " hidden, restricted");
            continue;
        }
        const cat::Member &member = *slot.member;
        checks.equal(name, std::string(member.name), where + " name");
        checks.equal(static_cast<unsigned long>(desc.memid), member.dispid, where + " DISPID of " + name);
        checks.equal(help, std::string(member.help), where + " help text of " + name);
        const INVOKEKIND kinds[] = {INVOKE_FUNC, INVOKE_PROPERTYPUT, INVOKE_PROPERTYGET};
        checks.equal(desc.invkind, kinds[static_cast<int>(slot.access)], where + " kind of " + name);
        if (slot.access == Access::Method) {
            const auto parameterNames = names(info.Get(), desc.memid);
            checks.equal(desc.cParams, static_cast<long long>(member.arguments.size()), name + " argument count");
            for (std::size_t i = 0; i < member.arguments.size() && i < static_cast<std::size_t>(desc.cParams); ++i) {
                const auto &argument = member.arguments[i];
                std::string expected =
                    argument.enumName.empty() ? catalogueTypeName(argument.type) : std::string(argument.enumName);
                if (argument.byReference)
                    expected += "*";
                checks.equal(typeName(info.Get(), desc.lprgelemdescParam[i].tdesc), expected, name + " argument type");
                checks.equal(i + 1 < parameterNames.size() ? parameterNames[i + 1] : "", std::string(argument.name),
                             name + " argument name");
            }
        } else {
            const std::string expected = catalogueTypeName(member.type) + (slot.access == Access::Get ? "*" : "");
            checks.equal(desc.cParams, 1, name + " accessor has one parameter");
            if (desc.cParams == 1)
                checks.equal(typeName(info.Get(), desc.lprgelemdescParam[0].tdesc), expected, name + " value type");
        }
    }
}

void checkEventFunctions(Checks &checks, ITypeInfo *info, const std::string &label)
{
    TypeAttributes attributes(info);
    if (!checks.check(attributes.attr && attributes.attr->typekind == TKIND_DISPATCH, label + " is a dispinterface"))
        return;
    const WORD eventFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
    checks.equal(attributes.attr->wTypeFlags & eventFlags, eventFlags, label + " is hidden, nonextensible");
    const auto events = cat::events();
    std::size_t found = 0;
    for (UINT index = 0; index < attributes.attr->cFuncs; ++index) {
        FunctionDesc function(info, index);
        if (!checks.check(function.desc != nullptr, label + " function " + std::to_string(index) + " readable"))
            continue;
        const std::string name = memberName(info, function.desc->memid);
        if (isInherited(name))
            continue;
        if (!checks.check(found < events.size(), label + " has no more than the catalogue's events"))
            break;
        checks.equal(function.desc->memid, events[found].dispid, label + " DISPID of " + name);
        checks.equal(name, std::string(events[found].name), label + " event " + std::to_string(found + 1));
        checks.equal(function.desc->cParams, 0, name + " takes no argument");
        checks.equal(function.desc->elemdescFunc.tdesc.vt, VT_VOID, name + " returns nothing");
        ++found;
    }
    checks.equal(found, static_cast<long long>(events.size()), label + " event count");
}

ComPtr<ITypeInfo> typeAt(ITypeLib *library, UINT index)
{
    ComPtr<ITypeInfo> info;
    library->GetTypeInfo(index, &info);
    return info;
}

void checkPublishedLibrary(Checks &checks, ITypeLib *library, SYSKIND target)
{
    const auto &expected = cat::typeLibrary();
    TLIBATTR *attributes = nullptr;
    if (!checks.check(SUCCEEDED(library->GetLibAttr(&attributes)), "library attributes"))
        return;
    checks.equal(guidText(attributes->guid), std::string(expected.guid), "library identifier");
    checks.equal(attributes->wMajorVerNum, 38, "major version");
    checks.equal(attributes->wMinorVerNum, 3, "minor version");
    checks.equal(attributes->syskind, target, "library target (SYS_WIN32 for the published one)");
    library->ReleaseTLibAttr(attributes);
    Bstr name, help;
    library->GetDocumentation(-1, name.out(), help.out(), nullptr, nullptr);
    checks.equal(name.text(), "Tethra", "library name");
    checks.equal(help.text(), "Varnak - linking component", "library help text");

    // The 24 types, in library order.
    // Flags as seen on each description; a dual interface's oleautomation flag shows on its
    // vtable view, checked with its members.
    struct Expected {
        std::string name;
        TYPEKIND kind;
        std::string guid;
        WORD flags;
    };
    const WORD dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
    std::vector<Expected> types = {
        {"_VarnexConnector", TKIND_DISPATCH, std::string(cat::connectorInterfaceId), dual},
        {"VarnexConnector", TKIND_COCLASS, std::string(cat::connectorClassId), TYPEFLAG_FCANCREATE},
        {"_Varnex", TKIND_DISPATCH, std::string(cat::varnexInterfaceId), dual},
        {"Varnex", TKIND_COCLASS, std::string(cat::varnexClassId), TYPEFLAG_FCANCREATE},
    };
    for (const auto &alias : cat::varnexAliases())
        types.push_back({std::string(alias.name), TKIND_ALIAS, std::string(alias.guid), TYPEFLAG_FHIDDEN});
    types.push_back(
        {"__Varnex", TKIND_DISPATCH, std::string(cat::eventInterfaceId), TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE});
    for (const auto &enumeration : cat::enumerations())
        types.push_back({std::string(enumeration.name), TKIND_ENUM, std::string(enumeration.guid), 0});
    checks.equal(types.size(), 24, "the catalogue names 24 types");
    checks.equal(library->GetTypeInfoCount(), 24, "type count");
    for (UINT i = 0; i < types.size() && i < library->GetTypeInfoCount(); ++i) {
        auto info = typeAt(library, i);
        TypeAttributes type(info.Get());
        checks.equal(memberName(info.Get(), MEMBERID_NIL), types[i].name, "type " + std::to_string(i));
        checks.equal(type.attr->typekind, types[i].kind, types[i].name + " kind");
        checks.equal(guidText(type.attr->guid), types[i].guid, types[i].name + " identifier");
        checks.equal(type.attr->wTypeFlags & ~TYPEFLAG_FDISPATCHABLE, types[i].flags, types[i].name + " flags");
    }
}

void checkPublishedMembers(Checks &checks, ITypeLib *library)
{
    checkVarnexFunctions(checks, typeAt(library, 2).Get(), "_Varnex");
    checkEventFunctions(checks, typeAt(library, 7).Get(), "__Varnex");

    auto connector = vtableView(typeAt(library, 0).Get());
    FunctionDesc varnex(connector.Get(), 0);
    std::string help;
    checks.equal(memberName(connector.Get(), varnex.desc->memid, &help), "Varnex", "connector property");
    checks.equal(help, "Varnex = public not creatable object", "connector property help");
    checks.equal(varnex.desc->memid, static_cast<long>(0x68030000), "connector property DISPID");
    checks.equal(varnex.desc->invkind, INVOKE_PROPERTYGET, "connector property is read only");
    checks.equal(publishedOffset(*varnex.desc), 28, "connector property offset");
    checks.equal(typeName(connector.Get(), varnex.desc->lprgelemdescParam[0].tdesc), "_Varnex**",
                 "connector property type");
}

// Values from the published interface itself, so that a wrong catalogue row shows here too.
void checkPublishedSpots(Checks &checks, ITypeLib *library)
{
    auto info = vtableView(typeAt(library, 2).Get());
    TypeAttributes attributes(info.Get());
    auto at = [&](int offset) -> std::string {
        for (UINT i = 0; i < attributes.attr->cFuncs; ++i) {
            FunctionDesc function(info.Get(), i);
            if (publishedOffset(*function.desc) == offset) {
                std::string help;
                const char *kind = function.desc->invkind == INVOKE_PROPERTYGET   ? "get "
                                   : function.desc->invkind == INVOKE_PROPERTYPUT ? "let "
                                                                                  : "";
                return kind + memberName(info.Get(), function.desc->memid, &help);
            }
        }
        return "nothing";
    };
    checks.equal(at(700), "get Band", "offset 700 (slot 175)");
    checks.equal(at(592), "SetData", "offset 592");
    checks.equal(at(1172), "let Dual", "offset 1172");
    checks.equal(at(1176), "let NewDual", "offset 1176");
    checks.equal(at(1180), "get Dual", "offset 1180");
    checks.equal(at(1184), "get NewDual", "offset 1184");
    checks.equal(at(1148), "SetMonitoring", "offset 1148");

    MEMBERID id = 0;
    Bstr filter("SetFilter");
    OLECHAR *name = filter.get();
    if (checks.check(SUCCEEDED(info->GetIDsOfNames(&name, 1, &id)), "SetFilter found by name")) {
        std::string help;
        memberName(info.Get(), id, &help);
        checks.equal(help, "Set new Filter  (0:2400 1:2000 2:500 3:250 4:6000)", "SetFilter help, two blanks");
    }

    // tetCAT's second member keeps its odd prefix; tetWindowState keeps its order.
    auto cat = typeAt(library, 12);
    VariableDesc second(cat.Get(), 1);
    checks.equal(memberName(cat.Get(), second.desc->memid), "trtCATOn", "tetCAT member 2");
    auto windowState = typeAt(library, 15);
    std::vector<long long> values;
    for (UINT i = 0; i < 4; ++i) {
        VariableDesc member(windowState.Get(), i);
        values.push_back(member.desc->lpvarValue->lVal);
    }
    checks.check(values == std::vector<long long>{0, 2, 1, 3}, "tetWindowState declares 0, 2, 1, 3");
}

void checkEnumerations(Checks &checks, ITypeLib *library)
{
    const auto enumerations = cat::enumerations();
    for (std::size_t e = 0; e < enumerations.size(); ++e) {
        auto info = typeAt(library, static_cast<UINT>(8 + e));
        TypeAttributes attributes(info.Get());
        const auto &expected = enumerations[e];
        checks.equal(attributes.attr->cVars, static_cast<long long>(expected.members.size()),
                     std::string(expected.name) + " member count");
        for (UINT i = 0; i < attributes.attr->cVars && i < expected.members.size(); ++i) {
            VariableDesc member(info.Get(), i);
            std::string help;
            const std::string name = memberName(info.Get(), member.desc->memid, &help);
            checks.equal(name, std::string(expected.members[i].name), std::string(expected.name) + " member name");
            checks.equal(help, name, name + " help text is its name");
            checks.equal(member.desc->lpvarValue->vt, VT_I4, name + " is a 32-bit integer");
            checks.equal(member.desc->lpvarValue->lVal, expected.members[i].value, name + " value");
        }
    }
}

void checkAliasesAndClasses(Checks &checks, ITypeLib *library)
{
    for (UINT i = 4; i < 7; ++i) {
        auto alias = typeAt(library, i);
        TypeAttributes attributes(alias.Get());
        checks.equal(typeName(alias.Get(), attributes.attr->tdescAlias), "_Varnex", "alias target");
    }
    struct Implemented {
        UINT type;
        UINT index;
        std::string name;
        INT flags;
    };
    const Implemented expected[] = {
        {1, 0, "_VarnexConnector", IMPLTYPEFLAG_FDEFAULT},
        {3, 0, "_Varnex", IMPLTYPEFLAG_FDEFAULT},
        {3, 1, "__Varnex", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (const auto &row : expected) {
        auto coclass = typeAt(library, row.type);
        HREFTYPE href = 0;
        ComPtr<ITypeInfo> target;
        INT flags = 0;
        coclass->GetRefTypeOfImplType(row.index, &href);
        coclass->GetRefTypeInfo(href, &target);
        coclass->GetImplTypeFlags(row.index, &flags);
        checks.equal(target ? memberName(target.Get(), MEMBERID_NIL) : "", row.name, "class interface");
        checks.equal(flags, row.flags, row.name + " flags in its class");
    }
}

void checkEarlierLibrary(Checks &checks, ITypeLib *library)
{
    TLIBATTR *attributes = nullptr;
    if (!checks.check(SUCCEEDED(library->GetLibAttr(&attributes)), "earlier library attributes"))
        return;
    checks.equal(guidText(attributes->guid), std::string(tethra::com::earlierLibraryId), "earlier library identifier");
    library->ReleaseTLibAttr(attributes);
    for (const auto &alias : cat::varnexAliases()) {
        ComPtr<ITypeInfo> info;
        if (checks.check(SUCCEEDED(library->GetTypeInfoOfGuid(tethra::com::guidFromText(alias.guid), &info)),
                         std::string(alias.name) + " is a real interface"))
            checkVarnexFunctions(checks, info.Get(), std::string(alias.name));
    }
    const auto eventIds = cat::eventInterfaceIds();
    for (std::size_t i = 1; i < eventIds.size(); ++i) {
        ComPtr<ITypeInfo> info;
        if (checks.check(SUCCEEDED(library->GetTypeInfoOfGuid(tethra::com::guidFromText(eventIds[i]), &info)),
                         "earlier event interface " + std::string(eventIds[i])))
            checkEventFunctions(checks, info.Get(), "earlier __Varnex " + std::to_string(i));
    }
}

} // namespace

void checkTypeLibraries(Checks &checks, const std::wstring &serverPath, const std::wstring &publishedPath,
                        const std::wstring &earlierPath, SYSKIND target)
{
    checks.group("the server carries both libraries as TYPELIB resources 1 and 2", [&](Checks &c) {
        ComPtr<ITypeLib> one, two;
        c.check(SUCCEEDED(LoadTypeLibEx(serverPath.c_str(), REGKIND_NONE, &one)), "resource 1 loads");
        c.check(SUCCEEDED(LoadTypeLibEx((serverPath + L"\\2").c_str(), REGKIND_NONE, &two)), "resource 2 loads");
        Bstr name;
        if (one)
            one->GetDocumentation(-1, name.out(), nullptr, nullptr, nullptr);
        c.equal(name.text(), "Tethra", "resource 1 is the published library");
        ComPtr<ITypeInfo> earlier;
        c.check(
            two && SUCCEEDED(two->GetTypeInfoOfGuid(tethra::com::guidFromText(cat::varnexAliases()[0].guid), &earlier)),
            "resource 2 carries the earlier identifiers");
    });

    ComPtr<ITypeLib> published, earlier;
    const HRESULT loadedPublished = LoadTypeLibEx(publishedPath.c_str(), REGKIND_NONE, &published);
    const HRESULT loadedEarlier = LoadTypeLibEx(earlierPath.c_str(), REGKIND_NONE, &earlier);
    checks.group("type library: identity and the 24 types in order", [&](Checks &c) {
        if (c.check(SUCCEEDED(loadedPublished), "the published library loads"))
            checkPublishedLibrary(c, published.Get(), target);
    });
    if (!published)
        return;
    checks.group("type library: every member's offset, DISPID, kind, arguments and help text",
                 [&](Checks &c) { checkPublishedMembers(c, published.Get()); });
    checks.group("type library: published offsets, texts and enumeration quirks",
                 [&](Checks &c) { checkPublishedSpots(c, published.Get()); });
    checks.group("type library: 16 enumerations in declaration order with help texts",
                 [&](Checks &c) { checkEnumerations(c, published.Get()); });
    checks.group("type library: aliases and classes", [&](Checks &c) { checkAliasesAndClasses(c, published.Get()); });
    checks.group("type library: earlier identifiers as real interfaces", [&](Checks &c) {
        if (c.check(SUCCEEDED(loadedEarlier), "the library of earlier identifiers loads"))
            checkEarlierLibrary(c, earlier.Get());
    });
    // ITypeInfo shows a 32-bit library's offsets converted to this process: read the bytes.
    if (target == SYS_WIN32)
        checkWin32Records(checks, publishedPath, earlierPath);
}

} // namespace wine_tests
