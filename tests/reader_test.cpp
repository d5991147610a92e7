#include "disk/reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/recording_reporter.h"

namespace lazarine {
namespace {

std::string writeTempFile(size_t size) {
    char name[] = "/tmp/lazarine-reader-XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    for (size_t i = 0; i < size; ++i) {
        auto b = static_cast<unsigned char>(i * 7 + 3);
        EXPECT_EQ(write(fd, &b, 1), 1);
    }
    close(fd);
    return name;
}

TEST(FileReadSeek, SizesAFileByItsLengthAndDropsTheRemainder) {
    std::string path = writeTempFile(512 * 3 + 300);
    FileReadSeek reader;
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.sizeBytes(), 512u * 3 + 300);
    EXPECT_EQ(reader.deviceSectorCount(), 3u);
    std::remove(path.c_str());
}

TEST(FileReadSeek, ShortReadIsZeroPaddedAndReportedAsFailure) {
    std::string path = writeTempFile(512 + 300);
    FileReadSeek reader;
    ASSERT_TRUE(reader.Open(path));
    std::array<uint8_t, 512> buffer;
    buffer.fill(0xAA);
    ASSERT_TRUE(reader.Seek(512, 0));
    EXPECT_FALSE(reader.Read(buffer.data(), 512));
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(512 * 7 + 3));
    EXPECT_EQ(buffer[299], static_cast<uint8_t>(811 * 7 + 3));
    for (size_t i = 300; i < 512; ++i) ASSERT_EQ(buffer[i], 0) << i;
    EXPECT_NE(reader.lastError(), 0);
    EXPECT_FALSE(reader.lastErrorText().empty());

    // A read of nothing at all leaves the buffer as it was.
    buffer.fill(0xAA);
    ASSERT_TRUE(reader.Seek(4096, 0));
    EXPECT_FALSE(reader.Read(buffer.data(), 512));
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[511], 0xAA);
    std::remove(path.c_str());
}

TEST(FileReadSeek, OpenFailureReportsInvalidHandleWithTheReason) {
    testing::RecordingReporter reporter;
    FileReadSeek reader(&reporter);
    EXPECT_FALSE(reader.Open("/nonexistent/lazarine-image"));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], "invalid handle ...\nNo such file or directory");
    EXPECT_FALSE(reader.Open("/tmp"));  // a folder is not a device
}

TEST(FileReadSeek, NeverOpensForWriting) {
    std::string path = writeTempFile(1024);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    FileReadSeek reader;
    // Root may open a read-only file for writing; the reader must not need to.
    EXPECT_TRUE(reader.Open(path));
    std::remove(path.c_str());
}

TEST(MemoryReader, BaseOffsetIsAddedToEverySeekAndBulkRead) {
    std::vector<uint8_t> bytes(4096 * 2);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i / 512);
    MemoryReader reader(bytes);
    reader.baseOffset = 2 * 512;
    ASSERT_TRUE(reader.Seek(0, 0));
    EXPECT_EQ(reader.position(), 1024);
    uint8_t b = 0;
    ASSERT_TRUE(reader.Read(&b, 1));
    EXPECT_EQ(b, 2);
    ASSERT_TRUE(reader.ReadExact(512, &b, 1));
    EXPECT_EQ(b, 3);
    EXPECT_EQ(reader.position(), 1025);  // the bulk path leaves the position alone

    reader.baseOffset = 0;
    EXPECT_FALSE(reader.Seek(-1, 0));
    EXPECT_FALSE(reader.ReadExact(-512, &b, 1));
    EXPECT_FALSE(reader.ReadExact(INT64_MAX, &b, 1));
    EXPECT_EQ(reader.ReadAt(static_cast<int64_t>(bytes.size()) - 1, &b, 8), 1u);
}

}  // namespace
}  // namespace lazarine
