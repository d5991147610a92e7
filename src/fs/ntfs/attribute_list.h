#pragma once
// Entries of an $ATTRIBUTE_LIST: where each attribute (or each extent of a long
// attribute) of a file lives when the file needs more than one MFT record.
//
//   0x00  u32  attribute type
//   0x04  u16  entry length
//   0x06  u8   attribute name length (0 for the unnamed stream)
//   0x07  u8   offset of the name
//   0x08  u64  first VCN of the extent held there
//   0x10  u48  record number holding the attribute (u32 at 0x10, u16 at 0x14)
//   0x16  u16  sequence number of that record
//   0x18  u16  attribute id

#include <cstdint>
#include <span>
#include <vector>

namespace lazarine {

inline constexpr uint32_t kAttributeListEntryMinSize = 0x1A;

struct AttributeListEntry {
    uint32_t type = 0;
    uint16_t length = 0;
    uint8_t nameLength = 0;
    uint64_t startVcn = 0;
    uint64_t recordNumber = 0;
};

// The entries in order; the walk ends at type 0xFFFFFFFF, at a length shorter than the
// fixed part, and at the end of the bytes.
std::vector<AttributeListEntry> walkAttributeList(std::span<const uint8_t> bytes);

}  // namespace lazarine
