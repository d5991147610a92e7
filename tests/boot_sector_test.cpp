#include "disk/boot_sector.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/sector_builders.h"

namespace lazarine {
namespace {

using testing::Sector;

TEST(ClassifyBootSector, TellsFatKindsApartByClusterCount) {
    struct Case {
        const char* what;
        Sector sector;
        VolumeKind kind;
        uint64_t size;
    } cases[] = {
        // 8 MiB, 4 KiB clusters: about 2000 clusters.
        {"FAT12", testing::fatBootSector(16384, 8, 6, false), VolumeKind::Fat12, 16384},
        // 16 MiB, 2 KiB clusters, a FAT of 32 sectors (not one of 128/200/256).
        {"FAT16", testing::fatBootSector(32768, 4, 32, false), VolumeKind::Fat16, 32768},
        // FAT16 volume with 243 sectors per FAT is still FAT16.
        {"FAT16/243", testing::fatBootSector(204800, 4, 243, false), VolumeKind::Fat16, 204800},
        {"FAT32", testing::fatBootSector(81920, 1, 630, true), VolumeKind::Fat32, 81920},
    };
    for (const Case& c : cases) {
        VolumeMatch m = classifyBootSector(c.sector, true);
        EXPECT_EQ(m.kind, c.kind) << c.what;
        EXPECT_EQ(m.sizeSectors, c.size) << c.what;
    }
}

TEST(ClassifyBootSector, AcceptsAnyOemNameButRejectsBadParameterBlocks) {
    Sector good = testing::fatBootSector(81920, 1, 630, true);
    for (const char* oem : {"MSDOS5.0", "BSD  4.4", "mkfs.fat", "        "}) {
        Sector s = good;
        std::memcpy(s.data() + 3, oem, 8);
        EXPECT_EQ(classifyBootSector(s, true).kind, VolumeKind::Fat32) << oem;
    }
    struct Corruption {
        const char* what;
        std::function<void(Sector&)> apply;
        VolumeKind kind;
    } corruptions[] = {
        {"bytes per sector 0", [](Sector& s) { testing::put16(s.data() + 11, 0); }, VolumeKind::FatUnknown},
        {"bytes per sector 520", [](Sector& s) { testing::put16(s.data() + 11, 520); }, VolumeKind::FatUnknown},
        {"sectors per cluster 3", [](Sector& s) { s[13] = 3; }, VolumeKind::FatUnknown},
        {"no reserved sectors", [](Sector& s) { testing::put16(s.data() + 14, 0); }, VolumeKind::FatUnknown},
        {"no FATs", [](Sector& s) { s[16] = 0; }, VolumeKind::FatUnknown},
        {"FATs larger than the volume", [](Sector& s) { testing::put32(s.data() + 36, 50000); }, VolumeKind::FatUnknown},
        {"no 0x55AA", [](Sector& s) { s[510] = 0; }, VolumeKind::None},
        {"no jump", [](Sector& s) { s[0] = 0x00; }, VolumeKind::None},
    };
    for (const Corruption& c : corruptions) {
        Sector s = good;
        c.apply(s);
        EXPECT_EQ(classifyBootSector(s, true).kind, c.kind) << c.what;
    }
    // A larger logical sector size counts in 512-byte sectors.
    Sector big = good;
    testing::put16(big.data() + 11, 4096);
    EXPECT_EQ(classifyBootSector(big, true).sizeSectors, 81920u * 8);
}

TEST(ClassifyBootSector, NtfsNeedsItsOemTextOnlyInTheDiskSearch) {
    Sector s = testing::ntfsBootSector(209715200);
    EXPECT_EQ(classifyBootSector(s, true).kind, VolumeKind::Ntfs);
    EXPECT_EQ(classifyBootSector(s, true).sizeSectors, 209715200u);
    std::memcpy(s.data() + 3, "XXXX", 4);
    EXPECT_NE(classifyBootSector(s, true).kind, VolumeKind::Ntfs);
    EXPECT_EQ(classifyBootSector(s, false).kind, VolumeKind::Ntfs);
    testing::put16(s.data() + 11, 4096);
    EXPECT_NE(classifyBootSector(s, false).kind, VolumeKind::Ntfs);
}

TEST(ClassifyBootSector, ExfatLengthCountsInItsOwnSectorSize) {
    EXPECT_EQ(classifyBootSector(testing::exfatBootSector(65536), true).sizeSectors, 65536u);
    VolumeMatch m = classifyBootSector(testing::exfatBootSector(65536, 12), true);
    EXPECT_EQ(m.kind, VolumeKind::ExFat);
    EXPECT_EQ(m.sizeSectors, 65536u * 8);
}

TEST(ClassifyHeaders, ExtSuperblockIsCheckedBeyondItsMagic) {
    VolumeMatch m = classifyExtSuperblock(testing::extSuperblock(2048, 2));  // 8 MiB
    EXPECT_EQ(m.kind, VolumeKind::Ext);
    EXPECT_EQ(m.sizeSectors, 16384u);

    Sector backup = testing::extSuperblock(2048);
    testing::put16(backup.data() + 90, 1);  // a backup copy in group 1 is no volume start
    EXPECT_EQ(classifyExtSuperblock(backup).kind, VolumeKind::None);
    Sector magicOnly{};
    testing::put16(magicOnly.data() + 56, 0xEF53);
    EXPECT_EQ(classifyExtSuperblock(magicOnly).kind, VolumeKind::None);

    Sector big = testing::extSuperblock(0x1000, 2);
    testing::put32(big.data() + 96, 0x80);     // 64-bit block numbers
    testing::put32(big.data() + 0x150, 1);     // high half of the block count
    EXPECT_EQ(classifyExtSuperblock(big).sizeSectors, ((1ULL << 32) + 0x1000) * 8);
}

TEST(ClassifyHeaders, HfsPlusSizeIsBlockSizeTimesBlocks) {
    VolumeMatch m = classifyHfsPlusHeader(testing::hfsPlusHeader(4096, 25600));
    EXPECT_EQ(m.kind, VolumeKind::HfsPlus);
    EXPECT_EQ(m.sizeSectors, 25600u * 8);
    EXPECT_EQ(classifyHfsPlusHeader(testing::hfsPlusHeader(3000, 25600)).kind, VolumeKind::None);
}

}  // namespace
}  // namespace lazarine
