// SaveEntry: the bytes of resident, non-resident, sparse, compressed and extension-record
// data, the real size cut, the messages and the restored times.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "fs/ntfs/ntfs.h"
#include "support/ntfs_builder.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::NtfsBuilder;
using testing::NtfsFileOptions;
using testing::RecordingReporter;

std::vector<uint8_t> pattern(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

std::vector<uint8_t> readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class NtfsSave : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("lazarine-ntfs-save-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void scan(NtfsBuilder& b) {
        reader_ = MemoryReader(b.build());
        parser_ = std::make_unique<ntfs>(reader_, VolumeRow{});
        JobControl control;
        parser_->scan(ScanRequest{}, reporter_, control);
        reporter_.messages.clear();
    }

    // Saves `id` and returns the file's bytes.
    std::vector<uint8_t> save(EntryId id, bool expectOk = true) {
        std::filesystem::path out = dir_ / ("out" + std::to_string(id));
        EXPECT_EQ(parser_->SaveEntry(id, out, reporter_), expectOk);
        return readFile(out);
    }

    std::filesystem::path dir_;
    MemoryReader reader_;
    std::unique_ptr<ntfs> parser_;
    RecordingReporter reporter_;
};

TEST_F(NtfsSave, ResidentDataAcrossTheSectorEnd) {
    for (uint32_t recordSize : {1024u, 4096u}) {
        NtfsBuilder::Options o;
        o.recordSize = recordSize;
        NtfsBuilder b(o);
        std::vector<uint8_t> data = pattern(recordSize == 1024 ? 700 : 3000, 1);
        uint64_t f = b.addFile("r", NtfsBuilder::kRoot, data);
        scan(b);
        EXPECT_EQ(parser_->recordSize(), recordSize);
        EXPECT_EQ(save(f), data) << recordSize;
    }
}

TEST_F(NtfsSave, NonResidentFragmentedAndSparse) {
    NtfsBuilder b;
    std::vector<uint8_t> plain = pattern(5000, 2);
    uint64_t cut = b.addFile("cut", NtfsBuilder::kRoot, plain, NtfsFileOptions().nonResident());
    std::vector<uint8_t> pieces = pattern(40000, 3);
    uint64_t frag = b.addFile("frag", NtfsBuilder::kRoot, pieces,
                              NtfsFileOptions().nonResident().withFragments(3));
    std::vector<uint8_t> holey = pattern(6 * 4096, 4);
    std::fill(holey.begin() + 2 * 4096, holey.begin() + 4 * 4096, 0);
    uint64_t sparse = b.addFile("sparse", NtfsBuilder::kRoot, holey,
                                NtfsFileOptions().nonResident().withHole(2, 2).withDataFlags(0x8000));
    scan(b);
    EXPECT_EQ(save(cut), plain) << "the second cluster is cut to 904 bytes";
    EXPECT_EQ(save(frag), pieces);
    EXPECT_EQ(save(sparse), holey);
}

TEST_F(NtfsSave, CompressedUnits) {
    NtfsBuilder b;
    const size_t unit = 16 * 4096;
    std::vector<uint8_t> data(3 * unit + 5000, 0);
    for (size_t i = 0; i < unit; ++i) data[i] = static_cast<uint8_t>("compressible text "[i % 18]);
    // Unit 1 stays all zeros (no clusters on disk); unit 2 does not compress (stored).
    std::vector<uint8_t> noise = pattern(unit, 5);
    std::copy(noise.begin(), noise.end(), data.begin() + 2 * unit);
    for (size_t i = 3 * unit; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i / 100);
    uint64_t f = b.addFile("c", NtfsBuilder::kRoot, data, NtfsFileOptions().compressed());
    // Compressed and sparse: still decoded.
    uint64_t g = b.addFile("cs", NtfsBuilder::kRoot, data,
                           NtfsFileOptions().compressed().withDataFlags(0x8000));
    scan(b);
    EXPECT_EQ(save(f), data);
    EXPECT_EQ(save(g), data);
    EXPECT_EQ(parser_->sizeBytes(f), data.size());
}

TEST_F(NtfsSave, ExtensionRecordsAndNamedStreams) {
    NtfsBuilder b;
    std::vector<uint8_t> big = pattern(30 * 4096 + 123, 6);
    uint64_t f = b.addFile("ext", NtfsBuilder::kRoot, big,
                           NtfsFileOptions().nonResident().withFragments(4).withExtensions(2));
    std::vector<uint8_t> packed(20 * 4096, 'z');
    uint64_t c = b.addFile("extc", NtfsBuilder::kRoot, packed,
                           NtfsFileOptions().compressed().withExtensions(2));
    std::vector<uint8_t> body{'r', 'e', 'a', 'l'};
    uint64_t z = b.addFile("zone", NtfsBuilder::kRoot, body,
                           NtfsFileOptions().withNamedStream("[ZoneTransfer]"));
    scan(b);
    EXPECT_EQ(save(f), big);
    EXPECT_EQ(parser_->sizeBytes(f), big.size());
    EXPECT_EQ(save(c), packed);
    EXPECT_EQ(save(z), body) << "a named stream is not the file's data";
    LoadedRecord base = parser_->LoadRecord(f);
    EXPECT_EQ(parser_->CollectExtensionRecords(base), (std::vector<uint64_t>{f + 1, f + 2}));
}

TEST_F(NtfsSave, FlagsAreDecidedPerRecord) {
    NtfsBuilder b;
    uint64_t dir = b.addDirectory("docs", NtfsBuilder::kRoot);
    uint64_t f = b.addFile("ext", NtfsBuilder::kRoot, pattern(9000, 7),
                           NtfsFileOptions().nonResident().withFragments(2).withExtensions(1));
    scan(b);
    save(f);
    // $Volume (record 3) has no $DATA: an empty file, not the previous file's data.
    EXPECT_TRUE(save(3).empty());
    EXPECT_TRUE(reporter_.messages.empty());
    EXPECT_TRUE(save(dir).empty());
    EXPECT_EQ(reporter_.messages,
              std::vector<std::string>{"This is  docs directory .Please specify file names "});
}

TEST_F(NtfsSave, ReplacesOutputRestoresTimesAndReportsFailures) {
    NtfsBuilder b;
    NtfsFileOptions o;
    o.modified = testing::filetime(1500000000) + 1234567;
    o.accessed = testing::filetime(1500000100);
    uint64_t f = b.addFile("t", NtfsBuilder::kRoot, {'n', 'e', 'w'}, o);
    scan(b);
    std::filesystem::path out = dir_ / "t";
    { std::ofstream(out) << "a much longer previous content"; }
    EXPECT_TRUE(parser_->SaveEntry(f, out, reporter_));
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);  // before reading it back moves the access time
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456700);
    EXPECT_EQ(st.st_atim.tv_sec, 1500000100);
    EXPECT_EQ(readFile(out), (std::vector<uint8_t>{'n', 'e', 'w'}));

    EXPECT_FALSE(parser_->SaveEntry(f, dir_ / "missing" / "t", reporter_));

    // The record was overwritten since the scan: not a record any more.
    reader_.bytes()[b.recordOffset(f)] = 'X';
    EXPECT_TRUE(save(f).empty());
    EXPECT_EQ(reporter_.messages, std::vector<std::string>{"not a valid entry..."});
    EXPECT_FALSE(parser_->SaveEntry(parser_->entryList().size(), dir_ / "x", reporter_));
}

}  // namespace
}  // namespace lazarine
