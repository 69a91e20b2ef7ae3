// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The published interface as clients bind to it: offsets, dispatch identifiers, events,
// enumerations and the commands' field mapping.
#include "MemberCatalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace tethra::catalogue;

namespace {

int count(Kind kind)
{
    int n = 0;
    for (const Member &m : varnexMembers())
        n += m.kind == kind;
    return n;
}

} // namespace

TEST(PublishedInterface, HasEveryFieldAsPropertyAndEveryCommandAsMethod)
{
    EXPECT_EQ(varnexMembers().size(), 90u);
    EXPECT_EQ(count(Kind::Property), 59);
    EXPECT_EQ(count(Kind::Method), 31);
    EXPECT_EQ(fieldOrder().size(), 59u);
    std::set<std::string_view> fields(fieldOrder().begin(), fieldOrder().end());
    EXPECT_EQ(fields.size(), 59u) << "a field is listed twice";
    for (std::string_view name : fieldOrder()) {
        const Member *m = findVarnexMember(name);
        ASSERT_NE(m, nullptr) << name;
        EXPECT_EQ(m->kind, Kind::Property) << name;
    }
}

TEST(PublishedInterface, OffsetsFollowTheSlotRuleWithDualInterleaved)
{
    int previous = 588;
    for (const Member &m : varnexMembers()) {
        const int first = m.kind == Kind::Method ? m.offset : m.letOffset;
        EXPECT_EQ(first, previous + 4) << m.name << " does not follow the slot before it";
        if (m.kind == Kind::Method) {
            previous = m.offset;
        } else if (m.name == "Dual" || m.name == "NewDual") {
            previous = m.letOffset;
        } else {
            EXPECT_EQ(m.getOffset, m.letOffset + 4) << m.name;
            previous = m.getOffset;
        }
    }
    const Member *dual = findVarnexMember("Dual");
    const Member *newDual = findVarnexMember("NewDual");
    EXPECT_EQ(dual->letOffset, 1172);
    EXPECT_EQ(newDual->letOffset, 1176);
    EXPECT_EQ(dual->getOffset, 1180);
    EXPECT_EQ(newDual->getOffset, 1184);
    EXPECT_EQ(findVarnexMember("SetData")->offset, 592);
    const Member *band = findVarnexMember("Band");
    EXPECT_EQ(band->getOffset, 700);
    EXPECT_EQ(band->getOffset / 4, 7 + 168) << "the monitor calls slot 175";
    EXPECT_EQ(connectorMembers()[0].getOffset, 28);
}

TEST(PublishedInterface, DispatchIdentifiersAreUniqueAndInTheirRanges)
{
    std::set<std::uint32_t> seen;
    for (const Member &m : varnexMembers()) {
        const std::uint32_t range = m.kind == Kind::Property ? 0x68030000u : 0x60030000u;
        EXPECT_EQ(m.dispid & 0xFFFF0000u, range) << m.name;
        EXPECT_TRUE(seen.insert(m.dispid).second) << m.name << " reuses a DISPID";
    }
    EXPECT_EQ(findVarnexMember("Band")->dispid, 0x680300BDu);
    EXPECT_EQ(findVarnexMember("SetMonitoring")->dispid, 0x600300E8u);
    EXPECT_EQ(connectorMembers()[0].dispid, 0x68030000u);
}

TEST(PublishedInterface, EveryCommandStoresIntoRealFieldsAndRaisesADistinctEvent)
{
    ASSERT_EQ(events().size(), 31u);
    for (std::size_t i = 0; i < events().size(); ++i)
        EXPECT_EQ(events()[i].dispid, static_cast<int>(i) + 1);
    std::set<std::string_view> raised;
    for (const Member &m : varnexMembers()) {
        if (m.kind != Kind::Method)
            continue;
        EXPECT_NE(findEvent(m.event), nullptr) << m.name;
        EXPECT_TRUE(raised.insert(m.event).second) << m.name;
        for (const Argument &a : m.arguments) {
            const Member *field = findVarnexMember(a.field);
            ASSERT_NE(field, nullptr) << m.name << "." << a.name;
            EXPECT_EQ(field->type, a.type) << m.name << "." << a.name;
            if (!a.enumName.empty()) {
                EXPECT_NE(findEnumeration(a.enumName), nullptr) << a.enumName;
            }
        }
    }
    EXPECT_EQ(findVarnexMember("SetOK")->event, "OK");
    EXPECT_EQ(findVarnexMember("SetAutoMode")->arguments[0].enumName, "tetMode");
    EXPECT_TRUE(findVarnexMember("SetMonitoring")->arguments[0].byReference);
    EXPECT_EQ(findVarnexMember("SetScrivo")->arguments[0].field, "Scrivo");
}

TEST(PublishedInterface, EnumerationsKeepTheirDeclarationOrderAndOddNames)
{
    ASSERT_EQ(enumerations().size(), 16u);
    EXPECT_EQ(enumerations().front().name, "tetMode");
    EXPECT_EQ(enumerations().back().name, "tetMonitoring");
    const Enumeration *windowState = findEnumeration("tetWindowState");
    ASSERT_EQ(windowState->members.size(), 4u);
    EXPECT_EQ(windowState->members[1].name, "tetMaximized");
    EXPECT_EQ(windowState->members[1].value, 2);
    EXPECT_EQ(findEnumeration("tetSplit")->members[0].value, 1);
    EXPECT_EQ(findEnumeration("tetRPT")->members[1].value, -1);
    EXPECT_EQ(findEnumeration("tetCAT")->members[1].name, "trtCATOn");
    EXPECT_EQ(findEnumeration("tetMode")->members[8].name, "tetFSKL");
}

TEST(PublishedInterface, HelpTextsKeepTheirBlanksAndLineBreaks)
{
    EXPECT_EQ(findVarnexMember("SetFilter")->help, "Set new Filter  (0:2400 1:2000 2:500 3:250 4:6000)");
    EXPECT_EQ(findVarnexMember("NewSplit")->help, "New split condition (0:OFF 1:ON) ");
    EXPECT_EQ(findVarnexMember("SetScrivoWindow")->help,
              "Set new Scrivo WindowState\r\n0 = normal\r\n1 = minimized\r\n2 = maximized\r\n3 =last");
    EXPECT_EQ(findVarnexMember("CallSign")->textWidth, 12);
    EXPECT_EQ(findVarnexMember("NewComment")->textWidth, 30);
    EXPECT_EQ(typeLibrary().majorVersion, 38);
    EXPECT_EQ(typeLibrary().minorVersion, 3);
    EXPECT_EQ(varnexInterfaceIds().size(), 4u);
    EXPECT_EQ(eventInterfaceIds().size(), 4u);
    EXPECT_EQ(varnexAliases()[2].name, "Varnex___v2");
}
