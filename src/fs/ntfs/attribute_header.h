#pragma once
// The header of one attribute inside an MFT record, and the walk over a record's
// attributes.
//
// Common part:
//   0x00  u32  type (0x10 $STANDARD_INFORMATION, 0x20 $ATTRIBUTE_LIST, 0x30 $FILE_NAME,
//              0x80 $DATA; 0xFFFFFFFF ends the list)
//   0x04  u32  total length of the attribute
//   0x08  u8   non-resident flag (0 = the content is inside the record)
//   0x09  u8   name length in UTF-16 units (0 for the unnamed stream)
//   0x0A  u16  offset of the name
//   0x0C  u16  flags: 0x0001 compressed, 0x4000 encrypted, 0x8000 sparse
// Resident:
//   0x10  u32  content length
//   0x14  u16  content offset from the start of the attribute
// Non-resident:
//   0x10  s64  first virtual cluster number (VCN) of this extent
//   0x18  s64  last VCN of this extent
//   0x20  u16  offset of the run list from the start of the attribute
//   0x22  u16  compression unit exponent (clusters per unit = 2^n)
//   0x28  s64  allocated size
//   0x30  s64  real (data) size

#include <cstdint>
#include <span>
#include <vector>

namespace lazarine {

inline constexpr uint32_t kAttrStandardInformation = 0x10;
inline constexpr uint32_t kAttrAttributeList = 0x20;
inline constexpr uint32_t kAttrFileName = 0x30;
inline constexpr uint32_t kAttrData = 0x80;
inline constexpr uint32_t kAttrEnd = 0xFFFFFFFF;

inline constexpr uint16_t kAttrFlagCompressionMask = 0x00FF;
inline constexpr uint16_t kAttrFlagEncrypted = 0x4000;
inline constexpr uint16_t kAttrFlagSparse = 0x8000;

inline constexpr uint32_t kResidentHeaderSize = 0x18;
inline constexpr uint32_t kNonResidentHeaderSize = 0x40;

struct AttributeHeader {
    uint32_t offset = 0;  // position of the attribute within the record
    uint32_t type = 0;
    uint32_t length = 0;
    uint8_t nonResident = 0;
    uint8_t nameLength = 0;
    uint16_t nameOffset = 0;
    uint16_t flags = 0;
    uint32_t contentLength = 0;
    uint16_t contentOffset = 0;
    int64_t firstVcn = 0;
    int64_t lastVcn = 0;
    uint16_t runListOffset = 0;
    uint16_t compressionUnit = 0;
    int64_t allocatedSize = 0;
    int64_t realSize = 0;

    // The resident content inside `record`, empty when it does not fit the attribute.
    std::span<const uint8_t> content(std::span<const uint8_t> record) const;
    // The run-list bytes of a non-resident attribute, up to the attribute's end.
    std::span<const uint8_t> runList(std::span<const uint8_t> record) const;
    // Clusters this extent maps: last VCN - first VCN + 1, or 0 for a reversed range.
    uint64_t vcnCount() const;
};

// The attributes of a (fixed-up) record in record order. The walk starts at the header's
// first-attribute offset and stops at the end marker, at a length shorter than the
// attribute header or one that would leave the record.
std::vector<AttributeHeader> walkAttributes(std::span<const uint8_t> record);

}  // namespace lazarine
