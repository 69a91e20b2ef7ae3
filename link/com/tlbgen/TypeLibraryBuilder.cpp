// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TypeLibraryBuilder.h"

#include "Guid.h"
#include "Identifiers.h"
#include "MemberCatalogue.h"
#include "TypeLibraryRecords.h"
#include "VtableLayout.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

namespace tethra::com {
namespace {

using Microsoft::WRL::ComPtr;
namespace cat = tethra::catalogue;

struct Failure {
    HRESULT hr;
    std::string what;
};

void check(HRESULT hr, const std::string &what)
{
    if (FAILED(hr))
        throw Failure{hr, what};
}

#ifndef _WIN64
static_assert(sizeof(FUNCDESC) == records::win32::funcDescSize && sizeof(ELEMDESC) == records::win32::elemDescSize &&
              sizeof(TYPEDESC) == records::win32::typeDescSize && sizeof(VARDESC) == records::win32::varDescSize &&
              sizeof(VARIANT) == records::win32::variantSize);
#endif

std::vector<std::uint8_t> readFile(const std::wstring &path)
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

// The runtime of a 64-bit process writes two kinds of value of a 32-bit library from its
// own pointer size: an interface's function table counts the seven slots inherited from
// IDispatch at 8 bytes each, and each function's and variable's record carries the size of
// that process's FUNCDESC, ELEMDESC and VARDESC. A 32-bit client and the marshaler size
// their tables and descriptions from these, so they are set to what a 32-bit process
// writes: the table ends after its last slot. Nothing changes in a 32-bit process.
void fitToWin32(const std::wstring &path)
{
    std::vector<std::uint8_t> file = readFile(path);
    const auto library = records::read(file);
    if (!library)
        throw Failure{TYPE_E_INVDATAREAD, "reading back the written library"};
    const int functionExcess = static_cast<int>(sizeof(FUNCDESC)) - records::win32::funcDescSize;
    const int parameterExcess = static_cast<int>(sizeof(ELEMDESC)) - records::win32::elemDescSize;
    const int variableExcess = static_cast<int>(sizeof(VARDESC) + sizeof(VARIANT)) -
                               (records::win32::varDescSize + records::win32::variantSize);
    for (const auto &type : library->types) {
        int tableEnd = 0;
        for (const auto &member : type.members) {
            if (member.function) {
                records::setDescriptionSize(
                    file, member, member.descriptionSize - functionExcess - member.parameters * parameterExcess);
                tableEnd = std::max(tableEnd, member.vtableOffset + records::win32::pointerSize);
            } else
                records::setDescriptionSize(file, member, member.descriptionSize - variableExcess);
        }
        const bool vtable =
            type.kind == TKIND_INTERFACE || (type.kind == TKIND_DISPATCH && (type.flags & TYPEFLAG_FDUAL));
        if (vtable && tableEnd > 0)
            records::setVtableSize(file, type, tableEnd);
    }
    FILE *out = _wfopen(path.c_str(), L"wb");
    bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out)
        written = std::fclose(out) == 0 && written;
    if (!written)
        throw Failure{STG_E_WRITEFAULT, "rewriting the library"};
}

// A BSTR for the duration of one call.
class Text {
public:
    explicit Text(std::string_view text) : m_text(SysAllocString(wideText(text).c_str())) {}
    ~Text() { SysFreeString(m_text); }
    Text(const Text &) = delete;
    Text &operator=(const Text &) = delete;
    operator LPOLESTR() const { return m_text; }

private:
    BSTR m_text;
};

// Builds one library. Type descriptions are created first, in library order, and filled in
// afterwards, so that any of them can refer to any other.
class Builder {
public:
    Builder(const std::wstring &path, SYSKIND target)
        : m_path(path)
        , m_target(target)
        , m_pointerSize(target == SYS_WIN64 ? 8 : 4)
    {
        check(CreateTypeLib2(target, path.c_str(), &m_library), "CreateTypeLib2");
        ComPtr<ITypeLib> stdole;
        check(LoadRegTypeLib(IID_StdOle, 2, 0, LOCALE_NEUTRAL, &stdole), "load stdole2.tlb");
        check(stdole->GetTypeInfoOfGuid(IID_IDispatch, &m_dispatch), "IDispatch in stdole2.tlb");
    }

    void describe(std::string_view name, std::string_view guid, int major, int minor, std::string_view help)
    {
        check(m_library->SetName(Text(name)), "library name");
        const GUID id = guidFromText(guid);
        check(m_library->SetGuid(id), "library identifier");
        check(m_library->SetVersion(static_cast<WORD>(major), static_cast<WORD>(minor)), "library version");
        if (!help.empty())
            check(m_library->SetDocString(Text(help)), "library help text");
        check(m_library->SetLcid(LOCALE_NEUTRAL), "library locale");
    }

    ComPtr<ICreateTypeInfo> create(std::string_view name, TYPEKIND kind, std::string_view guid, UINT flags)
    {
        ComPtr<ICreateTypeInfo> info;
        check(m_library->CreateTypeInfo(Text(name), kind, &info), "create " + std::string(name));
        check(info->SetGuid(guidFromText(guid)), "identifier of " + std::string(name));
        m_created.push_back({std::string(name), info});
        m_flags.push_back(flags);
        return info;
    }

    HREFTYPE reference(ICreateTypeInfo *from, const ComPtr<ICreateTypeInfo> &to)
    {
        ComPtr<ITypeInfo> target;
        check(to.As(&target), "type info of a created type");
        return reference(from, target.Get());
    }

    HREFTYPE reference(ICreateTypeInfo *from, ITypeInfo *to)
    {
        HREFTYPE href = 0;
        check(from->AddRefTypeInfo(to, &href), "reference to another type");
        return href;
    }

    ITypeInfo *dispatch() const { return m_dispatch.Get(); }

    // The catalogue's byte offsets are those of the 32-bit table; a 64-bit library has the
    // same slots 8 bytes apart.
    int vtableOffset(int offset) const { return offset / slotSize * m_pointerSize; }

    HRESULT save()
    {
        // Flags last: a dual flag makes the runtime derive the dispatch view of the interface.
        for (std::size_t i = 0; i < m_created.size(); ++i) {
            check(m_created[i].info->SetTypeFlags(m_flags[i]), "flags of " + m_created[i].name);
            check(m_created[i].info->LayOut(), "layout of " + m_created[i].name);
        }
        const HRESULT saved = m_library->SaveAllChanges();
        if (SUCCEEDED(saved) && m_target == SYS_WIN32)
            fitToWin32(m_path);
        return saved;
    }

private:
    struct Created {
        std::string name;
        ComPtr<ICreateTypeInfo> info;
    };
    std::wstring m_path;
    SYSKIND m_target;
    int m_pointerSize;
    ComPtr<ICreateTypeLib2> m_library;
    ComPtr<ITypeInfo> m_dispatch;
    std::vector<Created> m_created;
    std::vector<UINT> m_flags;
};

// Type descriptions that a FUNCDESC points into; they must outlive the AddFuncDesc call.
class TypeStore {
public:
    TYPEDESC *plain(VARTYPE vt) { return &m_types.emplace_back(TYPEDESC{{}, vt}); }
    TYPEDESC *userDefined(HREFTYPE href)
    {
        TYPEDESC &desc = m_types.emplace_back();
        desc.vt = VT_USERDEFINED;
        desc.hreftype = href;
        return &desc;
    }
    TYPEDESC *pointer(TYPEDESC *to)
    {
        TYPEDESC &desc = m_types.emplace_back();
        desc.vt = VT_PTR;
        desc.lptdesc = to;
        return &desc;
    }

private:
    std::deque<TYPEDESC> m_types; // stable addresses
};

VARTYPE variantType(cat::Type type)
{
    switch (type) {
    case cat::Type::Long: return VT_I4;
    case cat::Type::Double: return VT_R8;
    case cat::Type::String: return VT_BSTR;
    case cat::Type::Object: break;
    }
    return VT_DISPATCH;
}

struct Parameter {
    TYPEDESC *type;
    USHORT flags;
};

void addFunction(const Builder &builder, ICreateTypeInfo *info, UINT index, MEMBERID id, INVOKEKIND invoke, int offset,
                 std::vector<Parameter> parameters, WORD functionFlags)
{
    std::vector<ELEMDESC> elements(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        elements[i].tdesc = *parameters[i].type;
        elements[i].paramdesc.wParamFlags = parameters[i].flags;
    }
    FUNCDESC desc{};
    desc.memid = id;
    desc.lprgelemdescParam = elements.empty() ? nullptr : elements.data();
    desc.funckind = FUNC_PUREVIRTUAL;
    desc.invkind = invoke;
    desc.callconv = CC_STDCALL;
    desc.cParams = static_cast<SHORT>(elements.size());
    desc.oVft = static_cast<SHORT>(builder.vtableOffset(offset));
    desc.elemdescFunc.tdesc.vt = VT_HRESULT;
    desc.wFuncFlags = functionFlags;
    check(info->AddFuncDesc(index, &desc), "function at offset " + std::to_string(offset));
}

void setNames(ICreateTypeInfo *info, UINT index, std::vector<std::string_view> names)
{
    std::vector<std::wstring> wide;
    for (auto name : names)
        wide.push_back(wideText(name));
    std::vector<LPOLESTR> pointers;
    for (auto &name : wide)
        pointers.push_back(name.data());
    check(info->SetFuncAndParamNames(index, pointers.data(), static_cast<UINT>(pointers.size())),
          "names of " + std::string(names.front()));
}

void setHelp(ICreateTypeInfo *info, UINT index, std::string_view help)
{
    if (!help.empty())
        check(info->SetFuncDocString(index, Text(help)), "help text of function " + std::to_string(index));
}

using EnumReferences = std::vector<std::pair<std::string_view, HREFTYPE>>;

HREFTYPE enumReference(const EnumReferences &enums, std::string_view name)
{
    for (const auto &[enumName, href] : enums)
        if (enumName == name)
            return href;
    throw Failure{E_FAIL, "unknown enumeration " + std::string(name)};
}

void fillVarnexInterface(Builder &builder, ICreateTypeInfo *info, const EnumReferences &enums)
{
    check(info->AddImplType(0, builder.reference(info, builder.dispatch())), "IDispatch base of _Varnex");
    TypeStore types;
    UINT index = 0;
    for (const Slot &slot : varnexSlots()) {
        if (slot.access == Access::Unused) {
            addFunction(builder, info, index, static_cast<MEMBERID>(unusedDispid(slot.offset)), INVOKE_FUNC,
                        slot.offset, {}, FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED);
            const std::string name = unusedName(slot.offset);
            setNames(info, index++, {name});
            continue;
        }
        const cat::Member &member = *slot.member;
        const auto id = static_cast<MEMBERID>(member.dispid);
        if (slot.access == Access::Method) {
            std::vector<Parameter> parameters;
            std::vector<std::string_view> names{member.name};
            for (const auto &argument : member.arguments) {
                TYPEDESC *type = argument.enumName.empty() ? types.plain(variantType(argument.type))
                                                           : types.userDefined(enumReference(enums, argument.enumName));
                if (argument.byReference)
                    parameters.push_back({types.pointer(type), PARAMFLAG_FIN | PARAMFLAG_FOUT});
                else
                    parameters.push_back({type, PARAMFLAG_FIN});
                names.push_back(argument.name);
            }
            addFunction(builder, info, index, id, INVOKE_FUNC, slot.offset, parameters, 0);
            setNames(info, index, names);
        } else if (slot.access == Access::Let) {
            addFunction(builder, info, index, id, INVOKE_PROPERTYPUT, slot.offset,
                        {{types.plain(variantType(member.type)), PARAMFLAG_FIN}}, 0);
            setNames(info, index, {member.name});
        } else {
            addFunction(builder, info, index, id, INVOKE_PROPERTYGET, slot.offset,
                        {{types.pointer(types.plain(variantType(member.type))), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}},
                        0);
            setNames(info, index, {member.name});
        }
        setHelp(info, index++, member.help);
    }
}

// A dispinterface derives from IDispatch; its description lists IDispatch's seven functions
// before the events, as the runtime lays out every dispinterface it creates.
void fillEventInterface(Builder &builder, ICreateTypeInfo *info)
{
    check(info->AddImplType(0, builder.reference(info, builder.dispatch())), "IDispatch base of __Varnex");
    UINT index = 0;
    for (const auto &event : cat::events()) {
        FUNCDESC desc{};
        desc.memid = event.dispid;
        desc.funckind = FUNC_DISPATCH;
        desc.invkind = INVOKE_FUNC;
        desc.callconv = CC_STDCALL;
        desc.elemdescFunc.tdesc.vt = VT_VOID;
        check(info->AddFuncDesc(index, &desc), "event " + std::string(event.name));
        setNames(info, index++, {event.name});
    }
}

void fillEnumeration(ICreateTypeInfo *info, const cat::Enumeration &enumeration)
{
    UINT index = 0;
    for (const auto &member : enumeration.members) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = member.value;
        VARDESC desc{};
        desc.memid = static_cast<MEMBERID>(0x40000000 + index);
        desc.lpvarValue = &value;
        desc.elemdescVar.tdesc.vt = VT_I4;
        desc.varkind = VAR_CONST;
        check(info->AddVarDesc(index, &desc), "member " + std::string(member.name));
        check(info->SetVarName(index, Text(member.name)), "name of " + std::string(member.name));
        // Each member's help text is its own name.
        check(info->SetVarDocString(index, Text(member.name)), "help text of " + std::string(member.name));
        ++index;
    }
}

void addImplementedType(Builder &builder, ICreateTypeInfo *coclass, UINT index, const ComPtr<ICreateTypeInfo> &type,
                        INT flags)
{
    check(coclass->AddImplType(index, builder.reference(coclass, type)), "interface of a class");
    check(coclass->SetImplTypeFlags(index, flags), "interface flags of a class");
}

constexpr UINT dualFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
constexpr UINT eventFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;

HRESULT report(const Failure &failure)
{
    std::fprintf(stderr, "tethra-tlbgen: %s failed (0x%08lX)\n", failure.what.c_str(),
                 static_cast<unsigned long>(failure.hr));
    return failure.hr;
}

} // namespace

HRESULT writePublishedLibrary(const std::wstring &path, SYSKIND target)
{
    try {
        Builder builder(path, target);
        const auto &library = cat::typeLibrary();
        builder.describe(library.name, library.guid, library.majorVersion, library.minorVersion, library.help);

        auto connectorInterface =
            builder.create("_VarnexConnector", TKIND_INTERFACE, cat::connectorInterfaceId, dualFlags);
        auto connectorClass =
            builder.create("VarnexConnector", TKIND_COCLASS, cat::connectorClassId, TYPEFLAG_FCANCREATE);
        auto varnexInterface = builder.create("_Varnex", TKIND_INTERFACE, cat::varnexInterfaceId, dualFlags);
        auto varnexClass = builder.create("Varnex", TKIND_COCLASS, cat::varnexClassId, TYPEFLAG_FCANCREATE);
        std::vector<ComPtr<ICreateTypeInfo>> aliases;
        for (const auto &alias : cat::varnexAliases())
            aliases.push_back(builder.create(alias.name, TKIND_ALIAS, alias.guid, TYPEFLAG_FHIDDEN));
        auto events = builder.create("__Varnex", TKIND_DISPATCH, cat::eventInterfaceId, eventFlags);
        std::vector<ComPtr<ICreateTypeInfo>> enumInfos;
        for (const auto &enumeration : cat::enumerations())
            enumInfos.push_back(builder.create(enumeration.name, TKIND_ENUM, enumeration.guid, 0));

        for (std::size_t i = 0; i < enumInfos.size(); ++i)
            fillEnumeration(enumInfos[i].Get(), cat::enumerations()[i]);

        EnumReferences enums;
        for (std::size_t i = 0; i < enumInfos.size(); ++i)
            enums.emplace_back(cat::enumerations()[i].name, builder.reference(varnexInterface.Get(), enumInfos[i]));
        fillVarnexInterface(builder, varnexInterface.Get(), enums);
        fillEventInterface(builder, events.Get());

        // _VarnexConnector: the one read-only property Varnex, typed _Varnex.
        ICreateTypeInfo *connector = connectorInterface.Get();
        check(connector->AddImplType(0, builder.reference(connector, builder.dispatch())),
              "IDispatch base of _VarnexConnector");
        TypeStore types;
        const cat::Member &property = cat::connectorMembers().front();
        TYPEDESC *varnexPointer = types.pointer(types.userDefined(builder.reference(connector, varnexInterface)));
        addFunction(builder, connector, 0, static_cast<MEMBERID>(property.dispid), INVOKE_PROPERTYGET,
                    property.getOffset, {{types.pointer(varnexPointer), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}}, 0);
        setNames(connector, 0, {property.name});
        setHelp(connector, 0, property.help);

        addImplementedType(builder, connectorClass.Get(), 0, connectorInterface, IMPLTYPEFLAG_FDEFAULT);
        addImplementedType(builder, varnexClass.Get(), 0, varnexInterface, IMPLTYPEFLAG_FDEFAULT);
        addImplementedType(builder, varnexClass.Get(), 1, events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);

        for (auto &alias : aliases) {
            TYPEDESC aliased = *types.userDefined(builder.reference(alias.Get(), varnexInterface));
            check(alias->SetTypeDescAlias(&aliased), "alias of _Varnex");
        }
        return builder.save();
    } catch (const Failure &failure) {
        return report(failure);
    }
}

HRESULT writeEarlierLibrary(const std::wstring &path, SYSKIND target)
{
    try {
        Builder builder(path, target);
        builder.describe(earlierLibraryName, earlierLibraryId, earlierLibraryMajor, earlierLibraryMinor, {});

        std::vector<ComPtr<ICreateTypeInfo>> interfaces;
        for (const auto &alias : cat::varnexAliases())
            interfaces.push_back(builder.create(alias.name, TKIND_INTERFACE, alias.guid, dualFlags));
        std::vector<ComPtr<ICreateTypeInfo>> eventInterfaces;
        const auto eventIds = cat::eventInterfaceIds();
        for (std::size_t i = 1; i < eventIds.size(); ++i)
            eventInterfaces.push_back(
                builder.create("__Varnex___v" + std::to_string(i - 1), TKIND_DISPATCH, eventIds[i], eventFlags));
        std::vector<ComPtr<ICreateTypeInfo>> enumInfos;
        for (const auto &enumeration : cat::enumerations())
            enumInfos.push_back(builder.create(enumeration.name, TKIND_ENUM, enumeration.guid, 0));

        for (std::size_t i = 0; i < enumInfos.size(); ++i)
            fillEnumeration(enumInfos[i].Get(), cat::enumerations()[i]);
        for (auto &info : interfaces) {
            EnumReferences enums;
            for (std::size_t i = 0; i < enumInfos.size(); ++i)
                enums.emplace_back(cat::enumerations()[i].name, builder.reference(info.Get(), enumInfos[i]));
            fillVarnexInterface(builder, info.Get(), enums);
        }
        for (auto &info : eventInterfaces)
            fillEventInterface(builder, info.Get());
        return builder.save();
    } catch (const Failure &failure) {
        return report(failure);
    }
}

} // namespace tethra::com
