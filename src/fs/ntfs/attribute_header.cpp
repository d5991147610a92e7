#include "fs/ntfs/attribute_header.h"

#include "disk/bytes.h"
#include "fs/ntfs/mft_record_header.h"

namespace lazarine {

std::span<const uint8_t> AttributeHeader::content(std::span<const uint8_t> record) const {
    if (nonResident) return {};
    uint64_t begin = uint64_t{contentOffset};
    uint64_t end = begin + contentLength;
    if (begin > length || end > length || uint64_t{offset} + length > record.size()) return {};
    return record.subspan(offset + begin, contentLength);
}

std::span<const uint8_t> AttributeHeader::runList(std::span<const uint8_t> record) const {
    if (!nonResident || runListOffset >= length || uint64_t{offset} + length > record.size())
        return {};
    return record.subspan(offset + runListOffset, length - runListOffset);
}

uint64_t AttributeHeader::vcnCount() const {
    if (firstVcn < 0 || lastVcn < firstVcn) return 0;
    return static_cast<uint64_t>(lastVcn - firstVcn) + 1;
}

std::vector<AttributeHeader> walkAttributes(std::span<const uint8_t> record) {
    std::vector<AttributeHeader> out;
    if (record.size() < kRecordHeaderSize) return out;
    size_t pos = le16(record.data() + 0x14);
    while (pos + 8 <= record.size()) {
        const uint8_t* p = record.data() + pos;
        AttributeHeader a;
        a.offset = static_cast<uint32_t>(pos);
        a.type = le32(p);
        if (a.type == kAttrEnd) break;
        a.length = le32(p + 4);
        if (a.length < kResidentHeaderSize || a.length > record.size() - pos) break;
        a.nonResident = p[8];
        if (a.nonResident && a.length < kNonResidentHeaderSize) break;
        a.nameLength = p[9];
        a.nameOffset = le16(p + 0x0A);
        a.flags = le16(p + 0x0C);
        if (a.nonResident) {
            a.firstVcn = static_cast<int64_t>(le64(p + 0x10));
            a.lastVcn = static_cast<int64_t>(le64(p + 0x18));
            a.runListOffset = le16(p + 0x20);
            a.compressionUnit = le16(p + 0x22);
            a.allocatedSize = static_cast<int64_t>(le64(p + 0x28));
            a.realSize = static_cast<int64_t>(le64(p + 0x30));
        } else {
            a.contentLength = le32(p + 0x10);
            a.contentOffset = le16(p + 0x14);
        }
        out.push_back(a);
        pos += a.length;
    }
    return out;
}

}  // namespace lazarine
