#include "scan/scan_job.h"

#include <gtest/gtest.h>

#include "support/fake_parser.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::RecordingReporter;

TEST(Dispatch, MatchesFileSystemNamesWithoutCase) {
    struct Case {
        const char* name;
        ParserKind kind;
    };
    const Case cases[] = {
        {"NTFS", ParserKind::Ntfs},    {"ntfs", ParserKind::Ntfs},     {"FAT32", ParserKind::Fat32},
        {"FAT16", ParserKind::Fat16},  {"FAT", ParserKind::Fat16},     {"extX", ParserKind::Ext},
        {"EXTX", ParserKind::Ext},     {"exFAT", ParserKind::ExFat},   {"FAT64", ParserKind::ExFat},
        {"HFS+", ParserKind::HfsPlus}, {"FAT12", ParserKind::None},    {"ext4", ParserKind::None},
        {"", ParserKind::None},        {"NTFS ", ParserKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(dispatchFileSystem(c.name), c.kind) << c.name;
}

TEST(ScanJob, RefusesUnknownFileSystemsAndAMissingReader) {
    MemoryReader reader(std::vector<uint8_t>(4096, 0));
    RecordingReporter unknown;
    ScanJob fat12(&reader, ScanSelection{VolumeRow{"FAT12", "", "0", "1", 0, 0}, 1}, {});
    EXPECT_FALSE(fat12.prepare(unknown));
    EXPECT_EQ(unknown.messages, std::vector<std::string>{"not a valid drive."});
    EXPECT_EQ(unknown.statuses, std::vector<std::string>{"Not a valid Drive .Go back"});

    RecordingReporter noReader;
    ScanJob ntfs(nullptr, ScanSelection{VolumeRow{"NTFS", "", "0", "1", 0, 0}, 1}, {});
    EXPECT_FALSE(ntfs.prepare(noReader));
    EXPECT_EQ(noReader.statuses, std::vector<std::string>{"ntfs partition selected...."});
    EXPECT_EQ(noReader.messages, std::vector<std::string>{
                                     "Please Restart the program to re begin necessary "
                                     "initialization..."});
}

}  // namespace
}  // namespace lazarine

namespace lazarine {
namespace {

TEST(ScanJob, EndsWithTheTopLevelThenRecycledNamesThenTheCompletionText) {
    MemoryReader reader(std::vector<uint8_t>(4096, 0));
    auto parser = std::make_unique<testing::FakeParser>();
    EntryId bin = parser->folder(kRootEntry, "$RECYCLE.BIN");
    EntryId user = parser->folder(bin, "S-1");
    std::string info = std::string("\x01\0\0\0\0\0\0\0", 8) + std::string(16, '\0');
    for (char c : std::string("C:\\a.txt")) info += std::string{c, '\0'};
    info.resize(544, '\0');
    parser->file(user, "$I1.txt", info);
    EntryId data = parser->file(user, "$R1.txt", "data");
    testing::FakeParser* fake = parser.get();

    ScanJob job(&reader, ScanSelection{VolumeRow{"NTFS", "", "0", "1", 8, 0}, 1}, {});
    job.adoptParser(std::move(parser));
    testing::RecordingReporter reporter;
    ASSERT_TRUE(job.prepare(reporter));
    std::string nameAtTopLevel;
    JobControl control;
    ASSERT_TRUE(job.run(reporter, control, [&](FileSystemParser& p) {
        nameAtTopLevel = p.name(data);
        reporter.setStatus("top level built");
    }));
    EXPECT_EQ(reader.baseOffset, 8 * 512);
    EXPECT_EQ(nameAtTopLevel, "$R1.txt");
    EXPECT_EQ(fake->name(data), "a.txt");
    std::vector<std::string> tail(reporter.events.end() - 3, reporter.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "status: top level built",
                        "message: Scanning processing done.Select save button to save the data.",
                        "status: Scanning processing done.Select save button to save the data."}));
}

}  // namespace
}  // namespace lazarine
