#include "scan/result_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace lazarine {
namespace {

// A parser over a fixed folder tree, enough for the tree model.
class TreeParser final : public FileSystemParser {
public:
    struct Entry {
        std::string name;
        EntryId parent;
        bool folder;
        bool deleted = false;
    };
    // ROOT (entry 0, not listed)
    //   docs/      a.txt b.txt c.txt
    //   photos/    p1.jpg  raw/ (r1.cr2)
    //   empty/
    //   top.bin (deleted)
    TreeParser() {
        add(1, {"docs", 0, true});
        add(2, {"a.txt", 1, false});
        add(3, {"b.txt", 1, false});
        add(4, {"c.txt", 1, false});
        add(5, {"photos", 0, true});
        add(6, {"p1.jpg", 5, false});
        add(7, {"raw", 5, true});
        add(8, {"r1.cr2", 7, false});
        add(9, {"empty", 0, true});
        add(10, {"top.bin", 0, false, true});
    }
    bool inheritTick = false;

    bool scan(const ScanRequest&, Reporter&, JobControl&) override { return true; }
    std::vector<EntryId> rootEntries() override { return children(0); }
    std::vector<EntryId> children(EntryId folder) override {
        std::vector<EntryId> out;
        for (auto& [id, e] : entries_)
            if (e.parent == folder) out.push_back(id);
        return out;
    }
    bool hasChildren(EntryId folder) override { return !children(folder).empty(); }
    bool isValid(EntryId id) const override { return entries_.count(id) != 0; }
    std::string name(EntryId id) const override { return entries_.at(id).name; }
    bool isFolder(EntryId id) const override { return entries_.at(id).folder; }
    bool isDeleted(EntryId id) const override { return entries_.at(id).deleted; }
    EntryColumns columns(EntryId) override { return {}; }
    std::string sizeText(EntryId) override { return "0 Bytes"; }
    uint64_t sizeBytes(EntryId) override { return 0; }
    FileTimes times(EntryId) override { return {}; }
    bool SaveEntry(EntryId, const std::filesystem::path&, Reporter&) override { return true; }
    void rename(EntryId id, std::string n) override { entries_.at(id).name = std::move(n); }
    bool childrenInheritTick() const override { return inheritTick; }

private:
    void add(EntryId id, Entry e) { entries_[id] = std::move(e); }
    std::map<EntryId, Entry> entries_;
};

struct Fixture {
    TreeParser parser;
    ResultTree tree;
    ItemId root = kNoItem;

    Fixture() { root = tree.buildTopLevel(parser, "ROOT"); }

    // The item whose text is `name` (first match, depth first), kNoItem if none.
    ItemId find(const std::string& name) const {
        for (ItemId id = 0; id < tree.size(); ++id)
            if (tree.valid(id) && tree.item(id).text == name) return id;
        return kNoItem;
    }
    std::vector<std::string> texts(const std::vector<ItemId>& ids) const {
        std::vector<std::string> out;
        for (ItemId id : ids) out.push_back(tree.item(id).text);
        return out;
    }
};

TEST(ResultTree, TopLevelHasPlaceholdersOnlyUnderFoldersWithChildren) {
    Fixture f;
    EXPECT_EQ(f.texts(f.tree.item(f.root).children),
              (std::vector<std::string>{"docs", "photos", "empty", "top.bin"}));
    EXPECT_TRUE(f.tree.hasPlaceholder(f.find("docs")));
    EXPECT_TRUE(f.tree.hasPlaceholder(f.find("photos")));
    EXPECT_FALSE(f.tree.hasPlaceholder(f.find("empty")));
    EXPECT_TRUE(f.tree.item(f.find("top.bin")).deleted);
    EXPECT_EQ(f.tree.item(f.find("top.bin")).icon, IconKind::File);
}

TEST(ResultTree, ExpandReplacesThePlaceholderOnce) {
    Fixture f;
    ItemId photos = f.find("photos");
    auto inserted = f.tree.expand(photos, f.parser);
    EXPECT_EQ(f.texts(inserted), (std::vector<std::string>{"p1.jpg", "raw"}));
    EXPECT_EQ(f.texts(f.tree.item(photos).children), (std::vector<std::string>{"p1.jpg", "raw"}));
    EXPECT_TRUE(f.tree.hasPlaceholder(f.find("raw")));
    EXPECT_EQ(f.tree.item(photos).descendantCount, 3u);  // p1, raw, raw's placeholder
    EXPECT_TRUE(f.tree.expand(photos, f.parser).empty());
    EXPECT_EQ(f.tree.item(photos).children.size(), 2u);
}

TEST(ResultTree, ListRowsShowFilesOfAFolderOrTheFileItself) {
    Fixture f;
    ItemId photos = f.find("photos");
    // A label click on a folder that still holds its placeholder expands it first.
    EXPECT_EQ(f.texts(f.tree.listRows(photos, f.parser)), (std::vector<std::string>{"p1.jpg"}));
    EXPECT_EQ(f.texts(f.tree.listRows(f.find("p1.jpg"), f.parser)),
              (std::vector<std::string>{"p1.jpg"}));
    EXPECT_TRUE(f.tree.listRows(f.find("empty"), f.parser).empty());
    EXPECT_EQ(f.texts(f.tree.listRows(f.root, f.parser)), (std::vector<std::string>{"top.bin"}));
}

// The tick rules as a table: a sequence of steps, then the check images expected.
struct TickCase {
    const char* what;
    bool inheritTick;
    std::vector<std::string> steps;  // "+name" tick, "-name" untick, "expand name"
    std::map<std::string, CheckImage> expected;
};

class TickRules : public ::testing::TestWithParam<TickCase> {};

TEST_P(TickRules, Images) {
    const TickCase& c = GetParam();
    Fixture f;
    f.parser.inheritTick = c.inheritTick;
    f.tree.expand(f.find("docs"), f.parser);
    for (const std::string& step : c.steps) {
        if (step.rfind("expand ", 0) == 0) {
            f.tree.expand(f.find(step.substr(7)), f.parser);
        } else {
            ItemId id = step == "+ROOT" || step == "-ROOT" ? f.root : f.find(step.substr(1));
            ASSERT_NE(id, kNoItem) << step;
            f.tree.setCheck(id, step[0] == '+');
        }
    }
    for (const auto& [name, image] : c.expected) {
        ItemId id = name == "ROOT" ? f.root : f.find(name);
        ASSERT_NE(id, kNoItem) << name;
        EXPECT_EQ(f.tree.checkImage(id), image) << c.what << ": " << name;
    }
}

using CI = CheckImage;
INSTANTIATE_TEST_SUITE_P(
    ResultTree, TickRules,
    ::testing::Values(
        TickCase{"ticking a folder ticks its files, the parent turns partial", false,
                 {"+docs"},
                 {{"docs", CI::Ticked}, {"a.txt", CI::Ticked}, {"c.txt", CI::Ticked},
                  {"ROOT", CI::Partial}, {"photos", CI::Unticked}}},
        TickCase{"unticking one file makes the folder partial", false,
                 {"+docs", "-b.txt"},
                 {{"docs", CI::Partial}, {"b.txt", CI::Unticked}, {"a.txt", CI::Ticked},
                  {"ROOT", CI::Partial}}},
        TickCase{"ticking every file ticks the folder", false,
                 {"+a.txt", "+b.txt", "+c.txt"},
                 {{"docs", CI::Ticked}, {"ROOT", CI::Partial}}},
        TickCase{"unticking the last ticked file clears the folder", false,
                 {"+a.txt", "-a.txt"},
                 {{"docs", CI::Unticked}, {"ROOT", CI::Unticked}}},
        TickCase{"ticking ROOT ticks everything, including unexpanded folders", false,
                 {"+ROOT"},
                 {{"ROOT", CI::Ticked}, {"photos", CI::Ticked}, {"top.bin", CI::Ticked},
                  {"empty", CI::Ticked}}},
        TickCase{"ticking every top-level item ticks ROOT", false,
                 {"+docs", "+photos", "+empty", "+top.bin"},
                 {{"ROOT", CI::Ticked}}},
        TickCase{"unticking ROOT after ticking it clears everything", false,
                 {"+ROOT", "-ROOT"},
                 {{"ROOT", CI::Unticked}, {"docs", CI::Unticked}, {"a.txt", CI::Unticked}}},
        TickCase{"children inserted unticked under a ticked folder", false,
                 {"+photos", "expand photos"},
                 {{"photos", CI::Unticked}, {"p1.jpg", CI::Unticked}, {"ROOT", CI::Unticked}}},
        TickCase{"children inherit a ticked folder's tick where the parser says so", true,
                 {"+photos", "expand photos"},
                 {{"photos", CI::Ticked}, {"p1.jpg", CI::Ticked}, {"raw", CI::Ticked},
                  {"ROOT", CI::Partial}}},
        TickCase{"a deep tick reaches every ancestor", true,
                 {"expand photos", "expand raw", "+r1.cr2"},
                 {{"raw", CI::Ticked}, {"photos", CI::Partial}, {"ROOT", CI::Partial},
                  {"p1.jpg", CI::Unticked}}}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(ResultTree, PlaceholderUnderATickedFolderMakesItPartial) {
    Fixture f;
    ItemId empty = f.find("empty");
    f.tree.setCheck(empty, true);
    EXPECT_EQ(f.tree.checkImage(empty), CheckImage::Ticked);
    f.tree.insert(empty, kPlaceholderText, IconKind::Placeholder);
    EXPECT_EQ(f.tree.checkImage(empty), CheckImage::Unticked);
    EXPECT_FALSE(f.tree.check(empty));

    // Under an unticked folder a placeholder changes nothing.
    ItemId other = f.find("top.bin");
    f.tree.insert(other, kPlaceholderText, IconKind::Placeholder);
    EXPECT_EQ(f.tree.checkImage(other), CheckImage::Unticked);
}

TEST(ResultTree, RemovingItemsTakesThemOutOfTheCounts) {
    Fixture f;
    ItemId docs = f.find("docs");
    f.tree.expand(docs, f.parser);
    f.tree.setCheck(f.find("a.txt"), true);
    EXPECT_EQ(f.tree.checkImage(docs), CheckImage::Partial);
    f.tree.remove(f.find("b.txt"));
    f.tree.remove(f.find("c.txt"));
    EXPECT_EQ(f.tree.item(docs).descendantCount, 1u);
    EXPECT_EQ(f.tree.checkImage(docs), CheckImage::Ticked);
}

TEST(ResultTree, TickedSelectionHoldsTickedFilesAtAllDepths) {
    Fixture f;
    EXPECT_TRUE(f.tree.tickedSelection(f.parser).files.empty());

    f.tree.expand(f.find("docs"), f.parser);
    f.tree.setCheck(f.find("b.txt"), true);
    f.tree.setCheck(f.find("top.bin"), true);
    // photos is ticked but never expanded: its files come from the parser.
    f.tree.setCheck(f.find("photos"), true);
    auto selection = f.tree.tickedSelection(f.parser);
    std::vector<EntryId> sorted = selection.files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<EntryId>{3, 6, 8, 10}));  // b.txt p1.jpg r1.cr2 top.bin
}

TEST(ResultTree, TickedEmptyFoldersAloneSelectNothing) {
    Fixture f;
    f.tree.setCheck(f.find("empty"), true);
    EXPECT_TRUE(f.tree.tickedSelection(f.parser).files.empty());
}

}  // namespace
}  // namespace lazarine
