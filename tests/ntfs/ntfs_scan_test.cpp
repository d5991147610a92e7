// The scan job over built volumes: the three modes, their status texts and the records
// they find, and volumes whose boot sector or MFT is damaged.

#include <gtest/gtest.h>

#include <algorithm>

#include "fs/ntfs/ntfs.h"
#include "support/ntfs_builder.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::NtfsBuilder;
using testing::RecordingReporter;

struct Scanned {
    MemoryReader reader;
    std::unique_ptr<ntfs> parser;
    RecordingReporter reporter;
};

std::unique_ptr<Scanned> scanImage(std::vector<uint8_t> image, int mode = 1,
                                   VolumeRow volume = {}) {
    auto s = std::make_unique<Scanned>();
    s->reader = MemoryReader(std::move(image));
    s->parser = std::make_unique<ntfs>(s->reader, volume);
    JobControl control;
    ScanRequest request;
    request.recoveryMode = mode;
    EXPECT_TRUE(s->parser->scan(request, s->reporter, control));
    return s;
}

std::vector<std::string> names(ntfs& p, const std::vector<EntryId>& ids) {
    std::vector<std::string> out;
    for (EntryId id : ids) out.push_back(p.name(id));
    return out;
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

}  // namespace
}  // namespace lazarine
