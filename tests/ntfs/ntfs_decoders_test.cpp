// The on-disk decoders, each on bytes: boot sector, record fix-up and candidate test,
// attribute walk, run lists, $FILE_NAME, attribute lists and LZNT1.

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "disk/bytes.h"
#include "fs/ntfs/attribute_header.h"
#include "fs/ntfs/attribute_list.h"
#include "fs/ntfs/file_name_attribute.h"
#include "fs/ntfs/lznt1.h"
#include "fs/ntfs/mft_record_header.h"
#include "fs/ntfs/ntfs_boot_sector.h"
#include "fs/ntfs/run_list.h"
#include "support/ntfs_builder.h"

namespace lazarine {
namespace {

using namespace lazarine::testing;

TEST(NtfsBootSectorDecode, ClusterAndRecordSizes) {
    struct Case {
        uint16_t bytesPerSector;
        uint8_t sectorsPerCluster;
        uint8_t recordCode;
        uint64_t cluster;
        uint32_t record;
    } cases[] = {
        {512, 8, 0xF6, 4096, 1024},       // -10: 2^10 bytes
        {512, 8, 0xF4, 4096, 4096},       // -12: 4096-byte records
        {512, 8, 0x01, 4096, 4096},       // one cluster per record
        {512, 1, 0x02, 512, 1024},        // two 512-byte clusters per record
        {512, 0xF4, 0xF6, 2u << 20, 1024},  // 2^12 sectors per cluster
        {512, 8, 0x00, 4096, 0},          // no record size: caller falls back to 1024
        {512, 8, 0x80, 4096, 0},          // 2^128
        {512, 128, 0x01, 65536, 65536},
        {512, 128, 0x02, 65536, 0},       // 128 KiB records do not exist
        {0, 8, 0xF6, 0, 1024},            // damaged geometry
        {512, 3, 0x01, 0, 0},             // not a power of two
    };
    for (const Case& c : cases) {
        Sector s = ntfsBootSector(1000);
        put16(s.data() + 0x0B, c.bytesPerSector);
        s[0x0D] = c.sectorsPerCluster;
        s[0x40] = c.recordCode;
        NtfsBootSector b = decodeNtfsBootSector(s);
        EXPECT_TRUE(b.oemIsNtfs);
        EXPECT_EQ(b.clusterBytes(), c.cluster) << int(c.sectorsPerCluster);
        EXPECT_EQ(b.recordBytes(), c.record) << int(c.recordCode);
    }
    Sector s = ntfsBootSector(1000);
    s[3] = 'X';
    EXPECT_FALSE(decodeNtfsBootSector(s).oemIsNtfs);
    EXPECT_FALSE(decodeNtfsBootSector(std::span<const uint8_t>(s.data(), 100)).oemIsNtfs);
}

// A record whose resident $DATA covers both sector ends.
std::vector<uint8_t> sealedRecord(uint32_t size) {
    std::vector<uint8_t> content(size - 200);
    std::iota(content.begin(), content.end(), uint8_t{1});
    return makeRecord(size, 1, {residentAttribute(0x80, content)});
}

TEST(NtfsFixup, RestoresEverySectorEnd) {
    for (uint32_t size : {1024u, 4096u}) {
        std::vector<uint8_t> sealed = sealedRecord(size);
        std::vector<uint8_t> fixed = sealed;
        ApplyFixups(fixed);
        for (uint32_t k = 1; k <= size / 512; ++k) {
            EXPECT_EQ(le16(sealed.data() + 512 * k - 2), 0x0007) << "sealed with the sequence number";
            EXPECT_EQ(le16(fixed.data() + 512 * k - 2), le16(sealed.data() + 0x30 + 2 * k)) << k;
        }
        auto attrs = walkAttributes(fixed);
        ASSERT_EQ(attrs.size(), 1u);
        auto c = attrs[0].content(fixed);
        for (size_t i = 0; i < c.size(); ++i) ASSERT_EQ(c[i], static_cast<uint8_t>(i + 1)) << i;
    }
}

TEST(NtfsFixup, TornOrDamagedArraysStayInBounds) {
    std::vector<uint8_t> torn = sealedRecord(1024);
    put16(torn.data() + 1022, 0x1234);  // second sector from another write
    std::vector<uint8_t> fixed = torn;
    ApplyFixups(fixed);
    EXPECT_EQ(le16(fixed.data() + 1022), le16(torn.data() + 0x34)) << "repaired anyway";

    for (uint16_t usaOffset : {uint16_t{1020}, uint16_t{0xFFFF}}) {
        std::vector<uint8_t> bad = sealedRecord(1024);
        put16(bad.data() + 4, usaOffset);
        put16(bad.data() + 6, 0xFFFF);
        std::vector<uint8_t> copy = bad;
        ApplyFixups(copy);  // must not read or write outside the record
        EXPECT_EQ(std::vector<uint8_t>(copy.begin() + 512, copy.end() - 4),
                  std::vector<uint8_t>(bad.begin() + 512, bad.end() - 4));
    }
}

TEST(NtfsRecordCandidate, HeaderFieldsBelow512) {
    std::vector<uint8_t> r = sealedRecord(1024);
    EXPECT_TRUE(isRecordCandidate(r));
    for (size_t field : {size_t{4}, size_t{6}, size_t{0x14}}) {
        std::vector<uint8_t> bad = r;
        put16(bad.data() + field, 0x0200);
        EXPECT_FALSE(isRecordCandidate(bad)) << field;
    }
    r[0] = 'B';
    EXPECT_FALSE(isRecordCandidate(r));
}

TEST(NtfsAttributeWalk, StopsAtEveryBadLength) {
    std::vector<uint8_t> name = fileNameContent("a.txt", 5, 1, 0x20);
    std::vector<uint8_t> rec = makeRecord(
        1024, 1,
        {residentAttribute(0x10, standardInformation(1, 2, 3)), residentAttribute(0x30, name),
         nonResidentAttribute(0x80, {{100, 4}}, 0, 10000, 4096)});
    ApplyFixups(rec);
    auto attrs = walkAttributes(rec);
    ASSERT_EQ(attrs.size(), 3u);
    EXPECT_EQ(attrs[1].type, kAttrFileName);
    EXPECT_EQ(attrs[2].vcnCount(), 4u);
    EXPECT_EQ(decodeRunList(attrs[2].runList(rec), {4, 0}), (std::vector<ClusterRun>{{100, 4, false}}));

    const size_t second = attrs[1].offset;
    struct Corruption {
        const char* what;
        size_t offset;
        uint32_t length;
        uint8_t nonResident;
        size_t expect;
    } cases[] = {
        {"length 0", second, 0, 0, 1},
        {"length shorter than a header", second, 0x10, 0, 1},
        {"length past the record", second, 0x10000, 0, 1},
        {"non-resident length shorter than its header", second, 0x20, 1, 1},
        {"first attribute past the record", 0, 0, 0, 0},
    };
    for (const Corruption& c : cases) {
        std::vector<uint8_t> bad = rec;
        if (c.offset == 0) {
            put16(bad.data() + 0x14, 0xFFF0);
        } else {
            put32(bad.data() + c.offset + 4, c.length);
            bad[c.offset + 8] = c.nonResident;
        }
        EXPECT_EQ(walkAttributes(bad).size(), c.expect) << c.what;
    }

    // Content bounds are checked against the attribute, not trusted.
    std::vector<uint8_t> bad = rec;
    put32(bad.data() + second + 0x10, 0x1000);
    EXPECT_TRUE(walkAttributes(bad)[1].content(bad).empty());
    EXPECT_TRUE(walkAttributes(std::span<const uint8_t>(rec.data(), 20)).empty());
}

TEST(NtfsRunList, DecodesRuns) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t limit;
        uint64_t volume;
        std::vector<ClusterRun> runs;
    } cases[] = {
        {"one run", {0x21, 0x18, 0x34, 0x56, 0x00}, 100, 0, {{0x5634, 24, false}}},
        {"sparse run keeps the running cluster",
         {0x11, 0x04, 0x10, 0x01, 0x02, 0x11, 0x03, 0x05, 0x00}, 100, 0,
         {{16, 4, false}, {0, 2, true}, {21, 3, false}}},
        {"negative distance", {0x11, 0x02, 0x20, 0x11, 0x01, 0xF0, 0x00}, 100, 0,
         {{32, 2, false}, {16, 1, false}}},
        {"64-bit length and cluster",
         {0x55, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00},
         UINT64_MAX, 0, {{int64_t{1} << 36, (uint64_t{1} << 32) + 1, false}}},
        {"run past the VCN range is dropped", {0x21, 0x18, 0x34, 0x56, 0x00}, 20, 0, {}},
        {"run past the volume ends decoding",
         {0x11, 0x04, 0x10, 0x21, 0x04, 0x00, 0x10, 0x00}, 100, 1000, {{16, 4, false}}},
        {"run leaving the volume is cut at its end", {0x11, 0x08, 0x10, 0x11, 0x01, 0x01, 0x00},
         100, 20, {{16, 4, false}}},
        {"cut-off field", {0x11, 0x04, 0x10, 0x22, 0x01}, 100, 0, {{16, 4, false}}},
        {"field wider than 8 bytes", {0x19, 0x01}, 100, 0, {}},
        {"cluster below 0", {0x11, 0x01, 0x10, 0x11, 0x01, 0xE0, 0x00}, 100, 0, {{16, 1, false}}},
        {"zero-length run contributes nothing", {0x11, 0x00, 0x10, 0x11, 0x01, 0x01, 0x00}, 100, 0,
         {{17, 1, false}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeRunList(c.bytes, {c.limit, c.volume}), c.runs) << c.what;
}

TEST(NtfsFileName, DecodesNamesAndFlags) {
    auto fn = decodeFileName(fileNameContent("\xF0\x9F\x98\x80 b.txt", 0x0003000000000027ull, 1,
                                             0x10000021));
    ASSERT_TRUE(fn);
    EXPECT_EQ(fn->name, "\xF0\x9F\x98\x80 b.txt");  // a surrogate pair joined
    EXPECT_EQ(fn->parentRecord(), 0x27u);          // the sequence number is dropped
    EXPECT_TRUE(fn->isDirectory());
    EXPECT_EQ(attributeText(static_cast<uint16_t>(fn->fileAttributes)), "-R-A");
    EXPECT_EQ(attributeText(0x4A23), "-R-H-S-A-C-E");

    std::vector<uint8_t> cut = fileNameContent("abcdef", 5, 1, 0);
    cut.resize(0x42 + 4);  // the length byte says 6 units, the content holds 2
    EXPECT_EQ(decodeFileName(cut)->name, "ab");
    cut.resize(0x41);
    EXPECT_FALSE(decodeFileName(cut));
}

TEST(NtfsAttributeList, EntriesEndAtMarkerOrBadLength) {
    std::vector<uint8_t> list(0x20 * 4, 0);
    for (int i = 0; i < 3; ++i) {
        uint8_t* e = list.data() + 0x20 * i;
        put32(e, 0x80);
        put16(e + 4, 0x20);
        put64(e + 8, 10u * i);
        put32(e + 0x10, 40 + i);
        put16(e + 0x14, i == 2 ? 1 : 0);  // high 16 bits of the 48-bit number
    }
    put32(list.data() + 0x60, 0xFFFFFFFF);
    auto entries = walkAttributeList(list);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].recordNumber, 41u);
    EXPECT_EQ(entries[1].startVcn, 10u);
    EXPECT_EQ(entries[2].recordNumber, (uint64_t{1} << 32) + 42);
    put16(list.data() + 0x24, 0);
    EXPECT_EQ(walkAttributeList(list).size(), 1u);
    put16(list.data() + 0x24, 0x1000);
    EXPECT_EQ(walkAttributeList(list).size(), 1u);
}

std::vector<uint8_t> decode(const std::vector<uint8_t>& in, size_t capacity = 65536) {
    std::vector<uint8_t> out(capacity);
    out.resize(DecompressUnit(in, out));
    return out;
}

std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST(NtfsLznt1, StoredChunkAndBackReferences) {
    std::vector<uint8_t> stored{0xFF, 0x3F};
    for (int i = 0; i < 4096; ++i) stored.push_back(static_cast<uint8_t>(i * 7));
    std::vector<uint8_t> out = decode(stored);
    ASSERT_EQ(out.size(), 4096u);
    EXPECT_EQ(out[4095], static_cast<uint8_t>(4095 * 7));

    // "abc", then a reference 3 back, 6 long (overlapping its own output).
    EXPECT_EQ(decode({0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x20}), bytesOf("abcabcabc"));

    // After 17 bytes the displacement has 5 bits: 0x8000 = back 17, length 3.
    std::vector<uint8_t> far{0x15, 0xB0, 0x00};
    for (char c = 'A'; c <= 'H'; ++c) far.push_back(static_cast<uint8_t>(c));
    far.push_back(0x00);
    for (char c = 'I'; c <= 'P'; ++c) far.push_back(static_cast<uint8_t>(c));
    far.insert(far.end(), {0x02, 'Q', 0x00, 0x80});
    EXPECT_EQ(decode(far), bytesOf("ABCDEFGHIJKLMNOPQABC"));

    // Two chunks follow one another; a zero header ends the unit.
    std::vector<uint8_t> two{0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x20,
                             0x01, 0xB0, 0x00, 'x', 0x00, 0x00, 0x05, 0xB0};
    EXPECT_EQ(decode(two), bytesOf("abcabcabcx"));
}

TEST(NtfsLznt1, DamagedInputStopsSafely) {
    EXPECT_EQ(decode({0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x20}, 4), bytesOf("abca"))
        << "output stops at its capacity";
    EXPECT_EQ(decode({0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x50}), bytesOf("abc"))
        << "a reference before the chunk's start ends decoding";
    EXPECT_EQ(decode({0x40, 0xB0, 0x00, 'a', 'b'}), std::vector<uint8_t>{})
        << "a chunk longer than the input";
    EXPECT_EQ(decode({0x03, 0xB0, 0x01, 0x00}), std::vector<uint8_t>{})
        << "a reference cut off by the chunk's end";
}

TEST(NtfsLznt1, RoundTripsAFullUnit) {
    std::mt19937 rng(7);
    std::vector<uint8_t> unit(65536);
    for (size_t i = 0; i < unit.size(); ++i)
        unit[i] = i % 3000 < 1500 ? static_cast<uint8_t>("lorem ipsum dolor "[i % 18])
                                  : static_cast<uint8_t>(rng() % 6);
    std::vector<uint8_t> packed = lznt1Compress(unit);
    ASSERT_LT(packed.size(), unit.size());
    EXPECT_EQ(decode(packed), unit);
}

}  // namespace
}  // namespace lazarine
