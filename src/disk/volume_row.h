#pragma once
// One row of the drive, volume and partition lists, and the description of the volume to
// scan.

#include <cstdint>
#include <string>

namespace lazarine {

struct VolumeRow {
    std::string fileSystem;  // "NTFS", "FAT12", "FAT16", "FAT32", "FAT64", "extX", "HFS+", ...
    std::string rootPath;    // mount point of a mounted volume, empty for a partition
    std::string volumeText;  // device path of a volume, or the partition's list number
    std::string sizeText;    // size in megabytes as the lists show it
    int64_t startSector = 0;  // first 512-byte sector on the device
    // Exact size in 512-byte sectors (0 when unknown). sizeText floors to whole megabytes;
    // this keeps the last partial megabyte reachable for the scans.
    uint64_t sectorCount = 0;
};

}  // namespace lazarine
