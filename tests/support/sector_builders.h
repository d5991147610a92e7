#pragma once
// Builders for the boot sectors and headers the discovery recognises, with the fields
// real formatting tools write. Tests corrupt one field at a time.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lazarine::testing {

using Sector = std::array<uint8_t, 512>;

inline void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline void put64(uint8_t* p, uint64_t v) {
    put32(p, static_cast<uint32_t>(v));
    put32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void putBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline Sector ntfsBootSector(uint64_t totalSectors) {
    Sector s{};
    const uint8_t jump[] = {0xEB, 0x52, 0x90};
    std::memcpy(s.data(), jump, 3);
    std::memcpy(s.data() + 3, "NTFS    ", 8);
    put16(s.data() + 11, 512);
    s[13] = 8;
    put64(s.data() + 0x28, totalSectors);
    put16(s.data() + 510, 0xAA55);
    return s;
}

// A FAT boot sector as mkfs.fat writes it. fatSize goes to offset 22 (FAT12/16) or 36
// (FAT32, when fat32 is set).
inline Sector fatBootSector(uint32_t totalSectors, uint8_t sectorsPerCluster, uint32_t fatSize,
                            bool fat32, uint16_t rootEntries = 512) {
    Sector s{};
    const uint8_t jump[] = {0xEB, static_cast<uint8_t>(fat32 ? 0x58 : 0x3C), 0x90};
    std::memcpy(s.data(), jump, 3);
    std::memcpy(s.data() + 3, "mkfs.fat", 8);
    put16(s.data() + 11, 512);
    s[13] = sectorsPerCluster;
    put16(s.data() + 14, fat32 ? 32 : 1);
    s[16] = 2;
    put16(s.data() + 17, fat32 ? 0 : rootEntries);
    if (totalSectors < 65536 && !fat32) {
        put16(s.data() + 19, static_cast<uint16_t>(totalSectors));
    } else {
        put32(s.data() + 32, totalSectors);
    }
    s[21] = 0xF8;
    if (fat32) {
        put32(s.data() + 36, fatSize);
        put32(s.data() + 44, 2);
    } else {
        put16(s.data() + 22, static_cast<uint16_t>(fatSize));
    }
    put16(s.data() + 510, 0xAA55);
    return s;
}

inline Sector exfatBootSector(uint64_t volumeLength, uint8_t bytesPerSectorShift = 9) {
    Sector s{};
    const uint8_t jump[] = {0xEB, 0x76, 0x90};
    std::memcpy(s.data(), jump, 3);
    std::memcpy(s.data() + 3, "EXFAT   ", 8);
    put64(s.data() + 0x48, volumeLength);
    s[108] = bytesPerSectorShift;
    s[109] = 3;
    put16(s.data() + 510, 0xAA55);
    return s;
}

// The sector at byte 1024 of an ext4 volume: its superblock.
inline Sector extSuperblock(uint32_t blocks, uint32_t logBlockSize = 2) {
    Sector s{};
    put32(s.data() + 0, 2048);             // inodes
    put32(s.data() + 4, blocks);
    put32(s.data() + 20, logBlockSize == 0 ? 1 : 0);
    put32(s.data() + 24, logBlockSize);
    put32(s.data() + 32, 8192u << logBlockSize);  // blocks per group
    put32(s.data() + 40, 2048);            // inodes per group
    put16(s.data() + 56, 0xEF53);
    put16(s.data() + 58, 1);               // clean
    put32(s.data() + 76, 1);               // dynamic revision
    return s;
}

inline Sector hfsPlusHeader(uint32_t blockSize, uint32_t totalBlocks) {
    Sector s{};
    s[0] = 0x48;
    s[1] = 0x2B;
    s[2] = 0x00;
    s[3] = 0x04;
    putBe32(s.data() + 0x28, blockSize);
    putBe32(s.data() + 0x2C, totalBlocks);
    return s;
}

// A disk image in memory, written sector by sector.
class DiskBuilder {
public:
    explicit DiskBuilder(uint64_t sectors) : bytes_(sectors * 512, 0) {}
    DiskBuilder& put(uint64_t sector, const Sector& s) {
        std::memcpy(bytes_.data() + sector * 512, s.data(), 512);
        return *this;
    }
    // An MBR or EBR partition entry (slot 0..3) in `sector`, with the 0x55AA signature.
    DiskBuilder& entry(uint64_t sector, int slot, uint8_t type, uint32_t start, uint32_t count) {
        uint8_t* e = bytes_.data() + sector * 512 + 446 + 16 * slot;
        e[4] = type;
        put32(e + 8, start);
        put32(e + 12, count);
        put16(bytes_.data() + sector * 512 + 510, 0xAA55);
        return *this;
    }
    uint8_t* at(uint64_t byte) { return bytes_.data() + byte; }
    std::vector<uint8_t> bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace lazarine::testing
