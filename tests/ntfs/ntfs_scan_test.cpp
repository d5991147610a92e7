// The scan job over built volumes: the three modes, their status texts and the records
// they find, and volumes whose boot sector or MFT is damaged.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "fs/ntfs/ntfs.h"
#include "support/ntfs_builder.h"
#include "support/recording_reporter.h"
#include "ntfs/scanned_volume.h"

namespace lazarine {
namespace {

using testing::NtfsBuilder;
using testing::RecordingReporter;

using Scanned = testing::ScannedVolume;

std::unique_ptr<Scanned> scanImage(std::vector<uint8_t> image, int mode = 1,
                                   VolumeRow volume = {}) {
    return testing::scanVolume(std::move(image), mode, std::move(volume));
}

std::vector<std::string> names(ntfs& p, const std::vector<EntryId>& ids) {
    return testing::entryNames(p, ids);
}

TEST(NtfsScan, StandardModeFindsTheTreeWithItsStatusTexts) {
    NtfsBuilder b;
    uint64_t docs = b.addDirectory("docs", NtfsBuilder::kRoot);
    b.addFile("a.txt", docs, {'h', 'i'});
    b.addFile("b.txt", NtfsBuilder::kRoot, {'x'}, testing::NtfsFileOptions().markDeleted());
    auto s = scanImage(b.build());
    ntfs& p = *s->parser;

    std::vector<std::string> top = names(p, p.rootEntries());
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top.front(), "$MFTMirr");  // record 0 is never linked
    EXPECT_EQ(top.back(), "ORPHAN_ENTRY");
    EXPECT_NE(std::find(top.begin(), top.end(), "docs"), top.end());
    EXPECT_EQ(names(p, p.children(docs)), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(p.isFolder(docs));
    EXPECT_TRUE(p.isDeleted(docs + 2));
    EXPECT_FALSE(p.isDeleted(docs + 1));

    const auto& st = s->reporter.statuses;
    ASSERT_GE(st.size(), 4u);
    EXPECT_EQ(st[0], " ParsingBasedOnMFT is going on....");
    EXPECT_EQ(st[1], "boot sector is fine.Getting run of mft entry...");
    EXPECT_EQ(st[2], "Got run...");
    EXPECT_EQ(st[3], "parsing 4 cluster of MFT run.");
    EXPECT_EQ(st[4], "parsing MFT entry 0...");
    EXPECT_EQ(st.back(), "parsing MFT entry " + std::to_string(p.entryList().size() - 2) + "...");
}

VolumeRow sizedRow(const std::vector<uint8_t>& image) {
    VolumeRow row;
    row.fileSystem = "NTFS";
    row.sizeText = std::to_string(image.size() >> 20);
    row.sectorCount = image.size() / 512;
    return row;
}

NtfsBuilder sampleVolume(NtfsBuilder::Options o = {}) {
    NtfsBuilder b(o);
    uint64_t docs = b.addDirectory("docs", NtfsBuilder::kRoot);
    b.addFile("a.txt", docs, {'a'});
    b.addFile("b.txt", docs, {'b'}, testing::NtfsFileOptions().markDeleted());
    return b;
}

TEST(NtfsScan, FragmentedMftWithSmallClustersKeepsRecordNumbers) {
    NtfsBuilder::Options o;
    o.clusterSize = 512;
    o.fragmentMft = true;
    o.spareRecords = 40;
    NtfsBuilder b = sampleVolume(o);
    uint64_t last = b.addFile("last", NtfsBuilder::kRoot, {'z'});
    auto s = scanImage(b.build());
    ntfs& p = *s->parser;
    EXPECT_EQ(p.mftRuns().size(), 2u);
    EXPECT_EQ(p.name(last), "last");
    EXPECT_EQ(p.name(7), "$Boot");
    EXPECT_EQ(p.entryList().size(), b.recordCount() + 1);
    EXPECT_EQ(names(p, p.children(16)), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(NtfsScan, DamagedBootSectorIsSearchedForTheMft) {
    NtfsBuilder b = sampleVolume();
    std::vector<uint8_t> image = b.build();
    std::fill(image.begin(), image.begin() + 512, 0);
    auto s = scanImage(image, 1, sizedRow(image));
    ntfs& p = *s->parser;
    const auto& st = s->reporter.statuses;
    ASSERT_GE(st.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(st.begin(), st.begin() + 5),
              (std::vector<std::string>{" ParsingBasedOnMFT is going on....",
                                        "boot sector corrupt.Scanning for first mft entry...",
                                        "found mft entry.getting its run ...", "got run ...",
                                        "parsing 4 cluster of MFT run."}));
    EXPECT_EQ(p.name(16), "docs");
    EXPECT_EQ(names(p, p.children(16)), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(NtfsScan, AdvancedModeUsesTheChosenCandidate) {
    NtfsBuilder b = sampleVolume();
    std::vector<uint8_t> image = b.build();
    auto standard = scanImage(image);
    auto s = scanImage(image, 2, sizedRow(image));
    ntfs& p = *s->parser;
    EXPECT_EQ(p.candidateTexts(), std::vector<std::string>{"MFT_ENTRY:0"});
    EXPECT_EQ(p.mftCandidates()[0].recordOffset, b.recordOffset(0));
    EXPECT_EQ(names(p, p.rootEntries()), names(*standard->parser, standard->parser->rootEntries()));
    const auto& st = s->reporter.statuses;
    EXPECT_NE(std::find(st.begin(), st.end(), "MFT ENTRY 8 Found.Parsing it ..."), st.end());

    // A choice beyond the list leaves nothing to show.
    auto none = std::make_unique<Scanned>();
    none->reader = MemoryReader(image);
    none->parser = std::make_unique<ntfs>(none->reader, sizedRow(image));
    JobControl control;
    ScanRequest request;
    request.recoveryMode = 2;
    request.candidate = 3;
    none->parser->scan(request, none->reporter, control);
    EXPECT_TRUE(none->parser->rootEntries().empty());
}

TEST(NtfsScan, DeepModeStatusTexts) {
    auto s = scanImage(sampleVolume().build(), 3);
    const auto& st = s->reporter.statuses;
    ASSERT_GE(st.size(), 2u);
    EXPECT_EQ(st[0], " scanning for mft entries in deep mode ....");
    EXPECT_EQ(st[1], "MFT ENTRY 1 Found.Parsing it ..");
    EXPECT_EQ(s->parser->rootEntries().size(), 1u);
}

// Records that lie about their sizes, in every mode: the scan ends, and the good records
// around them are still found.
TEST(NtfsScan, MalformedRecordsGiveNothingOrLittle) {
    using testing::makeRecord;
    using testing::residentAttribute;
    using testing::fileNameContent;
    std::vector<std::vector<uint8_t>> bad;
    bad.push_back([] { std::vector<uint8_t> r(1024, 0xFF); std::memcpy(r.data(), "FILE", 4); return r; }());
    bad.push_back([] { auto r = makeRecord(1024, 1, {}); r[0x14] = 0xFF; r[0x15] = 0x03; return r; }());
    bad.push_back([] {
        auto r = makeRecord(1024, 1, {residentAttribute(0x30, fileNameContent("x", 5, 1, 0))});
        testing::put32(r.data() + 0x3C, 0xFFFFFFFF);  // the attribute's length
        return r;
    }());
    bad.push_back([] {
        auto fn = fileNameContent("short", 5, 1, 0);
        fn[0x40] = 255;  // the name runs past the content
        return makeRecord(1024, 1, {residentAttribute(0x30, fn)});
    }());
    bad.push_back([] { auto r = makeRecord(1024, 1, {}); r[6] = 0xFF; r[7] = 0xFF; return r; }());
    bad.push_back([] {
        // A non-resident $DATA of 2^40 clusters and a real size of 2^60 bytes.
        return makeRecord(1024, 1,
                          {residentAttribute(0x30, fileNameContent("huge", 5, 1, 0)),
                           testing::nonResidentAttribute(0x80, {{-1, uint64_t{1} << 40}}, 0,
                                                         uint64_t{1} << 60, 4096)});
    }());
    NtfsBuilder b;
    for (auto& r : bad) b.addRawRecord(r);
    uint64_t good = b.addFile("good", NtfsBuilder::kRoot, {'g'});
    std::vector<uint8_t> image = b.build();
    for (int mode : {1, 2, 3}) {
        auto s = scanImage(image, mode, sizedRow(image));
        ntfs& p = *s->parser;
        if (mode != 3) {
            EXPECT_EQ(p.name(good), "good") << mode;
            EXPECT_EQ(p.name(16), "") << mode;
            EXPECT_TRUE(p.isValid(21));
            EXPECT_EQ(p.sizeBytes(21), uint64_t{1} << 60) << "as recorded";
            NullReporter r;
            std::filesystem::path out = std::filesystem::temp_directory_path() / "lazarine-ntfs-huge";
            EXPECT_TRUE(p.SaveEntry(21, out, r));
            EXPECT_LE(std::filesystem::file_size(out), image.size()) << "no bigger than the volume";
            std::filesystem::remove(out);
        }
        for (EntryId id = 0; id < p.entryList().size(); ++id) {
            p.columns(id);
            p.sizeText(id);
        }
    }
}

TEST(NtfsScan, BoundsFromTheBootSectorAreNotTrusted) {
    // An MFT beyond the device, and a volume size of 2^60 bytes in Deep mode.
    std::vector<uint8_t> image = sampleVolume().build();
    std::vector<uint8_t> far = image;
    testing::put64(far.data() + 0x30, uint64_t{1} << 50);
    auto s = scanImage(far);
    EXPECT_TRUE(s->parser->rootEntries().empty());

    std::vector<uint8_t> huge = image;
    testing::put64(huge.data() + 0x28, uint64_t{1} << 51);
    auto start = std::chrono::steady_clock::now();
    auto d = scanImage(huge, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(d->parser->rootEntries().size(), 1u);

    // The MFT's own run list claims 2^40 clusters: enumeration stops at the device's end.
    NtfsBuilder b = sampleVolume();
    std::vector<uint8_t> big = b.build();
    auto mft = testing::makeRecord(
        1024, 1,
        {testing::residentAttribute(0x30, testing::fileNameContent("$MFT", 5, 3, 6)),
         testing::nonResidentAttribute(0x80, {{4, uint64_t{1} << 40}}, 0, uint64_t{1} << 52, 4096)});
    std::copy(mft.begin(), mft.end(), big.begin() + static_cast<ptrdiff_t>(b.recordOffset(0)));
    auto m = scanImage(big);
    EXPECT_LE(m->parser->entryList().size(), big.size() / 1024 + 1);
    EXPECT_EQ(m->parser->name(16), "docs");
}

TEST(NtfsScan, StopBeforeTheStartLeavesNothing) {
    MemoryReader reader(sampleVolume().build());
    ntfs p(reader, VolumeRow{});
    RecordingReporter reporter;
    JobControl control;
    control.requestStop();
    EXPECT_TRUE(p.scan(ScanRequest{}, reporter, control));
    EXPECT_EQ(p.entryList().size(), 1u);  // ORPHAN_ENTRY only
}

// Counts the device reads and fails those that start inside [failFrom, failTo).
class CountingReader final : public MemoryReader {
public:
    using MemoryReader::MemoryReader;
    uint64_t reads = 0;
    uint64_t failFrom = 0, failTo = 0;

protected:
    size_t readRaw(uint64_t offset, void* buffer, size_t count) override {
        ++reads;
        if (offset >= failFrom && offset < failTo) return 0;
        return MemoryReader::readRaw(offset, buffer, count);
    }
};

TEST(NtfsScan, ReadsInLargeBlocks) {
    NtfsBuilder b;
    uint64_t dir = b.addDirectory("d", NtfsBuilder::kRoot);
    for (int i = 0; i < 3000; ++i) b.addFile("f" + std::to_string(i), dir, {'x'});
    std::vector<uint8_t> data(4 << 20, 'y');
    uint64_t large = b.addFile("large", dir, data, testing::NtfsFileOptions().nonResident());
    CountingReader reader(b.build());
    ntfs p(reader, VolumeRow{});
    NullReporter reporter;
    JobControl control;
    p.scan(ScanRequest{}, reporter, control);
    ASSERT_EQ(p.children(dir).size(), 3001u);
    EXPECT_LT(reader.reads, 20u) << "the MFT of 3000+ records is enumerated and parsed in bulk";

    reader.reads = 0;
    std::filesystem::path out = std::filesystem::temp_directory_path() / "lazarine-ntfs-large";
    EXPECT_TRUE(p.SaveEntry(large, out, reporter));
    EXPECT_EQ(std::filesystem::file_size(out), data.size());
    EXPECT_LT(reader.reads, 10u) << "1024 clusters are not read one by one";
    std::filesystem::remove(out);
}

TEST(NtfsScan, AnUnreadableChunkIsPassedOver) {
    NtfsBuilder::Options o;
    o.mftCluster = 3000;  // 12 MiB in: the second 10 MiB chunk
    NtfsBuilder b(o);
    b.addFile("beyond", NtfsBuilder::kRoot, {'b'});
    std::vector<uint8_t> image = b.build();
    std::fill(image.begin(), image.begin() + 512, 0);  // damaged boot sector: search
    for (int mode : {1, 3}) {
        CountingReader reader(image);
        reader.failFrom = 0;
        reader.failTo = 10u << 20;
        ntfs p(reader, sizedRow(image));
        NullReporter reporter;
        JobControl control;
        ScanRequest request;
        request.recoveryMode = mode;
        p.scan(request, reporter, control);
        bool found = false;
        for (const auto& r : p.entryList()) found |= r.name == "beyond";
        EXPECT_TRUE(found) << mode;
    }
}

}  // namespace
}  // namespace lazarine
