// The folder tree rebuilt from parent references, ORPHAN_ENTRY, names, and the list
// columns of a record.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "fs/ntfs/ntfs.h"
#include "support/ntfs_builder.h"
#include "support/recording_reporter.h"
#include "ntfs/scanned_volume.h"

namespace lazarine {
namespace {

using testing::NtfsBuilder;
using testing::NtfsFileOptions;

using Volume = testing::ScannedVolume;

std::unique_ptr<Volume> scanned(NtfsBuilder& b, int mode = 1) {
    return testing::scanVolume(b.build(), mode);
}

std::vector<std::string> names(ntfs& p, const std::vector<EntryId>& ids) {
    return testing::entryNames(p, ids);
}

TEST(NtfsTree, ChildrenKeepRecordOrderAlsoBeforeTheirParent) {
    NtfsBuilder b;
    // Records 16..: a file whose directory comes later in the MFT, then the directory,
    // then two more files of it.
    b.addFile("early", 17, {'1'});
    uint64_t dir = b.addDirectory("dir", NtfsBuilder::kRoot);
    b.addFile("late1", dir, {'2'});
    b.addFile("late2", dir, {'3'});
    auto v = scanned(b);
    EXPECT_EQ(names(*v->parser, v->parser->children(dir)),
              (std::vector<std::string>{"early", "late1", "late2"}));
    EXPECT_TRUE(v->parser->hasChildren(dir));
    EXPECT_FALSE(v->parser->hasChildren(dir + 1));
}

TEST(NtfsTree, OrphansAreListedNewestFirstAndLast) {
    NtfsBuilder b;
    uint64_t file = b.addFile("plain", NtfsBuilder::kRoot, {'p'});
    b.addFile("parent is a file", file, {'a'}, NtfsFileOptions().markDeleted());
    b.addFile("parent beyond the MFT", 90000, {'b'});
    b.addFile("own parent", 19, {'c'});
    b.addFile("fine", NtfsBuilder::kRoot, {'d'});
    auto v = scanned(b);
    ntfs& p = *v->parser;

    std::vector<EntryId> top = p.rootEntries();
    ASSERT_FALSE(top.empty());
    EntryId orphan = top.back();
    EXPECT_EQ(p.name(orphan), "ORPHAN_ENTRY");
    EXPECT_EQ(orphan, static_cast<EntryId>(p.orphanIndex()));
    EXPECT_TRUE(p.isFolder(orphan));
    EXPECT_FALSE(p.isDeleted(orphan));
    EXPECT_EQ(names(p, p.children(orphan)),
              (std::vector<std::string>{"own parent", "parent beyond the MFT", "parent is a file"}));
    EXPECT_EQ(names(p, top).end()[-2], "fine");
    EXPECT_TRUE(p.columns(orphan).created.empty());
    EXPECT_EQ(p.sizeText(orphan), "0 Bytes");
}

TEST(NtfsTree, NoRootShowsNothing) {
    NtfsBuilder b;
    b.addFile("a", NtfsBuilder::kRoot, {'a'});
    std::vector<uint8_t> image = b.build();
    // Rename "." to "x" in record 5.
    auto v = std::make_unique<Volume>();
    uint64_t at = b.recordOffset(5);
    for (size_t i = at; i + 2 < at + 1024; ++i)
        if (image[i] == '.' && image[i + 1] == 0 && image[i - 2] == 1) image[i] = 'x';
    v->reader = MemoryReader(image);
    v->parser = std::make_unique<ntfs>(v->reader, VolumeRow{});
    NullReporter r;
    JobControl c;
    v->parser->scan(ScanRequest{}, r, c);
    EXPECT_TRUE(v->parser->rootEntries().empty());
}

TEST(NtfsTree, NamesPreferTheLongNameAndKeepTheFirstParent) {
    NtfsBuilder b;
    uint64_t dir = b.addDirectory("dir", NtfsBuilder::kRoot);
    uint64_t longFirst = b.addFile("Long File Name.txt", dir, {'1'},
                                   NtfsFileOptions().withDosName("LONGFI~1.TXT"));
    uint64_t dosFirst = b.addFile("Another Long.txt", dir, {'2'},
                                  NtfsFileOptions().withDosName("ANOTHE~1.TXT", true));
    uint64_t wide = b.addFile("\xF0\x9F\x93\x81 \xC3\xA9t\xC3\xA9.txt", dir, {'3'});
    std::string longest(255, 'n');
    uint64_t maxLength = b.addFile(longest, dir, {'4'});
    auto v = scanned(b);
    ntfs& p = *v->parser;
    EXPECT_EQ(p.name(longFirst), "Long File Name.txt");
    EXPECT_EQ(p.name(dosFirst), "Another Long.txt");
    EXPECT_EQ(p.name(wide), "\xF0\x9F\x93\x81 \xC3\xA9t\xC3\xA9.txt");
    EXPECT_EQ(p.name(maxLength), longest);
    EXPECT_EQ(p.children(dir).size(), 4u);
    p.rename(wide, "renamed");
    EXPECT_EQ(p.name(wide), "renamed");
}

TEST(NtfsTree, TheParentComesFromTheFirstFileName) {
    using testing::fileNameContent;
    using testing::residentAttribute;
    NtfsBuilder b;
    uint64_t first = b.addDirectory("first", NtfsBuilder::kRoot);
    uint64_t second = b.addDirectory("second", NtfsBuilder::kRoot);
    uint64_t f = b.addRawRecord(testing::makeRecord(
        1024, 1,
        {residentAttribute(0x30, fileNameContent("SHORT~1", first, 2, 0)),
         residentAttribute(0x30, fileNameContent("Short name kept long", second, 1, 0))}));
    auto v = scanned(b);
    ntfs& p = *v->parser;
    EXPECT_EQ(names(p, p.children(first)), std::vector<std::string>{"Short name kept long"});
    EXPECT_TRUE(p.children(second).empty());
    EXPECT_EQ(p.entryList()[f].parentIndex, first);
}

TEST(NtfsTree, AFolderOfManyFilesKeepsRecordOrder) {
    NtfsBuilder::Options o;
    o.spareRecords = 0;
    NtfsBuilder b(o);
    uint64_t dir = b.addDirectory("many", NtfsBuilder::kRoot);
    const uint64_t count = 20000;
    for (uint64_t i = 0; i < count; ++i) b.addFile(std::to_string(i), dir, {'x'});
    auto v = scanned(b);
    std::vector<EntryId> kids = v->parser->children(dir);
    ASSERT_EQ(kids.size(), count);
    for (uint64_t i = 0; i < count; ++i) ASSERT_EQ(kids[i], dir + 1 + i);
}

TEST(NtfsTree, DeepModeGroupsFilesUnderTheDirectoryBeforeThem) {
    NtfsBuilder b;
    uint64_t a = b.addDirectory("A", NtfsBuilder::kRoot);
    b.addFile("file 1", a, {'1'});
    b.addFile("file 2", a, {'2'});
    uint64_t bdir = b.addDirectory("B", NtfsBuilder::kRoot);
    b.addFile("file 3", bdir, {'3'});
    auto v = scanned(b, 3);
    ntfs& p = *v->parser;
    std::vector<EntryId> top = p.rootEntries();
    ASSERT_EQ(names(p, top), std::vector<std::string>{"ORPHAN_ENTRY"});
    std::vector<EntryId> dirs = p.children(top[0]);
    std::vector<std::string> dirNames = names(p, dirs);
    // Directories newest first; the system files found before the first directory
    // ($Extend) follow them instead of being lost.
    ASSERT_GE(dirNames.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(dirNames.begin(), dirNames.begin() + 3),
              (std::vector<std::string>{"B", "A", "$Extend"}));
    EXPECT_EQ(dirNames[3], "$UpCase");
    EXPECT_EQ(dirNames.back(), "$MFT") << "the first record found is kept too";
    EXPECT_EQ(names(p, p.children(dirs[1])), (std::vector<std::string>{"file 2", "file 1"}));
    EXPECT_EQ(names(p, p.children(dirs[0])), std::vector<std::string>{"file 3"});
}

TEST(NtfsTree, HooksAndFolderTests) {
    NtfsBuilder b;
    auto v = scanned(b);
    ntfs& p = *v->parser;
    EXPECT_FALSE(p.descendInto(5));
    EXPECT_TRUE(p.descendInto(11));
    EXPECT_TRUE(p.skipSave(8));
    EXPECT_FALSE(p.isFolder(0));
    EXPECT_TRUE(p.isFolder(11));
    EXPECT_FALSE(p.isValid(p.entryList().size()));
    EXPECT_TRUE(p.children(p.entryList().size() + 5).empty());
}

class NtfsColumns : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        if (tz) saved_ = tz;
        had_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (had_) setenv("TZ", saved_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::string saved_;
    bool had_ = false;
};

TEST_F(NtfsColumns, TimesAttributesAndSizes) {
    NtfsBuilder b;
    NtfsFileOptions o;
    o.created = testing::filetime(1700000000 - 1700000000 % 86400 + 20 * 3600 + 5 * 60);  // 20:05
    o.accessed = testing::filetime(1700000000 - 1700000000 % 86400 + 12 * 3600 + 30 * 60);  // 12:30
    o.modified = testing::filetime(1700000000 - 1700000000 % 86400 + 10 * 60);  // 00:10
    o.fileAttributes = 0x21;
    uint64_t small = b.addFile("small", NtfsBuilder::kRoot, std::vector<uint8_t>(300, 'x'), o);
    uint64_t big = b.addFile("big", NtfsBuilder::kRoot, std::vector<uint8_t>(1572864, 0),
                             NtfsFileOptions().nonResident().withHole(0, 384));
    auto v = scanned(b);
    ntfs& p = *v->parser;
    EntryColumns c = p.columns(small);
    EXPECT_EQ(c.created, "11/14/2023  08:05 PM");
    EXPECT_EQ(c.accessed, "11/14/2023  12:30 AM");
    EXPECT_EQ(c.modified, "11/14/2023  00:10 AM");
    EXPECT_EQ(c.attributes, "-R-A");
    EXPECT_EQ(p.sizeText(small), "300 Bytes");
    EXPECT_EQ(p.sizeText(big), "1.50 MB");
    EXPECT_EQ(p.sizeBytes(big), 1572864u);

    FileTimes t = p.times(small);
    ASSERT_TRUE(t.created && t.modified && t.accessed);
    EXPECT_EQ(t.created->seconds, 1700000000 - 1700000000 % 86400 + 20 * 3600 + 5 * 60);
    EXPECT_EQ(t.modified->nanoseconds, 0u);
}

}  // namespace
}  // namespace lazarine
