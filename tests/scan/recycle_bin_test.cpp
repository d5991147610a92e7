#include "scan/recycle_bin.h"

#include <gtest/gtest.h>

#include "support/fake_parser.h"
#include "support/recording_reporter.h"

namespace lazarine {
namespace {

using testing::FakeParser;
using testing::RecordingReporter;

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string le(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(i < 8 ? (value >> (8 * i)) & 0xFF : 0);
    return out;
}

// Version 1: header, size, time, then the path in a 520-byte field.
std::string infoV1(const std::string& path) {
    std::string bytes = le(1, 8) + le(1234, 8) + le(0, 8) + utf16(path);
    bytes.resize(544, '\0');
    return bytes;
}

// Version 2: header, size, time, the length in characters with the terminator, the path.
std::string infoV2(const std::string& path) {
    return le(2, 8) + le(1234, 8) + le(0, 8) + le(path.size() + 1, 4) + utf16(path) +
           std::string(2, '\0');
}

std::span<const uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(RecycledFileName, ReadsBothLayoutsAndRefusesBadFiles) {
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::string> expected;
    };
    std::string big = infoV1("C:\\x\\big.txt");
    big.resize(2048, '\0');
    std::string unterminatedV2 = le(2, 8) + le(0, 16) + le(1000, 4) + utf16("C:\\a\\b.txt");
    const Case cases[] = {
        {"version 1", infoV1("C:\\Users\\me\\Documents\\report.txt"), "report.txt"},
        {"version 2", infoV2("C:\\Users\\me\\Desktop\\budget plan.docx"), "budget plan.docx"},
        {"no folder", infoV1("loose.txt"), "loose.txt"},
        {"2048 bytes", big, std::nullopt},
        {"too short", le(1, 8) + le(0, 8), std::nullopt},
        {"empty path", infoV1(""), std::nullopt},
        {"length beyond the file", unterminatedV2, "b.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(recycledFileName(bytesOf(c.bytes)), c.expected) << c.what;
}

TEST(RestoreRecycleBinNames, RenamesDataFilesInEachUserFolder) {
    FakeParser parser;
    EntryId bin = parser.folder(kRootEntry, "$RECYCLE.BIN");
    EntryId user = parser.folder(bin, "S-1-5-21-1-2-3-1001");
    EntryId info = parser.file(user, "$IAB12CD.txt", infoV1("C:\\Users\\me\\report.txt"));
    EntryId data = parser.file(user, "$RAB12CD.txt", "report data");
    EntryId info2 = parser.file(user, "$IXY98ZZ.docx", infoV2("C:\\me\\budget plan.docx"));
    EntryId data2 = parser.file(user, "$RXY98ZZ.docx", "budget");
    std::string big = infoV1("C:\\x\\ignored.txt");
    big.resize(2048, '\0');
    parser.file(user, "$IBIGBIG.txt", big);
    EntryId bigData = parser.file(user, "$RBIGBIG.txt", "x");
    EntryId lonely = parser.file(user, "$RNOINFO.txt", "x");
    // Not directly under the top level: left alone.
    EntryId nested = parser.folder(parser.folder(kRootEntry, "old"), "$RECYCLE.BIN");
    EntryId nestedUser = parser.folder(nested, "S-1");
    parser.file(nestedUser, "$I000001.txt", infoV1("C:\\n.txt"));
    EntryId nestedData = parser.file(nestedUser, "$R000001.txt", "n");

    RecordingReporter reporter;
    EXPECT_EQ(RestoreRecycleBinNames(parser, reporter), 2u);
    EXPECT_EQ(parser.name(data), "report.txt");
    EXPECT_EQ(parser.name(data2), "budget plan.docx");
    EXPECT_EQ(parser.name(info), "$IAB12CD.txt");
    EXPECT_EQ(parser.name(info2), "$IXY98ZZ.docx");
    EXPECT_EQ(parser.name(bigData), "$RBIGBIG.txt");
    EXPECT_EQ(parser.name(lonely), "$RNOINFO.txt");
    EXPECT_EQ(parser.name(nestedData), "$R000001.txt");
}

TEST(RestoreRecycleBinNames, FlatLayoutRenamesInTheBinItself) {
    FakeParser parser;
    parser.layout = RecycleLayout::Flat;
    EntryId bin = parser.folder(kRootEntry, "$RECYCLE.BIN");
    parser.file(bin, "$I1.jpg", infoV2("D:\\photos\\cat.jpg"));
    EntryId data = parser.file(bin, "$R1.jpg", "jpeg");
    RecordingReporter reporter;
    RestoreRecycleBinNames(parser, reporter);
    EXPECT_EQ(parser.name(data), "cat.jpg");
}

}  // namespace
}  // namespace lazarine
