// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TypeLibraryRecords.h"

namespace tethra::com::records {
namespace {

// Positions of the fields used here: in the header, in a type's record, in a member's record.
constexpr std::uint32_t magic = 0x5446534D; // "MSFT"
constexpr std::size_t headerSize = 0x54;
constexpr std::size_t headerFlags = 0x14; // low 4 bits: SYSKIND; 0x100: one more header word
constexpr std::size_t headerTypeCount = 0x20;
constexpr std::size_t segmentEntrySize = 16; // 15 segments; the first lists the types' records
constexpr std::size_t typeRecordSize = 0x64;
constexpr std::size_t typeKind = 0x00;         // low 4 bits: TYPEKIND; bits 11-15: alignment
constexpr std::size_t typeMembers = 0x04;      // position of the member records
constexpr std::size_t typeMemberCounts = 0x18; // functions in the low half, variables in the high
constexpr std::size_t typeFlags = 0x30;
constexpr std::size_t typeVtableSize = 0x4E; // 16 bits
constexpr std::size_t typeInstanceSize = 0x50;
constexpr std::size_t memberVtableOffset = 0x0C;    // 16 bits; the low 2 bits are flags
constexpr std::size_t memberDescriptionSize = 0x0E; // 16 bits
constexpr std::size_t memberParameters = 0x14;      // 16 bits

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t> &file) : m_file(file) {}
    bool has(std::size_t position, std::size_t size) const
    {
        return position <= m_file.size() && size <= m_file.size() - position;
    }
    std::uint32_t word(std::size_t position) const
    {
        return m_file[position] | m_file[position + 1] << 8 | m_file[position + 2] << 16 |
               static_cast<std::uint32_t>(m_file[position + 3]) << 24;
    }
    int half(std::size_t position) const
    {
        return static_cast<std::int16_t>(m_file[position] | m_file[position + 1] << 8);
    }

private:
    const std::vector<std::uint8_t> &m_file;
};

void writeHalf(std::vector<std::uint8_t> &file, std::size_t position, int value)
{
    file[position] = static_cast<std::uint8_t>(value & 0xFF);
    file[position + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

} // namespace

std::optional<Library> read(const std::vector<std::uint8_t> &file)
{
    const Reader in(file);
    if (!in.has(0, headerSize) || in.word(0) != magic)
        return std::nullopt;
    const std::uint32_t flags = in.word(headerFlags);
    const std::size_t typeCount = in.word(headerTypeCount);
    const std::size_t segments = headerSize + (flags & 0x100 ? 4 : 0) + 4 * typeCount;
    if (typeCount > 0xFFFF || !in.has(segments, segmentEntrySize))
        return std::nullopt;
    const std::size_t typeTable = in.word(segments);
    if (!in.has(typeTable, typeRecordSize * typeCount))
        return std::nullopt;

    Library library{static_cast<int>(flags & 0xF), {}};
    for (std::size_t i = 0; i < typeCount; ++i) {
        const std::size_t at = typeTable + typeRecordSize * i;
        const std::uint32_t kind = in.word(at + typeKind);
        Type type{at,
                  static_cast<int>(kind & 0xF),
                  static_cast<int>((kind >> 11) & 0x1F),
                  static_cast<int>(in.word(at + typeFlags)),
                  in.half(at + typeVtableSize),
                  static_cast<int>(in.word(at + typeInstanceSize)),
                  {}};
        const std::uint32_t counts = in.word(at + typeMemberCounts);
        const std::size_t functions = counts & 0xFFFF;
        const std::size_t count = functions + (counts >> 16);
        std::size_t record = in.word(at + typeMembers) + 4;
        for (std::size_t m = 0; m < count; ++m) {
            const bool function = m < functions;
            const std::size_t least = function ? memberParameters + 2 : memberDescriptionSize + 2;
            if (!in.has(record, least))
                return std::nullopt;
            const std::size_t size = in.word(record) & 0xFFFF;
            if (size < least || !in.has(record, size))
                return std::nullopt;
            type.members.push_back({record, function, function ? in.half(record + memberVtableOffset) & ~3 : 0,
                                    function ? in.half(record + memberParameters) : 0,
                                    in.half(record + memberDescriptionSize)});
            record += size;
        }
        library.types.push_back(std::move(type));
    }
    return library;
}

void setVtableSize(std::vector<std::uint8_t> &file, const Type &type, int size)
{
    writeHalf(file, type.position + typeVtableSize, size);
}

void setDescriptionSize(std::vector<std::uint8_t> &file, const Member &member, int size)
{
    writeHalf(file, member.position + memberDescriptionSize, size);
}

} // namespace tethra::com::records
