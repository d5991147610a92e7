#include "disk/partition.h"

#include <gtest/gtest.h>

#include <map>

#include "support/recording_reporter.h"
#include "support/sector_builders.h"

namespace lazarine {
namespace {

using testing::DiskBuilder;
using testing::RecordingReporter;
using testing::Sector;

// A large disk of zeros with a few sectors set, without holding it in memory.
class SparseReader : public readWriteInterface {
public:
    explicit SparseReader(uint64_t sectors) : size_(sectors * 512) {}
    bool Open(std::string) override { return true; }
    uint64_t sizeBytes() const override { return size_; }
    void put(uint64_t sector, const Sector& s) { sectors_[sector] = s; }

protected:
    size_t readRaw(uint64_t offset, void* buffer, size_t count) override {
        if (offset >= size_) return 0;
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
        auto* out = static_cast<uint8_t*>(buffer);
        std::memset(out, 0, n);
        uint64_t first = offset / 512;
        for (auto it = sectors_.lower_bound(first); it != sectors_.end(); ++it) {
            uint64_t at = it->first * 512;
            if (at >= offset + n) break;
            std::memcpy(out + (at - offset), it->second.data(), std::min<uint64_t>(512, offset + n - at));
        }
        return n;
    }

private:
    uint64_t size_;
    std::map<uint64_t, Sector> sectors_;
};

struct Found {
    std::string fileSystem;
    std::string sizeText;
    int64_t start;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Found& f) {
    return os << "{" << f.fileSystem << ", '" << f.sizeText << "', " << f.start << "}";
}

std::vector<Found> found(const Partition& p) {
    std::vector<Found> out;
    for (const VolumeRow& r : p.rows) out.push_back({r.fileSystem, r.sizeText, r.startSector});
    return out;
}

struct Job {
    RecordingReporter reporter;
    JobControl control;
    Partition partition{reporter, control};
};

// --------------------------------------------------------------------------------------
// MBR and extended chain

TEST(ReadPartitionTable, ExaminesEveryPrimaryEntryAndEveryLogicalVolume) {
    // [empty, FAT32, extended, NTFS]: the empty slot and the extended entry hide nothing.
    DiskBuilder disk(400000);
    disk.entry(0, 1, 0x0C, 2048, 81920)
        .entry(0, 2, 0x05, 100000, 200000)
        .entry(0, 3, 0x07, 300000, 40960);
    // Three logical volumes: EBR at 100000 -> 150000 -> 200000, links relative to 100000.
    disk.entry(100000, 0, 0x83, 63, 20480).entry(100000, 1, 0x05, 50000, 30000);
    disk.entry(150000, 0, 0x07, 63, 24576).entry(150000, 1, 0x05, 100000, 30000);
    disk.entry(200000, 0, 0x06, 2048, 8192);
    disk.put(300000, testing::exfatBootSector(40960));  // type 0x07 that holds exFAT
    MemoryReader reader(disk.bytes());
    Job run;
    ASSERT_EQ(run.partition.ReadPartitionTable(reader), 0u);
    std::vector<Found> expected = {
        {"FAT32", "40   MB", 2048},
        {"FAT64", "20   MB", 300000},
        {"extX", "10   MB", 100063},
        {"NTFS", "12   MB", 150063},
        {"FAT16", "4   MB", 202048},
    };
    EXPECT_EQ(found(run.partition), expected);
    EXPECT_EQ(run.partition.rows[2].sectorCount, 20480u);
    EXPECT_EQ(run.reporter.statuses,
              (std::vector<std::string>{"found FAT 32...", "found FAT64...", "found extx...",
                                        "found NTFS...", "found FAT 16..."}));
    EXPECT_EQ(reader.baseOffset, 0);
}

TEST(ReadPartitionTable, PrimaryTypesNameTheirFileSystems) {
    struct Case {
        uint8_t type;
        const char* fileSystem;
        const char* status;  // empty: none shown
    } cases[] = {
        {0x01, "FAT12", ""},
        {0x04, "FAT16", "found FAT 16..."},
        {0x0E, "FAT16", "found FAT 16..."},
        {0x07, "NTFS", "found NTFS 1..."},
        {0x0B, "FAT32", "found FAT 32..."},
        {0x42, "NTFS", "NTFS..."},
        {0x83, "extX", "found ext2..."},
        {0x8E, "Unknown", "found UNKNOWN..."},
    };
    for (const Case& c : cases) {
        DiskBuilder disk(8);
        disk.entry(0, 0, c.type, 2048, 4096 + 100);
        MemoryReader reader(disk.bytes());
        Job run;
        ASSERT_EQ(run.partition.ReadPartitionTable(reader), 0u);
        ASSERT_EQ(run.partition.rows.size(), 1u);
        EXPECT_EQ(run.partition.rows[0].fileSystem, c.fileSystem) << int(c.type);
        EXPECT_EQ(run.partition.rows[0].sizeText, "2   MB");
        std::vector<std::string> status;
        if (*c.status) status.push_back(c.status);
        EXPECT_EQ(run.reporter.statuses, status) << int(c.type);
    }
}

TEST(ReadPartitionTable, EndsLoopingAndEndlessChains) {
    DiskBuilder disk(300);
    disk.entry(0, 0, 0x0F, 10, 200);
    disk.entry(10, 0, 0x83, 1, 50).entry(10, 1, 0x05, 0, 200);  // links back to itself
    MemoryReader loop(disk.bytes());
    Job run;
    EXPECT_EQ(run.partition.ReadPartitionTable(loop), 0u);
    EXPECT_EQ(run.partition.rows.size(), 1u);

    // A chain of 60 records stops after 50.
    DiskBuilder longChain(200);
    longChain.entry(0, 0, 0x05, 2, 190);
    for (uint32_t i = 0; i < 60; ++i) {
        longChain.entry(2 + i, 0, 0x83, 100, 1).entry(2 + i, 1, 0x05, i + 1, 1);
    }
    MemoryReader chain(longChain.bytes());
    Job run2;
    EXPECT_EQ(run2.partition.ReadPartitionTable(chain), 0u);
    EXPECT_EQ(run2.partition.rows.size(), 50u);
}

TEST(ReadPartitionTable, FailedReadsKeepEarlierRowsAndReportTheError) {
    DiskBuilder disk(16);
    disk.entry(0, 0, 0x0C, 2048, 4096).entry(0, 1, 0x05, 5000, 4096);  // chain past the end
    MemoryReader reader(disk.bytes());
    Job run;
    EXPECT_NE(run.partition.ReadPartitionTable(reader), 0u);
    EXPECT_EQ(run.partition.rows.size(), 1u);

    MemoryReader tiny(std::vector<uint8_t>(100));
    Job run2;
    EXPECT_NE(run2.partition.ReadPartitionTable(tiny), 0u);

    // Without the 0x55AA signature sector 0 holds no partition table.
    DiskBuilder unsigned_(16);
    unsigned_.entry(0, 0, 0x0C, 2, 4);
    unsigned_.at(510)[0] = 0;
    MemoryReader garbage(unsigned_.bytes());
    Job run3;
    EXPECT_EQ(run3.partition.ReadPartitionTable(garbage), 0u);
    EXPECT_TRUE(run3.partition.rows.empty());
}

// --------------------------------------------------------------------------------------
// GUID partition table

void gptEntry(DiskBuilder& disk, int index, const uint8_t firstTypeByte, uint64_t first,
              uint64_t last, const std::u16string& name) {
    uint8_t* e = disk.at(2 * 512 + 128 * index);
    e[0] = firstTypeByte;
    e[15] = 0x01;
    testing::put64(e + 32, first);
    testing::put64(e + 40, last);
    for (size_t i = 0; i < name.size() && i < 36; ++i) testing::put16(e + 56 + 2 * i, name[i]);
}

DiskBuilder gptDisk(uint64_t sectors) {
    DiskBuilder disk(sectors);
    disk.entry(0, 0, 0xEE, 1, static_cast<uint32_t>(sectors - 1));
    uint8_t* h = disk.at(512);
    std::memcpy(h, "EFI PART", 8);
    testing::put64(h + 72, 2);     // entry array LBA
    testing::put32(h + 80, 128);   // entries
    testing::put32(h + 84, 128);   // entry size
    return disk;
}

TEST(ReadGpt, ListsEntriesByBootSectorOrName) {
    DiskBuilder disk = gptDisk(120000);
    gptEntry(disk, 0, 0x16, 40, 2087, u"Microsoft reserved partition");
    gptEntry(disk, 1, 0xA2, 2088, 22567, u"Basic data partition");
    gptEntry(disk, 2, 0xA2, 22568, 104487, u"Basic data partition");
    // Entry 3 is unused; entry 4 behind it still counts.
    gptEntry(disk, 4, 0xAF, 104488, 110631, u"Linux filesystem");
    gptEntry(disk, 5, 0xAF, 110632, 114727, u"Apple HFS/HFS+");
    gptEntry(disk, 6, 0xAF, 114728, 118823, u"data \u00e9t\u00e9");
    disk.put(2088, testing::ntfsBootSector(20479));
    disk.put(22568, testing::fatBootSector(81920, 1, 630, true));
    disk.put(104490, testing::extSuperblock(3072, 1));
    disk.put(110634, testing::hfsPlusHeader(4096, 512));
    MemoryReader reader(disk.bytes());
    for (bool useGpt : {false, true}) {
        Job run;
        run.partition.useGpt = useGpt;
        ASSERT_EQ(run.partition.ReadPartitionTable(reader), 0u);
        std::vector<Found> expected = {
            {"NTFS", "9   MB", 2088},
            {"FAT32", "40  MB", 22568},
            {"extX", "2", 104488},
            {"HFS+", "1", 110632},
            {"data \u00e9t\u00e9", "1", 114728},
        };
        EXPECT_EQ(found(run.partition), expected) << useGpt;
        EXPECT_EQ(run.partition.rows[2].sectorCount, 6144u);
        EXPECT_EQ(run.reporter.statuses,
                  (std::vector<std::string>{"found NTFS 1...", "found FAT 32..."}));
    }
}

TEST(ReadGpt, DamagedPrimaryHeaderFallsBackToTheBackupThenToTheMbr) {
    DiskBuilder disk = gptDisk(50000);
    gptEntry(disk, 0, 0xA2, 2048, 43007, u"Basic data partition");
    disk.put(2048, testing::fatBootSector(40960, 1, 320, false));
    // Backup header in the last sector, pointing at the same entry array.
    std::memcpy(disk.at(49999 * 512), disk.at(512), 512);
    std::memset(disk.at(512), 0, 8);
    MemoryReader reader(disk.bytes());
    Job run;
    ASSERT_EQ(run.partition.ReadPartitionTable(reader), 0u);
    EXPECT_EQ(found(run.partition), (std::vector<Found>{{"FAT16", "20  MB", 2048}}));

    // With both headers gone only the protective entry remains.
    std::memset(reader.bytes().data() + 49999 * 512, 0, 8);
    Job run2;
    run2.partition.useGpt = true;
    ASSERT_EQ(run2.partition.ReadPartitionTable(reader), 0u);
    EXPECT_EQ(found(run2.partition), (std::vector<Found>{{"Unknown", "24   MB", 1}}));
}

TEST(ReadGpt, SurvivesHostileHeaderFields) {
    for (uint32_t entrySize : {0u, 7u, 100u, 1u << 30}) {
        DiskBuilder disk = gptDisk(64);
        testing::put32(disk.at(512 + 84), entrySize);
        testing::put32(disk.at(512 + 80), 0xFFFFFFFF);
        MemoryReader reader(disk.bytes());
        Job run;
        EXPECT_EQ(run.partition.ReadPartitionTable(reader), 0u) << entrySize;
    }
    DiskBuilder disk = gptDisk(64);
    testing::put32(disk.at(512 + 80), 0xFFFFFFFF);  // entry array runs past the end
    gptEntry(disk, 0, 0xA2, 1ULL << 62, (1ULL << 62) + 5, u"x");
    MemoryReader reader(disk.bytes());
    Job run;
    run.partition.ReadPartitionTable(reader);
    EXPECT_TRUE(run.partition.rows.empty());
}

// --------------------------------------------------------------------------------------
// Whole-disk search

TEST(ScanDiskForVolumes, FindsEveryKindAndSkipsTheirExtents) {
    SparseReader reader(70000);
    reader.put(100, testing::fatBootSector(4096, 4, 4, false));   // FAT12, ends at 4196
    reader.put(4196, testing::fatBootSector(16384, 1, 64, false));  // FAT16 right behind it
    reader.put(4196 + 6, testing::fatBootSector(16384, 1, 64, false));  // inside: skipped
    reader.put(20582, testing::exfatBootSector(4096));
    reader.put(24680, testing::ntfsBootSector(4095));
    reader.put(24680 + 4095, testing::ntfsBootSector(4095));       // backup boot sector
    reader.put(28776 + 2, testing::extSuperblock(1024, 1));        // ext at 28776, 2 MiB
    reader.put(32872 + 2, testing::hfsPlusHeader(4096, 1024));     // HFS+ at 32872, 4 MiB
    reader.put(32872 + 2 + 16, testing::hfsPlusHeader(4096, 1024)); // inside: skipped
    reader.put(41064 + 2, testing::hfsPlusHeader(65536, 0x80000000)); // 128 TiB: ignored
    reader.put(69998, testing::fatBootSector(2048, 1, 8, false));  // in the last partial chunk
    Job run;
    std::vector<std::string> listed;
    run.partition.onRowFound = [&](const VolumeRow& r) { listed.push_back(r.fileSystem); };
    ASSERT_EQ(run.partition.ScanDiskForVolumes(reader), 1u);
    std::vector<Found> expected = {
        {"FAT12", "2  MB", 100},      {"FAT16", "8  MB", 4196},   {"FAT64", "2  MB", 20582},
        {"NTFS", "1   MB", 24680},    {"extX", "2  MB", 28776},   {"HFS+", "4  MB", 32872},
        {"FAT12", "1  MB", 69998},
    };
    EXPECT_EQ(found(run.partition), expected);
    EXPECT_EQ(listed.size(), expected.size());
    EXPECT_EQ(run.reporter.statuses.front(), "Scanning partition.....");
    EXPECT_EQ(run.reporter.events[1], "range: 0-1000");
    EXPECT_EQ(run.reporter.positions.back(), 1000u);
}

TEST(ScanDiskForVolumes, WithoutSkippingFindsCopiesInsideVolumes) {
    SparseReader reader(8192);
    reader.put(100, testing::ntfsBootSector(4095));
    reader.put(100 + 4095, testing::ntfsBootSector(4095));
    Job run;
    run.partition.skipFoundVolumes = false;
    ASSERT_EQ(run.partition.ScanDiskForVolumes(reader), 1u);
    EXPECT_EQ(run.partition.rows.size(), 2u);
    EXPECT_EQ(run.reporter.statuses.back(), "found NTFS 2...");
}

TEST(ScanDiskForVolumes, SkipContinuesBehindTheNtfsBackupBootSector) {
    // NTFS at 2048 stating 209,715,200 sectors: the next sector examined is 209,717,249.
    const uint64_t behind = 2048 + 209715200 + 1;
    SparseReader reader(behind + 4096);
    reader.put(2048, testing::ntfsBootSector(209715200));
    reader.put(behind - 1, testing::ntfsBootSector(209715200));  // backup: not a volume
    reader.put(behind, testing::fatBootSector(2048, 1, 8, false));
    Job run;
    ASSERT_EQ(run.partition.ScanDiskForVolumes(reader), 1u);
    EXPECT_EQ(found(run.partition),
              (std::vector<Found>{{"NTFS", "102400   MB", 2048},
                                  {"FAT12", "1  MB", static_cast<int64_t>(behind)}}));
}

TEST(ScanDiskForVolumes, HonoursBoundsAndStop) {
    SparseReader reader(20000);
    reader.put(100, testing::fatBootSector(2048, 1, 8, false));
    reader.put(9000, testing::fatBootSector(2048, 1, 8, false));
    reader.put(16000, testing::fatBootSector(2048, 1, 8, false));
    Job run;
    run.partition.scanStartSector = 1000;
    run.partition.scanEndSector = 9500;
    ASSERT_EQ(run.partition.ScanDiskForVolumes(reader), 1u);
    // The chunk holding the end is examined whole: 9000 is found, 16000 is not.
    EXPECT_EQ(found(run.partition), (std::vector<Found>{{"FAT12", "1  MB", 9000}}));

    Job stopped;
    stopped.control.requestStop();
    ASSERT_EQ(stopped.partition.ScanDiskForVolumes(reader), 1u);
    EXPECT_TRUE(stopped.partition.rows.empty());
    EXPECT_EQ(stopped.reporter.statuses.back(), "Scanned Partitions");
}

TEST(ScanDiskForVolumes, StopsAtTheFirstFoundVolumeWhenAskedFromItsCallback) {
    SparseReader reader(20000);
    reader.put(100, testing::fatBootSector(2048, 1, 8, false));
    reader.put(9000, testing::fatBootSector(2048, 1, 8, false));
    Job run;
    run.partition.onRowFound = [&](const VolumeRow&) { run.control.requestStop(); };
    ASSERT_EQ(run.partition.ScanDiskForVolumes(reader), 1u);
    EXPECT_EQ(run.partition.rows.size(), 1u);
    EXPECT_EQ(run.reporter.statuses.back(), "Scanned Partitions");
}

}  // namespace
}  // namespace lazarine
