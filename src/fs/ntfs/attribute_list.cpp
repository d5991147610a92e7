#include "fs/ntfs/attribute_list.h"

#include "disk/bytes.h"
#include "fs/ntfs/attribute_header.h"

namespace lazarine {

std::vector<AttributeListEntry> walkAttributeList(std::span<const uint8_t> bytes) {
    std::vector<AttributeListEntry> out;
    size_t pos = 0;
    while (pos + kAttributeListEntryMinSize <= bytes.size()) {
        const uint8_t* p = bytes.data() + pos;
        AttributeListEntry e;
        e.type = le32(p);
        if (e.type == kAttrEnd) break;
        e.length = le16(p + 4);
        if (e.length < kAttributeListEntryMinSize || e.length > bytes.size() - pos) break;
        e.nameLength = p[6];
        e.startVcn = le64(p + 8);
        e.recordNumber = static_cast<uint64_t>(le32(p + 0x10)) |
                         (static_cast<uint64_t>(le16(p + 0x14)) << 32);
        out.push_back(e);
        pos += e.length;
    }
    return out;
}

}  // namespace lazarine
