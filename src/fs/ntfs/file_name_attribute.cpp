#include "fs/ntfs/file_name_attribute.h"

#include <algorithm>

#include "disk/bytes.h"

namespace lazarine {

std::optional<FileNameAttribute> decodeFileName(std::span<const uint8_t> c) {
    if (c.size() < kFileNameHeaderSize) return std::nullopt;
    FileNameAttribute f;
    f.parentReference = le64(c.data());
    f.allocatedSize = le64(c.data() + 0x28);
    f.realSize = le64(c.data() + 0x30);
    f.fileAttributes = le32(c.data() + 0x38);
    f.nameLength = c[0x40];
    f.nameSpace = c[0x41];
    size_t units = std::min<size_t>(f.nameLength, (c.size() - kFileNameHeaderSize) / 2);
    f.name = utf16leToUtf8(c.subspan(kFileNameHeaderSize, units * 2), units);
    return f;
}

std::string attributeText(uint16_t flags) {
    static constexpr struct {
        uint16_t bit;
        const char* text;
    } kOrder[] = {{0x0001, "-R"}, {0x0002, "-H"}, {0x0200, "-S"},
                  {0x0020, "-A"}, {0x0800, "-C"}, {0x4000, "-E"}};
    std::string out;
    for (const auto& f : kOrder)
        if (flags & f.bit) out += f.text;
    return out;
}

}  // namespace lazarine
