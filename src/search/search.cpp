#include "search/search.h"

#include <regex>
#include <unordered_set>

#include "scan/display_format.h"

namespace lazarine {

namespace {

std::string trimEnd(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

struct SearchWalk {
    FileSystemParser& parser;
    const std::regex& pattern;
    Reporter& reporter;
    JobControl& control;
    const std::function<void(const SearchMatch&)>& onMatch;
    uint64_t fileCounter = 0;
    long long matches = 0;
    std::unordered_set<EntryId> visited;

    void test(EntryId entry, const std::string& folderPath) {
        std::string name = parser.name(entry);
        if (!std::regex_search(name, pattern)) return;
        onMatch(SearchMatch{folderPath + "\\" + name, entry});
        ++matches;
        reporter.setStatus(printfText("searched file %lld", matches));
    }

    // Returns false once a stop was requested.
    bool folder(EntryId id, const std::string& path) {
        for (EntryId entry : parser.children(id)) {
            if (control.shouldStop()) return false;
            reporter.setProgressPosition(static_cast<uint32_t>(fileCounter));
            if (parser.isFolder(entry)) {
                if (!parser.descendInto(entry) || !visited.insert(entry).second) continue;
                std::string name = parser.name(entry);
                std::string sub = name.empty() ? path : trimEnd(path) + "\\" + name;
                if (!folder(entry, sub)) return false;
            } else {
                ++fileCounter;
                test(entry, path);
            }
        }
        return true;
    }
};

}  // namespace

bool searchEntries(FileSystemParser& parser, const std::string& patternText, Reporter& reporter,
                   JobControl& control, const std::function<void(const SearchMatch&)>& onMatch,
                   const std::string& rootText) {
    if (!patternText.empty()) {
        std::regex pattern;
        try {
            pattern = std::regex(patternText,
                                 std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
        } catch (const std::regex_error&) {
            reporter.message(kBadPatternText);
            return false;
        }
        SearchWalk walk{parser, pattern, reporter, control, onMatch, 0, 0, {}};
        for (EntryId top : parser.rootEntries()) {
            if (control.shouldStop()) break;
            if (parser.hasChildren(top)) {
                // Only folders are searched inside; a file with children is skipped.
                if (!parser.isFolder(top)) continue;
                uint64_t count = countFilesBelow(parser, top);
                reporter.setProgressRange(0, static_cast<uint32_t>(count));
                walk.fileCounter = 0;
                walk.visited = {top};
                walk.folder(top, rootText + "\\" + parser.name(top));
                reporter.setProgressPosition(static_cast<uint32_t>(count));
            } else {
                walk.test(top, rootText);
            }
        }
    }
    reporter.message(kSearchFinishedText);
    reporter.setStatus(kSearchFinishedText);
    return true;
}

}  // namespace lazarine
