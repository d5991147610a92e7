// Partition discovery over disk images made with the real partitioning and mkfs tools
// (scripts/make-fixtures); every expected value comes from tests/fixtures/manifest.json.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "disk/partition.h"
#include "disk/reader.h"
#include "scan/job_control.h"
#include "support/fixture.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::fixtureImage;
using testing::fixtureTempDir;
using testing::manifestImage;
using testing::runCommand;
using testing::shellQuote;

// What a row should hold, with the table or boot sector it came from in `why`.
struct ExpectedRow {
    std::string fileSystem;
    std::string sizeText;
    int64_t startSector;
    uint64_t sectorCount;
    std::string why;
};

std::string megabytes(uint64_t sectors) { return std::to_string(sectors >> 11); }

// MBR rows: sizes from the table entries; primaries print "%lld   MB", logical volumes
// "%d   MB" (the same text for these sizes). The manifest lists primaries in slot order,
// then the logical volumes in chain order, which is the order the rows must come in.
std::vector<ExpectedRow> expectedMbrRows(const json& image) {
    std::vector<ExpectedRow> rows;
    for (const json& p : image.at("partitions")) {
        auto count = p.at("sectorCount").get<uint64_t>();
        rows.push_back({p.at("fileSystem"), megabytes(count) + "   MB", p.at("startSector"), count,
                        p.at("kind").get<std::string>() + " slot " +
                            std::to_string(p.at("slot").get<int>())});
    }
    return rows;
}

// GUID-table rows: NTFS and FAT sizes come from the boot sector ("%d   MB" and
// "%lld  MB"), other volumes from the entry ((last - first) / 2048, a bare number). The
// reserved partition has no row.
std::vector<ExpectedRow> expectedGptRows(const json& image) {
    std::vector<ExpectedRow> rows;
    for (const json& p : image.at("partitions")) {
        if (p.at("fileSystem").is_null()) continue;
        std::string fileSystem = p.at("fileSystem");
        auto start = p.at("startSector").get<int64_t>();
        auto entrySectors = p.at("sectorCount").get<uint64_t>();
        std::string why = "entry " + std::to_string(p.at("slot").get<int>());
        if (fileSystem == "extX") {
            rows.push_back({fileSystem, std::to_string((entrySectors - 1) / 2048), start,
                            entrySectors, why});
            continue;
        }
        auto volume = p.at("volumeSectors").get<uint64_t>();
        std::string unit = fileSystem == "NTFS" ? "   MB" : "  MB";
        rows.push_back({fileSystem, megabytes(volume) + unit, start, volume, why});
    }
    return rows;
}

// Whole-disk search rows: sizes from each volume's own header, in disk order.
std::vector<ExpectedRow> expectedSearchRows(const json& image) {
    std::vector<ExpectedRow> rows;
    for (const json& p : image.at("partitions")) {
        std::string fileSystem = p.at("fileSystem");
        auto volume = p.at("volumeSectors").get<uint64_t>();
        std::string unit = fileSystem == "NTFS" ? "   MB" : "  MB";
        rows.push_back({fileSystem, megabytes(volume) + unit, p.at("startSector"), volume,
                        "volume at " + std::to_string(p.at("startSector").get<int64_t>())});
    }
    return rows;
}

void expectRows(const std::vector<VolumeRow>& rows, const std::vector<ExpectedRow>& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + " (" + expected[i].why + ")");
        EXPECT_EQ(rows[i].fileSystem, expected[i].fileSystem);
        EXPECT_EQ(rows[i].sizeText, expected[i].sizeText);
        EXPECT_EQ(rows[i].startSector, expected[i].startSector);
        EXPECT_EQ(rows[i].sectorCount, expected[i].sectorCount);
        EXPECT_EQ(rows[i].volumeText, std::to_string(i));
    }
}

// The rows of `lazarine-cli partitions --json`, compared the same way.
void expectJsonRows(const json& rows, const std::vector<ExpectedRow>& expected) {
    ASSERT_TRUE(rows.is_array()) << rows.dump();
    ASSERT_EQ(rows.size(), expected.size()) << rows.dump(2);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + " (" + expected[i].why + ")");
        EXPECT_EQ(rows[i].at("volume"), std::to_string(i));
        EXPECT_EQ(rows[i].at("fileSystem"), expected[i].fileSystem);
        EXPECT_EQ(rows[i].at("sizeText"), expected[i].sizeText);
        EXPECT_EQ(rows[i].at("startSector").get<int64_t>(), expected[i].startSector);
        EXPECT_EQ(rows[i].at("sectorCount").get<uint64_t>(), expected[i].sectorCount);
    }
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

class FixtureDisk : public ::testing::Test {
protected:
    void open(const std::string& image) {
        path_ = fixtureImage(image).string();
        ASSERT_TRUE(reader_.Open(path_)) << path_ << ": " << reader_.lastErrorText();
    }

    testing::RecordingReporter reporter_;
    JobControl control_;
    Partition partition_{reporter_, control_};
    FileReadSeek reader_;
    std::string path_;
};

// ---------------------------------------------------------------------------------------
// Partition tables

TEST_F(FixtureDisk, MbrListsPrimariesAroundAnEmptySlotThenTheWholeLogicalChain) {
    ASSERT_NO_FATAL_FAILURE(open("mbr-disk.img"));
    ASSERT_EQ(partition_.ReadPartitionTable(reader_), 0u) << reader_.lastErrorText();

    // Slot 3 is empty and slot 4 lies behind the extended partition; three boot records
    // chain the logical volumes.
    std::vector<std::string> names;
    for (const VolumeRow& row : partition_.rows) names.push_back(row.fileSystem);
    EXPECT_EQ(names, (std::vector<std::string>{"FAT16", "FAT32", "NTFS", "extX", "FAT12"}));
    expectRows(partition_.rows, expectedMbrRows(manifestImage("mbr-disk.img")));
    EXPECT_EQ(reader_.baseOffset, 0);
}

TEST_F(FixtureDisk, ProtectiveMbrLeadsToTheGuidTableWhicheverTableIsAskedFor) {
    ASSERT_NO_FATAL_FAILURE(open("gpt-disk.img"));
    const std::vector<ExpectedRow> expected = expectedGptRows(manifestImage("gpt-disk.img"));
    for (bool useGpt : {false, true}) {
        SCOPED_TRACE(useGpt ? "useGpt" : "MBR first");
        testing::RecordingReporter reporter;
        Partition partition(reporter, control_);
        partition.useGpt = useGpt;
        ASSERT_EQ(partition.ReadPartitionTable(reader_), 0u) << reader_.lastErrorText();
        expectRows(partition.rows, expected);
    }
}

TEST_F(FixtureDisk, ZeroedTablesGiveNoRows) {
    ASSERT_NO_FATAL_FAILURE(open("zeroed-disk.img"));
    EXPECT_EQ(partition_.ReadPartitionTable(reader_), 0u);
    EXPECT_TRUE(partition_.rows.empty());
}

// ---------------------------------------------------------------------------------------
// Whole-disk search

TEST_F(FixtureDisk, SearchFindsEveryVolumeOfTheZeroedDiskInDiskOrder) {
    ASSERT_NO_FATAL_FAILURE(open("zeroed-disk.img"));
    std::vector<int64_t> announced;
    partition_.onRowFound = [&](const VolumeRow& row) { announced.push_back(row.startSector); };
    partition_.skipFoundVolumes = true;

    ASSERT_EQ(partition_.ScanDiskForVolumes(reader_), 1u) << reader_.lastErrorText();

    expectRows(partition_.rows, expectedSearchRows(manifestImage("zeroed-disk.img")));
    std::vector<int64_t> starts;
    for (const VolumeRow& row : partition_.rows) starts.push_back(row.startSector);
    EXPECT_EQ(announced, starts);
    ASSERT_FALSE(reporter_.positions.empty());
    EXPECT_EQ(reporter_.positions.back(), 1000u);
}

// ---------------------------------------------------------------------------------------
// lazarine-cli partitions, end to end

struct CliCase {
    const char* name;
    const char* image;
    const char* options;
    std::vector<ExpectedRow> (*expected)(const json&);
};

void PrintTo(const CliCase& c, std::ostream* os) { *os << c.image << " " << c.options; }

class CliPartitions : public ::testing::TestWithParam<CliCase> {};

TEST_P(CliPartitions, JsonRowsMatchTheManifest) {
    const CliCase& c = GetParam();
    std::string image = fixtureImage(c.image).string();
    testing::CommandResult r = runCommand(shellQuote(LAZARINE_CLI_PATH) + " partitions " +
                                          shellQuote(image) + " --json " + c.options);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json rows = json::parse(r.out, nullptr, false);
    ASSERT_FALSE(rows.is_discarded()) << "stdout is not JSON:\n" << r.out;
    expectJsonRows(rows, c.expected(manifestImage(c.image)));
}

INSTANTIATE_TEST_SUITE_P(
    FixtureImages, CliPartitions,
    ::testing::Values(CliCase{"MbrTable", "mbr-disk.img", "", expectedMbrRows},
                      CliCase{"GptViaProtectiveMbr", "gpt-disk.img", "", expectedGptRows},
                      CliCase{"GptAskedFor", "gpt-disk.img", "--gpt", expectedGptRows},
                      CliCase{"SearchOfZeroedDisk", "zeroed-disk.img", "--search",
                              expectedSearchRows}),
    [](const ::testing::TestParamInfo<CliCase>& param) { return std::string(param.param.name); });

TEST(CliPartitionsErrors, ChainPointingPastTheEndExitsThreeAfterListingWhatWasRead) {
    const json& image = manifestImage("mbr-disk.img");
    const json& ebrs = image.at("extended").at("bootRecordSectors");
    ASSERT_GE(ebrs.size(), 2u);
    // Cut the disk where the second boot record would be: the first one still links to it.
    auto cut = ebrs.at(1).get<uint64_t>();
    fs::path truncated = fixtureTempDir() / "truncated-mbr-disk.img";
    fs::copy_file(fixtureImage("mbr-disk.img"), truncated, fs::copy_options::overwrite_existing);
    fs::resize_file(truncated, cut * 512);

    testing::CommandResult r = runCommand(shellQuote(LAZARINE_CLI_PATH) + " -q partitions " +
                                          shellQuote(truncated.string()) + " --json");
    EXPECT_EQ(r.exitCode, 3);
    std::vector<std::string> errLines = lines(r.err);
    ASSERT_EQ(errLines.size(), 1u) << r.err;
    EXPECT_NE(errLines[0].find("read error on " + truncated.string()), std::string::npos)
        << errLines[0];
    EXPECT_NE(errLines[0].find("past the end"), std::string::npos) << errLines[0];

    // The rows found before the failed read are still printed: both primaries and the
    // logical volume of the first boot record.
    json rows = json::parse(r.out, nullptr, false);
    ASSERT_TRUE(rows.is_array()) << r.out;
    std::vector<ExpectedRow> expected = expectedMbrRows(image);
    expected.resize(3);
    expectJsonRows(rows, expected);
}

TEST(CliPartitionsErrors, MissingImageExitsTwoWithOneLine) {
    std::string missing = (fixtureTempDir() / "no-such-disk.img").string();
    testing::CommandResult r =
        runCommand(shellQuote(LAZARINE_CLI_PATH) + " partitions " + shellQuote(missing));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.empty()) << r.out;
    std::vector<std::string> errLines = lines(r.err);
    ASSERT_EQ(errLines.size(), 1u) << r.err;
    EXPECT_NE(errLines[0].find("cannot open " + missing), std::string::npos) << errLines[0];
}

}  // namespace
}  // namespace lazarine
