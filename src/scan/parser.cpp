#include "scan/parser.h"

#include <unordered_set>

namespace lazarine {

std::vector<EntryId> entryChildren(FileSystemParser& parser, EntryId folder) {
    return folder == kRootEntry ? parser.rootEntries() : parser.children(folder);
}

bool isFolderEntry(FileSystemParser& parser, EntryId id) {
    return id == kRootEntry || parser.isFolder(id);
}

uint64_t countFilesBelow(FileSystemParser& parser, EntryId folder) {
    // Iterative, with a visited set: a corrupt volume may chain a folder into itself.
    uint64_t files = 0;
    std::vector<EntryId> pending{folder};
    std::unordered_set<EntryId> visited{folder};
    while (!pending.empty()) {
        EntryId current = pending.back();
        pending.pop_back();
        for (EntryId child : entryChildren(parser, current)) {
            if (parser.isFolder(child)) {
                if (parser.descendInto(child) && visited.insert(child).second)
                    pending.push_back(child);
            } else {
                ++files;
            }
        }
    }
    return files;
}

}  // namespace lazarine
