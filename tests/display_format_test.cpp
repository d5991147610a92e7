#include "scan/display_format.h"

#include <gtest/gtest.h>

namespace lazarine {
namespace {

TEST(SizeText, UsesTheLargestUnitThatReachesOne) {
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1024.00 KB"},  // rounds in the last digit, stays in KB
        {1048576, "1.00 MB"},
        {1073741824ULL * 3 / 2, "1.50 GB"},
        {1ULL << 40, "1024.00 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(sizeText(c.bytes), c.text) << c.bytes;
}

TEST(DateTimeText, PrintsTwelveAndMidnightWithAm) {
    struct Case {
        int hour, minute;
        const char* text;
    } cases[] = {
        {0, 10, "03/07/2021  00:10 AM"},
        {11, 59, "03/07/2021  11:59 AM"},
        {12, 30, "03/07/2021  12:30 AM"},
        {13, 5, "03/07/2021  01:05 PM"},
        {23, 0, "03/07/2021  11:00 PM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateTimeText({2021, 3, 7, c.hour, c.minute, 0}), c.text);
    }
    EXPECT_EQ(dateOnlyText({1999, 12, 31, 0, 0, 0}), "12/31/1999 ");
}

TEST(FatDateTime, DecodesTheBitFields) {
    // 2023-11-05 14:37:58: date = (43 << 9) | (11 << 5) | 5, time = (14 << 11) | (37 << 5) | 29
    LocalDateTime t = fatDateTime((43 << 9) | (11 << 5) | 5, (14 << 11) | (37 << 5) | 29);
    EXPECT_EQ(t, (LocalDateTime{2023, 11, 5, 14, 37, 58}));
    EXPECT_EQ(fatDateTime(0, 0), (LocalDateTime{1980, 0, 0, 0, 0, 0}));
}

TEST(VolumeSizeText, FloorsToWholeMegabytesWithTwoBlanks) {
    EXPECT_EQ(volumeSizeText(500ULL << 30), "512000  MB");
    EXPECT_EQ(volumeSizeText((1ULL << 20) - 1), "0  MB");
}

}  // namespace
}  // namespace lazarine
