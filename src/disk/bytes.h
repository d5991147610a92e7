#pragma once
// Explicit little- and big-endian loads from byte buffers. On-disk structures are never
// cast to structs: every field is read by offset.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace lazarine {

inline uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t le64(const uint8_t* p) {
    return static_cast<uint64_t>(le32(p)) | (static_cast<uint64_t>(le32(p + 4)) << 32);
}
inline uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline uint64_t be64(const uint8_t* p) {
    return (static_cast<uint64_t>(be32(p)) << 32) | be32(p + 4);
}

// UTF-16LE code units (at most `maxUnits`, ending at the first NUL) to UTF-8. Unpaired
// surrogates become U+FFFD.
std::string utf16leToUtf8(std::span<const uint8_t> bytes, size_t maxUnits);

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, uint32_t codePoint);

}  // namespace lazarine
