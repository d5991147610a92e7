#pragma once
// The content of a $FILE_NAME attribute (always resident).
//
//   0x00  u64     parent reference: low 48 bits record number, high 16 sequence number
//   0x28  u64     allocated size of the file's data
//   0x30  u64     real size of the file's data
//   0x38  u32     file attribute flags: 0x10000000 directory; the low 16 bits are the
//                 DOS-style flags (0x0001 read-only, 0x0002 hidden, 0x0020 archive, ...)
//   0x40  u8      name length in UTF-16 units
//   0x41  u8      namespace: 0 POSIX, 1 Win32, 2 DOS (8.3 only), 3 Win32 and DOS
//   0x42  UTF-16  the name

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lazarine {

inline constexpr uint32_t kFileNameHeaderSize = 0x42;
inline constexpr uint32_t kFileAttrDirectory = 0x10000000;
inline constexpr uint8_t kNamespaceDos = 2;
inline constexpr uint64_t kRecordNumberMask = 0x0000FFFFFFFFFFFFull;

struct FileNameAttribute {
    uint64_t parentReference = 0;
    uint64_t allocatedSize = 0;
    uint64_t realSize = 0;
    uint32_t fileAttributes = 0;
    uint8_t nameLength = 0;
    uint8_t nameSpace = 0;
    std::string name;  // UTF-8; surrogate pairs joined

    uint64_t parentRecord() const { return parentReference & kRecordNumberMask; }
    bool isDirectory() const { return (fileAttributes & kFileAttrDirectory) != 0; }
    bool isDosOnly() const { return nameSpace == kNamespaceDos; }
};

// Empty when the content is shorter than the fixed part; a name that runs past the
// content is cut at the content's end.
std::optional<FileNameAttribute> decodeFileName(std::span<const uint8_t> content);

// "-R" 0x0001, "-H" 0x0002, "-S" 0x0200, "-A" 0x0020, "-C" 0x0800, "-E" 0x4000, in this
// order.
std::string attributeText(uint16_t flags);

}  // namespace lazarine
