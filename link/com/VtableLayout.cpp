// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "VtableLayout.h"

#include <map>

namespace tethra::com {

std::vector<Slot> varnexSlots()
{
    std::map<int, Slot> used;
    for (const auto &member : catalogue::varnexMembers()) {
        if (member.kind == catalogue::Kind::Method) {
            used[member.offset] = {member.offset, Access::Method, &member};
            continue;
        }
        if (member.letOffset != 0)
            used[member.letOffset] = {member.letOffset, Access::Let, &member};
        used[member.getOffset] = {member.getOffset, Access::Get, &member};
    }

    std::vector<Slot> slots;
    const int last = used.empty() ? firstMemberOffset - slotSize : used.rbegin()->first;
    for (int offset = firstMemberOffset; offset <= last; offset += slotSize) {
        auto it = used.find(offset);
        slots.push_back(it != used.end() ? it->second : Slot{offset, Access::Unused, nullptr});
    }
    return slots;
}

std::string unusedName(int offset)
{
    return "Unused" + std::to_string(offset);
}

std::uint32_t unusedDispid(int offset)
{
    return 0x60020000u + static_cast<std::uint32_t>(offset);
}

} // namespace tethra::com
