#include "disk/boot_sector.h"

#include <cstring>

#include "disk/bytes.h"

namespace lazarine {

namespace {

constexpr size_t kSector = 512;

bool isPowerOfTwo(uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

bool shortJumpToBootCode(const uint8_t* s) {
    return s[0] == 0xEB && (s[1] == 0x3C || s[1] == 0x58 || s[1] == 0x76);
}

VolumeMatch classifyFat(const uint8_t* s) {
    // BIOS parameter block, offsets of the FAT boot sector.
    uint32_t bytesPerSector = le16(s + 11);
    uint32_t sectorsPerCluster = s[13];
    uint32_t reservedSectors = le16(s + 14);
    uint32_t fatCount = s[16];
    uint32_t rootEntries = le16(s + 17);
    uint32_t totalSectors16 = le16(s + 19);
    uint32_t fatSize16 = le16(s + 22);
    uint32_t totalSectors32 = le32(s + 32);
    uint32_t fatSize32 = le32(s + 36);

    VolumeMatch unknown{VolumeKind::FatUnknown, 0};
    if (bytesPerSector < 512 || bytesPerSector > 4096 || !isPowerOfTwo(bytesPerSector)) {
        return unknown;
    }
    if (!isPowerOfTwo(sectorsPerCluster) || reservedSectors == 0 || fatCount == 0) {
        return unknown;
    }
    uint64_t total = totalSectors16 != 0 ? totalSectors16 : totalSectors32;
    uint64_t fatSize = fatSize16 != 0 ? fatSize16 : fatSize32;
    if (total == 0 || fatSize == 0) return unknown;
    uint64_t rootDirSectors = (rootEntries * 32ULL + bytesPerSector - 1) / bytesPerSector;
    uint64_t metadata = reservedSectors + fatCount * fatSize + rootDirSectors;
    if (metadata >= total) return unknown;
    uint64_t clusters = (total - metadata) / sectorsPerCluster;

    VolumeMatch match;
    match.kind = clusters < 4085    ? VolumeKind::Fat12
                 : clusters < 65525 ? VolumeKind::Fat16
                                    : VolumeKind::Fat32;
    match.sizeSectors = total * bytesPerSector / kSector;
    return match;
}

}  // namespace

bool hasBootJumpAndSignature(std::span<const uint8_t> sector) {
    if (sector.size() < kSector) return false;
    const uint8_t* s = sector.data();
    return (s[0] == 0xEB || s[0] == 0xE9) && le16(s + 510) == 0xAA55;
}

VolumeMatch classifyBootSector(std::span<const uint8_t> sector, bool requireNtfsOem) {
    if (sector.size() < kSector) return {};
    const uint8_t* s = sector.data();

    if (s[0] == 0xEB && s[1] == 0x52 && le16(s + 11) == 512 &&
        (!requireNtfsOem || std::memcmp(s + 3, "NTFS", 4) == 0)) {
        return {VolumeKind::Ntfs, le64(s + 0x28)};
    }
    if (shortJumpToBootCode(s) && std::memcmp(s + 3, "EXFA", 4) == 0) {
        // BytesPerSectorShift is 9..12; anything else leaves the length as 512-byte units.
        uint32_t shift = s[108];
        uint64_t length = le64(s + 0x48);
        if (shift > 9 && shift <= 12 && length <= (UINT64_MAX >> (shift - 9))) {
            length <<= (shift - 9);
        }
        return {VolumeKind::ExFat, length};
    }
    if (!hasBootJumpAndSignature(sector)) return {};
    return classifyFat(s);
}

VolumeMatch classifyExtSuperblock(std::span<const uint8_t> sector) {
    if (sector.size() < kSector) return {};
    const uint8_t* s = sector.data();
    if (le16(s + 56) != 0xEF53) return {};
    uint32_t logBlockSize = le32(s + 24);      // block size = 1024 << this
    uint32_t firstDataBlock = le32(s + 20);    // 1 for 1 KiB blocks, else 0
    uint32_t blocksPerGroup = le32(s + 32);
    uint32_t inodesPerGroup = le32(s + 40);
    uint32_t inodesCount = le32(s + 0);
    uint32_t revLevel = le32(s + 76);
    uint16_t blockGroupNr = le16(s + 90);      // 0 in the primary copy
    uint32_t incompat = le32(s + 96);
    if (logBlockSize > 6 || firstDataBlock > 1 || blocksPerGroup == 0 || inodesPerGroup == 0 ||
        inodesCount == 0 || revLevel > 1 || blockGroupNr != 0) {
        return {};
    }
    uint64_t blockSize = 1024ULL << logBlockSize;
    if (blocksPerGroup > blockSize * 8) return {};
    uint64_t blocks = le32(s + 4);
    if (incompat & 0x80) blocks |= static_cast<uint64_t>(le32(s + 0x150)) << 32;  // 64BIT
    if (blocks == 0 || blocks > (UINT64_MAX / blockSize)) return {};
    return {VolumeKind::Ext, blocks * blockSize / kSector};
}

VolumeMatch classifyHfsPlusHeader(std::span<const uint8_t> sector) {
    if (sector.size() < kSector) return {};
    const uint8_t* s = sector.data();
    if (s[0] != 0x48 || s[1] != 0x2B || s[2] != 0x00) return {};
    uint64_t blockSize = be32(s + 0x28);
    uint64_t totalBlocks = be32(s + 0x2C);
    if (blockSize < 512 || !isPowerOfTwo(blockSize)) return {};
    return {VolumeKind::HfsPlus, blockSize * totalBlocks / kSector};
}

}  // namespace lazarine
