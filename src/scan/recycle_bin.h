#pragma once
// Recycled files keep their data in "$R..." entries and their original path in a "$I..."
// companion; after a scan the $R entries get their original names back.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "scan/job_control.h"
#include "scan/parser.h"

namespace lazarine {

// The original file name from a $I file's bytes: version 1 keeps the UTF-16 path at byte
// 24, version 2 a 32-bit length at 24 and the path at 28. Only what follows the last
// backslash is returned. Files of 2048 bytes or more give nothing.
std::optional<std::string> recycledFileName(std::span<const uint8_t> infoFile);

// Renames the $R entries of every "$RECYCLE.BIN" (or "$RECYCLEBIN") folder directly
// under the top level. Returns the number of entries renamed.
uint64_t RestoreRecycleBinNames(FileSystemParser& parser, Reporter& reporter);

}  // namespace lazarine
