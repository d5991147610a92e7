#pragma once
// An in-memory file system behind the parser interface, for the code that is written once
// over it (saving, search, recycle-bin names).

#include <fstream>
#include <string>
#include <vector>

#include "scan/parser.h"

namespace lazarine::testing {

class FakeParser final : public FileSystemParser {
public:
    struct Entry {
        std::string name;
        bool folder = false;
        bool deleted = false;
        std::string data;
        std::vector<EntryId> children;
    };

    // Adds an entry under `parent` (kRootEntry for the top level); returns its id.
    EntryId add(EntryId parent, std::string name, bool folder, std::string data = {},
                bool deleted = false) {
        EntryId id = entries.size();
        entries.push_back(Entry{std::move(name), folder, deleted, std::move(data), {}});
        (parent == kRootEntry ? roots : entries[parent].children).push_back(id);
        return id;
    }
    EntryId folder(EntryId parent, std::string name) { return add(parent, std::move(name), true); }
    EntryId file(EntryId parent, std::string name, std::string data = "x", bool deleted = false) {
        return add(parent, std::move(name), false, std::move(data), deleted);
    }

    bool scan(const ScanRequest&, Reporter&, JobControl&) override { return true; }
    std::vector<EntryId> rootEntries() override { return roots; }
    std::vector<EntryId> children(EntryId id) override { return entries.at(id).children; }
    bool hasChildren(EntryId id) override { return !entries.at(id).children.empty(); }
    bool isValid(EntryId id) const override { return id < entries.size(); }
    std::string name(EntryId id) const override { return entries.at(id).name; }
    bool isFolder(EntryId id) const override { return entries.at(id).folder; }
    bool isDeleted(EntryId id) const override { return entries.at(id).deleted; }
    EntryColumns columns(EntryId) override { return {"c", "a", "m", "-A"}; }
    std::string sizeText(EntryId id) override { return std::to_string(sizeBytes(id)); }
    uint64_t sizeBytes(EntryId id) override { return entries.at(id).data.size(); }
    FileTimes times(EntryId) override { return {}; }
    bool SaveEntry(EntryId id, const std::filesystem::path& path, Reporter&) override {
        saved.push_back(path);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << entries.at(id).data;
        return static_cast<bool>(out);
    }
    void rename(EntryId id, std::string newName) override { entries.at(id).name = std::move(newName); }
    RecycleLayout recycleLayout() const override { return layout; }

    std::vector<Entry> entries;
    std::vector<EntryId> roots;
    std::vector<std::filesystem::path> saved;
    RecycleLayout layout = RecycleLayout::PerUserFolders;
};

// A fresh empty folder below the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The whole content of a file.
std::string readFile(const std::filesystem::path& path);

}  // namespace lazarine::testing
