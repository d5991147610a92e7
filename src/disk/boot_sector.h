#pragma once
// File-system identification from a volume's first sectors: the NTFS, exFAT and FAT boot
// sectors, the ext2/3/4 superblock and the HFS+ volume header. These tests are the
// partition discovery's only identification; each parser checks its own fields later.

#include <cstdint>
#include <span>

namespace lazarine {

enum class VolumeKind {
    None,        // not a boot sector we know
    Ntfs,
    Fat12,
    Fat16,
    Fat32,
    FatUnknown,  // a jump instruction and 0x55AA, but no valid BIOS parameter block
    ExFat,
    Ext,
    HfsPlus,
};

struct VolumeMatch {
    VolumeKind kind = VolumeKind::None;
    // Size of the volume in 512-byte sectors as its own header states it.
    uint64_t sizeSectors = 0;
};

// Boot sector (a volume's sector 0): NTFS, exFAT or FAT.
//  - NTFS: 0xEB 0x52, bytes per sector (offset 11) 512 and, when `requireNtfsOem`, the
//    OEM text "NTFS" at offset 3. Size: 64-bit total sectors at 0x28.
//  - exFAT: 0xEB 0x3C/0x58/0x76 and "EXFA" at offset 3. Size: 64-bit volume length at
//    0x48, in units of 2^(byte 108) bytes.
//  - FAT: a jump (0xEB xx or 0xE9 xx xx), a valid BIOS parameter block and 0x55AA at 510;
//    FAT12/16/32 told apart by cluster count (below 4085, below 65525, else).
VolumeMatch classifyBootSector(std::span<const uint8_t> sector, bool requireNtfsOem);

// The sector at byte 1024 of a volume: ext2/3/4 primary superblock (magic 0xEF53 at 56,
// sane geometry, block group 0). Size from the block count and block size.
VolumeMatch classifyExtSuperblock(std::span<const uint8_t> sector);

// The sector at byte 1024 of a volume: HFS+ volume header ("H+" and a zero high version
// byte). Size from block size x total blocks, both big-endian.
VolumeMatch classifyHfsPlusHeader(std::span<const uint8_t> sector);

// True when the jump byte is 0xEB (short) or 0xE9 (near) and 0x55AA closes the sector.
bool hasBootJumpAndSignature(std::span<const uint8_t> sector);

}  // namespace lazarine
