#pragma once
// The content of a $STANDARD_INFORMATION attribute (always resident). Times are FILETIME
// values: 100-ns intervals since 1601-01-01 00:00 UTC.
//
//   0x00  u64  creation time
//   0x08  u64  last modification time
//   0x10  u64  last MFT change time
//   0x18  u64  last access time

#include <cstdint>
#include <optional>
#include <span>

#include "disk/bytes.h"

namespace lazarine {

struct StandardInformation {
    uint64_t created = 0;
    uint64_t modified = 0;
    uint64_t changed = 0;
    uint64_t accessed = 0;
};

inline std::optional<StandardInformation> decodeStandardInformation(
    std::span<const uint8_t> c) {
    if (c.size() < 0x20) return std::nullopt;
    return StandardInformation{le64(c.data()), le64(c.data() + 0x08), le64(c.data() + 0x10),
                               le64(c.data() + 0x18)};
}

}  // namespace lazarine
