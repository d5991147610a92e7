#pragma once
// The NTFS boot sector: sector 0 of the volume. Only the fields below are read.
//
//   0x03  4 bytes  OEM identifier, "NTFS" on a healthy volume
//   0x0B  u16      bytes per sector
//   0x0D  u8       sectors per cluster; values above 0x80 mean 2^(256 - n)
//   0x28  u64      total sectors of the volume
//   0x30  u64      first cluster of the MFT
//   0x38  u64      first cluster of the MFT mirror
//   0x40  s8       MFT record size: positive = clusters, negative n = 2^-n bytes

#include <cstdint>
#include <span>

namespace lazarine {

inline constexpr uint32_t kDefaultRecordSize = 1024;
inline constexpr uint64_t kDefaultClusterSize = 4096;

struct NtfsBootSector {
    bool oemIsNtfs = false;
    uint16_t bytesPerSector = 0;
    uint8_t sectorsPerCluster = 0;
    uint64_t totalSectors = 0;
    uint64_t mftCluster = 0;
    uint64_t mftMirrorCluster = 0;
    int8_t recordSizeCode = 0;

    // Bytes per cluster, or 0 when the fields do not give a power of two between 512
    // bytes and 2 MiB.
    uint64_t clusterBytes() const;
    // Bytes per MFT record, or 0 when the field does not give a power of two between 512
    // and 65536 bytes.
    uint32_t recordBytes() const;
};

// Decodes the fields of a 512-byte boot sector; a shorter span gives a sector that is not
// NTFS.
NtfsBootSector decodeNtfsBootSector(std::span<const uint8_t> sector);

}  // namespace lazarine
