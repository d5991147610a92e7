#pragma once
// The header of an MFT file record and its update-sequence fix-up.
//
//   0x00  4 bytes  signature: "FILE" (a record), "BAAD" (marked bad), anything else
//   0x04  u16      offset of the update-sequence array
//   0x06  u16      entries in the update-sequence array, the sequence number included
//   0x10  u16      sequence number of the record
//   0x14  u16      offset of the first attribute
//   0x16  u16      flags: 0x0001 in use, 0x0002 directory
//   0x18  u32      bytes in use
//   0x20  u64      base record reference (0 in a base record)
//
// The update-sequence array holds the sequence number followed by the true last word of
// every 512-byte sector of the record; on disk those words carry the sequence number, so
// that a torn write can be detected.

#include <array>
#include <cstdint>
#include <span>

namespace lazarine {

inline constexpr uint32_t kRecordHeaderSize = 48;
inline constexpr uint16_t kRecordInUse = 0x0001;
inline constexpr uint16_t kRecordIsDirectory = 0x0002;

struct MftRecordHeader {
    std::array<char, 4> signature{};
    uint16_t usaOffset = 0;
    uint16_t usaCount = 0;
    uint16_t sequenceNumber = 0;
    uint16_t firstAttributeOffset = 0;
    uint16_t flags = 0;
    uint32_t bytesInUse = 0;
    uint64_t baseRecord = 0;

    bool isFile() const { return signature == std::array<char, 4>{'F', 'I', 'L', 'E'}; }
};

// A span shorter than the header gives an all-zero header (not a record).
MftRecordHeader decodeMftRecordHeader(std::span<const uint8_t> record);

// The search test for a 512-byte step of a raw volume: "FILE", and update-sequence
// offset, update-sequence count and first-attribute offset all below 512.
bool isRecordCandidate(std::span<const uint8_t> step);

// Puts the true last word back into every 512-byte sector of `record`, in place. The
// sequence number is not compared with the sector ends: a torn record is still worth
// recovering. Entries that would lie outside the record are ignored.
void ApplyFixups(std::span<uint8_t> record);

}  // namespace lazarine
