// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The function table of `_Varnex` slot by slot, as the member catalogue places its members:
// from byte offset 28 (after IUnknown and IDispatch) to the last member, every 4 bytes one
// method, property write or property read, and the slots no member occupies marked unused.
// Plain C++: the type library generator, the IDL check and the Wine tests all walk it.
#pragma once

#include "MemberCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tethra::com {

enum class Access { Method, Let, Get, Unused };

struct Slot {
    int offset; // byte offset in the 32-bit function table
    Access access;
    const catalogue::Member *member; // null for an unused slot
};

inline constexpr int firstMemberOffset = 28;
inline constexpr int slotSize = 4;

std::vector<Slot> varnexSlots();

// An unused slot's name and DISPID, both derived from its byte offset ("Unused28", 0x6002001C).
std::string unusedName(int offset);
std::uint32_t unusedDispid(int offset);

} // namespace tethra::com
