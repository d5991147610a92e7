#include "fs/ntfs/mft_record_header.h"

#include <algorithm>
#include <cstring>

#include "disk/bytes.h"

namespace lazarine {

MftRecordHeader decodeMftRecordHeader(std::span<const uint8_t> r) {
    MftRecordHeader h;
    if (r.size() < kRecordHeaderSize) return h;
    std::memcpy(h.signature.data(), r.data(), 4);
    h.usaOffset = le16(r.data() + 0x04);
    h.usaCount = le16(r.data() + 0x06);
    h.sequenceNumber = le16(r.data() + 0x10);
    h.firstAttributeOffset = le16(r.data() + 0x14);
    h.flags = le16(r.data() + 0x16);
    h.bytesInUse = le32(r.data() + 0x18);
    h.baseRecord = le64(r.data() + 0x20);
    return h;
}

bool isRecordCandidate(std::span<const uint8_t> step) {
    if (step.size() < kRecordHeaderSize || std::memcmp(step.data(), "FILE", 4) != 0) return false;
    return le16(step.data() + 0x04) < 512 && le16(step.data() + 0x06) < 512 &&
           le16(step.data() + 0x14) < 512;
}

void ApplyFixups(std::span<uint8_t> record) {
    if (record.size() < kRecordHeaderSize) return;
    const size_t usaOffset = le16(record.data() + 0x04);
    const size_t usaCount = le16(record.data() + 0x06);
    const size_t sectors = std::min<size_t>(record.size() / 512, 128);
    // The replacement words are taken from the record as read, before any sector end is
    // rewritten, in case a damaged array overlaps a sector end.
    uint8_t words[2 * 128];
    size_t fixes = 0;
    for (size_t k = 1; k < usaCount && k <= sectors; ++k) {
        const size_t source = usaOffset + 2 * k;
        if (source + 2 > record.size()) break;
        words[2 * fixes] = record[source];
        words[2 * fixes + 1] = record[source + 1];
        ++fixes;
    }
    for (size_t k = 1; k <= fixes; ++k) {
        record[512 * k - 2] = words[2 * (k - 1)];
        record[512 * k - 1] = words[2 * (k - 1) + 1];
    }
}

}  // namespace lazarine
