#include "scan/save_walker.h"

#include <cctype>
#include <unordered_map>
#include <unordered_set>

#include "platform/output_file.h"
#include "scan/display_format.h"

namespace lazarine {

namespace {

// Linux allows 255 bytes per path component.
constexpr size_t kMaxComponentBytes = 255;
// Deeper folder chains are cut: no real volume nests this far, a corrupt one may.
constexpr int kMaxDepth = 512;

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// Cuts a UTF-8 text to at most `limit` bytes without splitting a character.
std::string cutUtf8(std::string text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

// Keeps the extension of a name that is too long for one path component.
std::string fitComponent(const std::string& name) {
    if (name.size() <= kMaxComponentBytes) return name;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && name.size() - dot <= 16 && dot > 0) {
        std::string ext = name.substr(dot);
        return cutUtf8(name.substr(0, dot), kMaxComponentBytes - ext.size()) + ext;
    }
    return cutUtf8(name, kMaxComponentBytes);
}

// Two entries of one folder may carry the same name (a deleted file and the live file
// that replaced it). Within one save the later ones get " (2)", " (3)" ... before the
// extension, so no recovered file overwrites another.
class NameClaims {
public:
    std::string claim(const std::string& name) {
        unsigned& uses = uses_[name];
        ++uses;
        if (uses == 1) return name;
        for (;;) {
            std::string candidate = withSuffix(name, uses);
            if (uses_.find(candidate) == uses_.end()) {
                uses_[candidate] = 1;
                return candidate;
            }
            ++uses;
        }
    }

private:
    static std::string withSuffix(const std::string& name, unsigned n) {
        std::string suffix = " (" + std::to_string(n) + ")";
        size_t dot = name.rfind('.');
        if (dot == std::string::npos || dot == 0) return fitComponent(name + suffix);
        return fitComponent(name.substr(0, dot) + suffix + name.substr(dot));
    }
    std::unordered_map<std::string, unsigned> uses_;
};

struct Walk {
    FileSystemParser& parser;
    Reporter& reporter;
    JobControl& control;
    SizeLabel* sizeLabel;
    std::unordered_set<EntryId> wanted;  // empty: everything
    bool filtered;
    uint64_t& counter;
    SaveTotals totals;
    std::unordered_set<EntryId> visited;

    // `created` tells whether `destination` exists already; in a filtered save folders
    // are made only when a wanted file goes into them.
    void folder(EntryId id, const std::filesystem::path& destination, bool created, int depth) {
        NameClaims names;
        for (EntryId child : entryChildren(parser, id)) {
            if (control.shouldStop()) {
                totals.stopped = true;
                return;
            }
            reporter.setProgressPosition(static_cast<uint32_t>(counter));
            if (parser.isFolder(child)) {
                if (!parser.descendInto(child) || depth >= kMaxDepth) continue;
                if (!visited.insert(child).second) continue;
                std::string raw(trimmed(parser.name(child)));
                if (raw.empty()) {
                    // A nameless folder's contents land beside it.
                    folder(child, destination, created, depth + 1);
                    continue;
                }
                std::filesystem::path sub = destination / names.claim(safeFileName(raw));
                bool made = !filtered && platform::makeFolder(sub);
                folder(child, sub, made, depth + 1);
            } else {
                file(child, destination, created, names);
            }
            if (totals.stopped) return;
        }
    }

    void file(EntryId id, const std::filesystem::path& destination, bool created,
              NameClaims& names) {
        if (filtered && wanted.find(id) == wanted.end()) return;
        ++counter;
        std::filesystem::path full = destination / names.claim(safeFileName(parser.name(id)));
        reporter.setStatus("saving File  " + full.string());
        if (sizeLabel != nullptr) {
            long kb = static_cast<long>(parser.sizeBytes(id) / 1024);
            sizeLabel->setSizeText(printfText("File size: %ld", kb) + " kb");
        }
        if (!parser.skipSave(id)) {
            if (!created) std::filesystem::create_directories(destination, ignored);
            if (parser.SaveEntry(id, full, reporter))
                ++totals.saved;
            else
                ++totals.failed;
        }
        if (sizeLabel != nullptr) sizeLabel->setSizeText("");
    }

    std::error_code ignored;
};

}  // namespace

std::string safeFileName(std::string_view name) {
    std::string out(trimmed(name));
    for (char& c : out) {
        // '/' separates folders on Linux; '\' is kept out because Windows-made names and
        // paths use it as a separator and the user may copy the files back there.
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    }
    if (out.empty()) return "_";
    if (out == ".") return "_.";
    if (out == "..") return "_..";
    return fitComponent(out);
}

SaveTotals saveFolder(FileSystemParser& parser, EntryId folder,
                      const std::filesystem::path& destination, uint64_t& counter,
                      Reporter& reporter, JobControl& control, SizeLabel* sizeLabel,
                      const std::vector<EntryId>* only) {
    Walk walk{parser, reporter, control, sizeLabel, {}, only != nullptr, counter, {}, {}, {}};
    if (only != nullptr) walk.wanted.insert(only->begin(), only->end());
    if (destination.empty()) return walk.totals;
    walk.visited.insert(folder);
    bool exists = platform::makeFolder(destination);
    walk.folder(folder, destination, exists, 0);
    return walk.totals;
}

SaveTotals saveSelectedFolder(FileSystemParser& parser, EntryId folder,
                              const std::filesystem::path& outputFolder, Reporter& reporter,
                              JobControl& control, SizeLabel* sizeLabel,
                              const std::vector<EntryId>* only) {
    if (outputFolder.empty()) {
        reporter.message(kSelectOutputFolderText);
        return {};
    }
    if (!isFolderEntry(parser, folder)) return {};
    uint64_t count = only != nullptr ? only->size() : countFilesBelow(parser, folder);
    reporter.setProgressRange(0, static_cast<uint32_t>(count));
    if (!reporter.ask(printfText("number of files found inside this folder = %lld .do u want "
                                 "to continue dumping these files..?",
                                 static_cast<long long>(count))))
        return {};
    uint64_t counter = 0;
    SaveTotals totals =
        saveFolder(parser, folder, outputFolder, counter, reporter, control, sizeLabel, only);
    reporter.setProgressPosition(static_cast<uint32_t>(count));
    reporter.message(kWorkDoneText);
    return totals;
}

bool saveSingleFile(FileSystemParser& parser, EntryId file,
                    const std::filesystem::path& outputFolder, Reporter& reporter) {
    if (outputFolder.empty()) {
        reporter.message(kSelectOutputFolderText);
        return false;
    }
    if (!parser.isValid(file) || parser.isFolder(file)) return false;
    platform::makeFolder(outputFolder);
    return parser.SaveEntry(file, outputFolder / safeFileName(parser.name(file)), reporter);
}

}  // namespace lazarine
