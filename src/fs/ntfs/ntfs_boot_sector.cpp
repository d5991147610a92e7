#include "fs/ntfs/ntfs_boot_sector.h"

#include <cstring>

#include "disk/bytes.h"

namespace lazarine {

namespace {
bool isPowerOfTwo(uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }
}  // namespace

NtfsBootSector decodeNtfsBootSector(std::span<const uint8_t> s) {
    NtfsBootSector b;
    if (s.size() < 512) return b;
    b.oemIsNtfs = std::memcmp(s.data() + 3, "NTFS", 4) == 0;
    b.bytesPerSector = le16(s.data() + 0x0B);
    b.sectorsPerCluster = s[0x0D];
    b.totalSectors = le64(s.data() + 0x28);
    b.mftCluster = le64(s.data() + 0x30);
    b.mftMirrorCluster = le64(s.data() + 0x38);
    b.recordSizeCode = static_cast<int8_t>(s[0x40]);
    return b;
}

uint64_t NtfsBootSector::clusterBytes() const {
    uint64_t sectors = sectorsPerCluster;
    if (sectorsPerCluster > 0x80) {
        unsigned shift = 256u - sectorsPerCluster;
        if (shift > 12) return 0;
        sectors = uint64_t{1} << shift;
    }
    uint64_t bytes = sectors * bytesPerSector;
    if (!isPowerOfTwo(bytes) || bytes < 512 || bytes > (2u << 20)) return 0;
    return bytes;
}

uint32_t NtfsBootSector::recordBytes() const {
    uint64_t bytes = 0;
    if (recordSizeCode > 0) {
        bytes = static_cast<uint64_t>(recordSizeCode) * clusterBytes();
    } else if (recordSizeCode < 0) {
        int shift = -recordSizeCode;
        if (shift > 16) return 0;
        bytes = uint64_t{1} << shift;
    }
    if (!isPowerOfTwo(bytes) || bytes < 512 || bytes > 65536) return 0;
    return static_cast<uint32_t>(bytes);
}

}  // namespace lazarine
