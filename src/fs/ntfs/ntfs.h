#pragma once
// The NTFS parser. (Being built.)

#include <memory>

#include "scan/parser.h"

namespace lazarine {

std::unique_ptr<FileSystemParser> createNtfsParser(readWriteInterface& reader,
                                                   const VolumeRow& volume);

}  // namespace lazarine
