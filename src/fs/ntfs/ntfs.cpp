#include "fs/ntfs/ntfs.h"

namespace lazarine {

std::unique_ptr<FileSystemParser> createNtfsParser(readWriteInterface&, const VolumeRow&) {
    return nullptr;
}

}  // namespace lazarine
