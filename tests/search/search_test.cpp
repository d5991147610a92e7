#include "search/search.h"

#include <gtest/gtest.h>

#include "support/fake_parser.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::FakeParser;
using testing::RecordingReporter;

struct Volume {
    FakeParser parser;
    EntryId dir1 = parser.folder(kRootEntry, "dir1");
    EntryId dir2 = parser.folder(dir1, "dir2");
    EntryId empty = parser.folder(kRootEntry, "jpg-folder");  // no children: tested as a name
    Volume() {
        parser.file(kRootEntry, "top.JPG");
        parser.file(dir1, "a.JPG");
        parser.file(dir1, "photo.png.bak");
        parser.file(dir2, "jpgfile.txt");
        parser.file(dir2, "Agenda.doc");
        parser.file(dir2, "notes.docx");
    }
};

std::vector<std::string> run(Volume& v, const std::string& pattern, RecordingReporter& reporter) {
    std::vector<std::string> paths;
    JobControl control;
    searchEntries(v.parser, pattern, reporter, control,
                  [&](const SearchMatch& m) { paths.push_back(m.path); });
    return paths;
}

TEST(Search, PatternsAreCaseInsensitiveRegexSearches) {
    struct Case {
        const char* pattern;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"jpg|png",
         {"ROOT\\dir1\\dir2\\jpgfile.txt", "ROOT\\dir1\\a.JPG", "ROOT\\dir1\\photo.png.bak",
          "ROOT\\jpg-folder", "ROOT\\top.JPG"}},
        {"^a", {"ROOT\\dir1\\dir2\\Agenda.doc", "ROOT\\dir1\\a.JPG"}},
        {"\\.doc$", {"ROOT\\dir1\\dir2\\Agenda.doc"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        Volume v;
        RecordingReporter reporter;
        EXPECT_EQ(run(v, c.pattern, reporter), c.paths) << c.pattern;
        EXPECT_EQ(reporter.messages, std::vector<std::string>{"Searching Finished"});
    }
}

TEST(Search, InvalidPatternsAreRefusedWithoutSearching) {
    for (const char* pattern : {"*", "a(b", "[x"}) {
        Volume v;
        RecordingReporter reporter;
        EXPECT_TRUE(run(v, pattern, reporter).empty());
        EXPECT_EQ(reporter.messages,
                  std::vector<std::string>{
                      "such characters are not allowed for search.Try again with different "
                      "pattern."})
            << pattern;
        EXPECT_TRUE(reporter.statuses.empty());
    }
}

TEST(Search, CountsMatchesInTheStatusAndStops) {
    Volume v;
    RecordingReporter reporter;
    run(v, "a", reporter);  // Agenda.doc, a.JPG, photo.png.bak
    std::vector<std::string> expected{"searched file 1", "searched file 2", "searched file 3",
                                      "Searching Finished"};
    EXPECT_EQ(reporter.statuses, expected);

    JobControl stopped;
    stopped.requestStop();
    std::vector<std::string> paths;
    searchEntries(v.parser, "a", reporter, stopped,
                  [&](const SearchMatch& m) { paths.push_back(m.path); });
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(reporter.messages.back(), "Searching Finished");
}

}  // namespace
}  // namespace lazarine
