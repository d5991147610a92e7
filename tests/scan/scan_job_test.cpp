#include "scan/scan_job.h"

#include <gtest/gtest.h>

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
