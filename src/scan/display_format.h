#pragma once
// Texts that every list column and size label shares.

#include <cstdint>
#include <cstdio>
#include <string>

namespace lazarine {

// printf-style formatting into a std::string; the system's texts are printf patterns.
template <typename... Args>
std::string printfText(const char* pattern, Args... args) {
    int n = std::snprintf(nullptr, 0, pattern, args...);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, pattern, args...);
    return out;
}

// A wall-clock date and time as a parser hands it to the list columns.
struct LocalDateTime {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
    bool operator==(const LocalDateTime&) const = default;
};

// "%.2f GB" / "%.2f MB" / "%.2f KB" from 2^30, 2^20, 2^10 bytes, else "%lld Bytes".
std::string sizeText(uint64_t bytes);

// "MM/DD/YYYY  hh:mm AM|PM": hours 13 and up print hour - 12 with PM; 0..12 print
// unchanged with AM (so 12:30 is "12:30 AM" and 00:10 is "00:10 AM").
std::string dateTimeText(const LocalDateTime& t);

// "MM/DD/YYYY " (one trailing blank), FAT last-access dates.
std::string dateOnlyText(const LocalDateTime& t);

// FAT directory-entry date and time fields, taken as stored (local wall-clock time):
// day bits 0-4, month 5-8, year 9-15 + 1980; seconds/2 bits 0-4, minute 5-10, hour 11-15.
LocalDateTime fatDateTime(uint16_t date, uint16_t time);

// A volume's size as the drive page shows it: "%d  MB" of bytes / 2^20, low 32 bits.
std::string volumeSizeText(uint64_t bytes);

}  // namespace lazarine
