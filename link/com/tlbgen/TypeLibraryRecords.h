// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The records of a type library file (the format CreateTypeLib2 writes) that carry sizes,
// offsets and alignments, read straight from its bytes: the size of each interface's
// function table, each function's slot, and the size of the description a reader builds
// from each function or variable record. These depend on the pointer size of the target,
// and the runtime that writes a file takes some of them from its own process, so the
// generator corrects them and the tests check them here rather than through ITypeInfo
// (which converts what it reads to the reading process). Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tethra::com::records {

// Sizes of the descriptions as a 32-bit process holds them: FUNCDESC, ELEMDESC (one per
// parameter), TYPEDESC (one per level of pointer), VARDESC and the VARIANT of a constant.
namespace win32 {
inline constexpr int funcDescSize = 52;
inline constexpr int elemDescSize = 16;
inline constexpr int typeDescSize = 8;
inline constexpr int varDescSize = 36;
inline constexpr int variantSize = 16;
inline constexpr int pointerSize = 4;
} // namespace win32

struct Member {
    std::size_t position; // of the record in the file
    bool function;        // else a variable (an enumeration's constant)
    int vtableOffset;     // functions: byte offset of the slot
    int parameters;       // functions
    int descriptionSize;
};

struct Type {
    std::size_t position; // of the type's record in the file
    int kind;             // TYPEKIND
    int alignment;
    int flags; // TYPEFLAGS
    int vtableSize;
    int instanceSize;
    std::vector<Member> members;
};

struct Library {
    int target; // SYSKIND
    std::vector<Type> types;
};

// Nothing when the bytes are not a type library of this format, or are cut short.
std::optional<Library> read(const std::vector<std::uint8_t> &file);

void setVtableSize(std::vector<std::uint8_t> &file, const Type &type, int size);
void setDescriptionSize(std::vector<std::uint8_t> &file, const Member &member, int size);

} // namespace tethra::com::records
