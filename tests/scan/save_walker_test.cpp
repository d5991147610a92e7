#include "scan/save_walker.h"

#include <gtest/gtest.h>

#include "support/fake_parser.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::FakeParser;
using testing::readFile;
using testing::RecordingReporter;
using testing::TempFolder;
namespace fs = std::filesystem;

// docs/ holds 3 files and sub/ with 2 more.
struct FiveFiles {
    FakeParser parser;
    EntryId docs = parser.folder(kRootEntry, "docs");
    EntryId a = parser.file(docs, "a.txt", "A");
    EntryId b = parser.file(docs, "b.txt ", "B");  // trailing blank
    EntryId c = parser.file(docs, "c.txt", "C");
    EntryId sub = parser.folder(docs, "sub");
    EntryId d = parser.file(sub, "d.txt", "D");
    EntryId e = parser.file(sub, "e.txt", "E");
};

TEST(SaveSelectedFolder, MirrorsTheFolderAsksWithTheCountAndEndsAtIt) {
    FiveFiles f;
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    SaveTotals totals = saveSelectedFolder(f.parser, f.docs, out.path(), reporter, control);

    EXPECT_EQ(totals.saved, 5u);
    ASSERT_EQ(reporter.questions.size(), 1u);
    EXPECT_EQ(reporter.questions[0],
              "number of files found inside this folder = 5 .do u want to continue dumping "
              "these files..?");
    EXPECT_EQ(readFile(out.path() / "a.txt"), "A");
    EXPECT_EQ(readFile(out.path() / "b.txt"), "B");  // saved without the trailing blank
    EXPECT_EQ(readFile(out.path() / "sub" / "e.txt"), "E");
    EXPECT_FALSE(fs::exists(out.path() / "docs"));  // the selected folder is not recreated
    EXPECT_EQ(reporter.positions.back(), 5u);
    EXPECT_EQ(reporter.messages.back(), "work done");
    EXPECT_EQ(reporter.statuses.front(), "saving File  " + (out.path() / "a.txt").string());
}

TEST(SaveSelectedFolder, NoWritesOnNoAndRefusesAnEmptyOutputFolder) {
    FiveFiles f;
    TempFolder out;
    RecordingReporter no;
    no.defaultAnswer = false;
    JobControl control;
    EXPECT_EQ(saveSelectedFolder(f.parser, f.docs, out.path(), no, control).saved, 0u);
    EXPECT_TRUE(fs::is_empty(out.path()));
    EXPECT_TRUE(no.messages.empty());  // no "work done"

    RecordingReporter reporter;
    saveSelectedFolder(f.parser, f.docs, "", reporter, control);
    EXPECT_EQ(reporter.messages, std::vector<std::string>{"select output folder"});
    EXPECT_TRUE(f.parser.saved.empty());
}

TEST(SaveSelectedFolder, SavingTwiceReplacesTheEarlierFiles) {
    FiveFiles f;
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    saveSelectedFolder(f.parser, f.docs, out.path(), reporter, control);
    f.parser.entries[f.a].data = "newer";
    saveSelectedFolder(f.parser, f.docs, out.path(), reporter, control);
    EXPECT_EQ(readFile(out.path() / "a.txt"), "newer");
    EXPECT_FALSE(fs::exists(out.path() / "a (2).txt"));
}

TEST(SaveFolder, NamesFromDiskStayInsideTheOutputFolder) {
    FakeParser parser;
    EntryId evil = parser.folder(kRootEntry, "..");
    parser.file(evil, "../../escape.txt", "1");
    parser.file(kRootEntry, "/etc/passwd", "2");
    parser.file(kRootEntry, ".", "3");
    parser.file(kRootEntry, "", "4");
    parser.file(kRootEntry, std::string("nul\0byte", 8), "5");
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    uint64_t counter = 0;
    SaveTotals totals = saveFolder(parser, kRootEntry, out.path(), counter, reporter, control);

    EXPECT_EQ(totals.saved, 5u);
    for (const fs::path& path : parser.saved) {
        fs::path relative = fs::relative(path, out.path());
        EXPECT_FALSE(relative.empty());
        EXPECT_NE(*relative.begin(), "..") << path;
    }
    EXPECT_EQ(readFile(out.path() / "_.." / ".._.._escape.txt"), "1");
    EXPECT_EQ(readFile(out.path() / "_etc_passwd"), "2");
    EXPECT_EQ(readFile(out.path() / "_."), "3");
    EXPECT_EQ(readFile(out.path() / "_"), "4");
    EXPECT_EQ(readFile(out.path() / "nul_byte"), "5");
}

TEST(SaveFolder, SameNamesInOneFolderAreAllKept) {
    FakeParser parser;
    parser.file(kRootEntry, "report.doc", "deleted", true);
    parser.file(kRootEntry, "report.doc", "live");
    parser.file(kRootEntry, "report.doc", "older", true);
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    uint64_t counter = 0;
    saveFolder(parser, kRootEntry, out.path(), counter, reporter, control);
    EXPECT_EQ(readFile(out.path() / "report.doc"), "deleted");
    EXPECT_EQ(readFile(out.path() / "report (2).doc"), "live");
    EXPECT_EQ(readFile(out.path() / "report (3).doc"), "older");
}

TEST(SaveFolder, OnlyListSavesTickedFilesWithTheirFolders) {
    FiveFiles f;
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    std::vector<EntryId> ticked{f.e};
    SaveTotals totals =
        saveSelectedFolder(f.parser, kRootEntry, out.path(), reporter, control, nullptr, &ticked);
    EXPECT_EQ(totals.saved, 1u);
    EXPECT_EQ(reporter.questions[0].find("= 1 ."), 41u);
    EXPECT_EQ(readFile(out.path() / "docs" / "sub" / "e.txt"), "E");
    EXPECT_FALSE(fs::exists(out.path() / "docs" / "a.txt"));
}

TEST(SaveFolder, StopEndsTheWalkAndAFolderLoopEnds) {
    FiveFiles f;
    f.parser.entries[f.sub].children.push_back(f.docs);  // sub lists its own parent
    TempFolder out;
    RecordingReporter reporter;
    JobControl control;
    uint64_t counter = 0;
    SaveTotals totals = saveFolder(f.parser, f.docs, out.path(), counter, reporter, control);
    EXPECT_EQ(totals.saved, 5u);

    control.requestStop();
    counter = 0;
    totals = saveFolder(f.parser, f.docs, out.path(), counter, reporter, control);
    EXPECT_TRUE(totals.stopped);
    EXPECT_EQ(counter, 0u);
}

TEST(SafeFileName, LongNamesKeepTheirExtensionWithinOneComponent) {
    std::string name(300, 'a');
    name += ".jpeg";
    std::string safe = safeFileName(name);
    EXPECT_LE(safe.size(), 255u);
    EXPECT_EQ(safe.substr(safe.size() - 5), ".jpeg");
    // A multi-byte character is never split.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "\xC3\xA9";  // é
    EXPECT_EQ(safeFileName(wide).size(), 254u);
}

}  // namespace
}  // namespace lazarine
