// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Tethra.idl gives the COM server its C++ interface (and so its function table); the member
// catalogue gives the type library. These tests keep the two in step, slot by slot.
#include "IdlReader.h"
#include "MemberCatalogue.h"
#include "VtableLayout.h"

#include <gtest/gtest.h>

namespace cat = tethra::catalogue;
using tethra::com::Access;

namespace {

IdlReader &idl()
{
    static IdlReader reader(TETHRA_IDL_DIR);
    return reader;
}

std::string typeName(cat::Type type)
{
    switch (type) {
    case cat::Type::Long: return "long";
    case cat::Type::Double: return "double";
    case cat::Type::String: return "BSTR";
    case cat::Type::Object: break;
    }
    return "_Varnex*";
}

} // namespace

TEST(IdlMatchesCatalogue, everyVarnexSlotHasTheCataloguesMemberInItsPlace)
{
    const auto declared = idl().functions("_Varnex");
    const auto slots = tethra::com::varnexSlots();
    ASSERT_EQ(declared.size(), slots.size()) << "one declaration per 4-byte slot from offset 28";
    ASSERT_EQ(slots.front().offset, 28);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto &slot = slots[i];
        const auto &function = declared[i];
        SCOPED_TRACE("offset " + std::to_string(slot.offset) + " " + function.name);
        if (slot.access == Access::Unused) {
            EXPECT_EQ(function.name, tethra::com::unusedName(slot.offset));
            EXPECT_EQ(function.id, tethra::com::unusedDispid(slot.offset));
            EXPECT_EQ(function.flags, (std::vector<std::string>{"hidden", "restricted"}));
            continue;
        }
        const cat::Member &member = *slot.member;
        EXPECT_EQ(function.name, member.name);
        EXPECT_EQ(function.id, member.dispid);
        EXPECT_EQ(function.help, member.help);
        const char *kinds[] = {"method", "propput", "propget"};
        EXPECT_EQ(function.kind, kinds[static_cast<int>(slot.access)]);
        if (slot.access == Access::Method) {
            ASSERT_EQ(function.parameters.size(), member.arguments.size());
            for (std::size_t a = 0; a < member.arguments.size(); ++a) {
                const auto &argument = member.arguments[a];
                std::string type = argument.enumName.empty() ? typeName(argument.type) : std::string(argument.enumName);
                EXPECT_EQ(function.parameters[a].type, argument.byReference ? type + "*" : type);
                EXPECT_EQ(function.parameters[a].name, argument.name);
                EXPECT_EQ(function.parameters[a].direction, argument.byReference ? "in, out" : "in");
            }
        } else {
            ASSERT_EQ(function.parameters.size(), 1u);
            const bool get = slot.access == Access::Get;
            EXPECT_EQ(function.parameters[0].type, typeName(member.type) + (get ? "*" : ""));
            EXPECT_EQ(function.parameters[0].direction, get ? "out, retval" : "in");
        }
    }
}

TEST(IdlMatchesCatalogue, publishedOffsetsHoldTheirMembers)
{
    // Straight from the published table, independent of the catalogue's rows.
    const auto declared = idl().functions("_Varnex");
    auto at = [&](int offset) {
        const auto &function = declared.at(static_cast<std::size_t>((offset - 28) / 4));
        return function.kind + " " + function.name;
    };
    EXPECT_EQ(at(592), "method SetData");
    EXPECT_EQ(at(700), "propget Band");
    EXPECT_EQ(at(1172), "propput Dual");
    EXPECT_EQ(at(1176), "propput NewDual");
    EXPECT_EQ(at(1180), "propget Dual");
    EXPECT_EQ(at(1184), "propget NewDual");
    EXPECT_EQ(at(1148), "method SetMonitoring");
    EXPECT_EQ(tethra::com::varnexSlots().back().offset, 1184);
}

TEST(IdlMatchesCatalogue, connectorHasTheOneReadOnlyPropertyVarnex)
{
    const auto declared = idl().functions("_VarnexConnector");
    ASSERT_EQ(declared.size(), 1u);
    const cat::Member &member = cat::connectorMembers().front();
    EXPECT_EQ(declared[0].name, member.name);
    EXPECT_EQ(declared[0].id, member.dispid);
    EXPECT_EQ(declared[0].kind, "propget");
    EXPECT_EQ(declared[0].help, "Varnex = public not creatable object");
    EXPECT_EQ(declared[0].parameters.at(0).type, "_Varnex**");
}

TEST(IdlMatchesCatalogue, eventsAreDeclaredInDispidOrder)
{
    const auto declared = idl().functions("__Varnex");
    const auto events = cat::events();
    ASSERT_EQ(declared.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(declared[i].name, events[i].name);
        EXPECT_EQ(declared[i].id, static_cast<std::uint32_t>(events[i].dispid));
        EXPECT_TRUE(declared[i].parameters.empty());
    }
}

TEST(IdlMatchesCatalogue, enumerationsKeepTheirDeclarationOrderAndValues)
{
    const auto declared = idl().enumerations();
    const auto enumerations = cat::enumerations();
    ASSERT_EQ(declared.size(), enumerations.size());
    for (std::size_t e = 0; e < enumerations.size(); ++e) {
        SCOPED_TRACE(std::string(enumerations[e].name));
        EXPECT_EQ(declared[e].name, enumerations[e].name);
        EXPECT_EQ(declared[e].uuid, enumerations[e].guid);
        ASSERT_EQ(declared[e].members.size(), enumerations[e].members.size());
        for (std::size_t m = 0; m < declared[e].members.size(); ++m) {
            EXPECT_EQ(declared[e].members[m].first, enumerations[e].members[m].name);
            EXPECT_EQ(declared[e].members[m].second, enumerations[e].members[m].value);
        }
    }
}

TEST(IdlMatchesCatalogue, identifiersOfTheLibraryAndItsTypes)
{
    EXPECT_EQ(idl().uuidOf("Tethra"), cat::typeLibrary().guid);
    EXPECT_NE(idl().libraryAttributes().find("version(38.3)"), std::string::npos);
    EXPECT_NE(idl().libraryAttributes().find("helpstring(\"Varnak - linking component\")"), std::string::npos);
    EXPECT_EQ(idl().uuidOf("_VarnexConnector"), cat::connectorInterfaceId);
    EXPECT_EQ(idl().uuidOf("VarnexConnector"), cat::connectorClassId);
    EXPECT_EQ(idl().uuidOf("_Varnex"), cat::varnexInterfaceId);
    EXPECT_EQ(idl().uuidOf("Varnex"), cat::varnexClassId);
    EXPECT_EQ(idl().uuidOf("__Varnex"), cat::eventInterfaceId);
    for (const auto &alias : cat::varnexAliases())
        EXPECT_EQ(idl().uuidOf(std::string(alias.name)), alias.guid) << alias.name;
}
