#include "scan/recycle_bin.h"

#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "disk/bytes.h"
#include "platform/output_file.h"

namespace lazarine {

namespace {

// $I file layout: 0 version (64-bit: 1 up to Windows 8.1, 2 from Windows 10), 8 original
// size, 16 deletion time (FILETIME); version 1: 24 the path, UTF-16, zero-terminated in a
// fixed 520-byte field; version 2: 24 the path's length in characters (32-bit, with the
// terminator), 28 the path.
constexpr size_t kMaxInfoFileBytes = 2048;
constexpr size_t kVersion1PathOffset = 24;
constexpr size_t kVersion2LengthOffset = 24;
constexpr size_t kVersion2PathOffset = 28;

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::optional<std::vector<uint8_t>> readSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes;
    char chunk[512];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
        if (bytes.size() >= kMaxInfoFileBytes) return std::nullopt;
    }
    return bytes;
}

// Collects $I name -> original name for the entries of one folder, then renames the $R
// partners.
uint64_t restoreInFolder(FileSystemParser& parser, EntryId folder,
                         const std::filesystem::path& scratch, Reporter& reporter) {
    std::map<std::string, std::string> names;
    std::vector<EntryId> entries = parser.children(folder);
    for (EntryId entry : entries) {
        std::string name = parser.name(entry);
        if (!startsWith(name, "$I") || parser.isFolder(entry)) continue;
        // Information files are small; a large one is not worth copying out.
        if (parser.sizeBytes(entry) >= kMaxInfoFileBytes) continue;
        // The copy goes under a fixed name in a private folder: the name on disk is not
        // trusted as a file name.
        std::filesystem::path copy = scratch / "info";
        bool saved = parser.SaveEntry(entry, copy, reporter);
        std::optional<std::vector<uint8_t>> bytes;
        if (saved) bytes = readSmallFile(copy);
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        if (!bytes) continue;
        if (std::optional<std::string> original = recycledFileName(*bytes)) names[name] = *original;
    }
    uint64_t renamed = 0;
    for (const auto& [infoName, original] : names) {
        std::string dataName = replaceAll(infoName, "$I", "$R");
        for (EntryId entry : entries) {
            std::string name = parser.name(entry);
            if (!name.empty() && name == dataName) {
                parser.rename(entry, original);
                ++renamed;
            }
        }
    }
    return renamed;
}

}  // namespace

std::optional<std::string> recycledFileName(std::span<const uint8_t> info) {
    if (info.size() >= kMaxInfoFileBytes || info.size() < kVersion2PathOffset + 2)
        return std::nullopt;
    uint64_t version = le64(info.data());
    size_t offset = kVersion1PathOffset;
    size_t maxUnits = (info.size() - offset) / 2;
    if (version == 2) {
        offset = kVersion2PathOffset;
        uint32_t length = le32(info.data() + kVersion2LengthOffset);
        maxUnits = std::min<size_t>(length, (info.size() - offset) / 2);
    }
    std::string path = utf16leToUtf8(info.subspan(offset), maxUnits);
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos) path = path.substr(slash + 1);
    if (path.empty()) return std::nullopt;
    return path;
}

uint64_t RestoreRecycleBinNames(FileSystemParser& parser, Reporter& reporter) {
    RecycleLayout layout = parser.recycleLayout();
    if (layout == RecycleLayout::None) return 0;
    std::filesystem::path scratch = platform::makePrivateTempFolder("lazarine-recycle-");
    if (scratch.empty()) return 0;
    uint64_t renamed = 0;
    for (EntryId top : parser.rootEntries()) {
        std::string name = parser.name(top);
        if (!parser.isFolder(top) || (name != "$RECYCLE.BIN" && name != "$RECYCLEBIN")) continue;
        if (layout == RecycleLayout::Flat) {
            renamed += restoreInFolder(parser, top, scratch, reporter);
            continue;
        }
        for (EntryId user : parser.children(top)) {
            if (parser.isFolder(user)) renamed += restoreInFolder(parser, user, scratch, reporter);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return renamed;
}

}  // namespace lazarine
