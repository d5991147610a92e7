#pragma once
// The one interface through which scanning, saving, search and recycle-bin restoration
// reach a file-system parser. Each parser keeps its own records (MFT records, FAT
// directory entries, inodes, catalog entries); an EntryId is the parser's index of one
// record and means nothing to any other parser.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "disk/reader.h"
#include "disk/volume_row.h"
#include "scan/job_control.h"

namespace lazarine {

using EntryId = uint64_t;

// Stands for the volume's top level (the "ROOT" item), whose children are rootEntries().
inline constexpr EntryId kRootEntry = ~EntryId{0};

// The four list columns a parser formats itself.
struct EntryColumns {
    std::string created;
    std::string accessed;
    std::string modified;
    std::string attributes;
};

// An instant, as seconds and nanoseconds since 1970-01-01 00:00 UTC.
struct Timestamp {
    int64_t seconds = 0;
    uint32_t nanoseconds = 0;
    bool operator==(const Timestamp&) const = default;
};

// The three times a file system keeps; a missing one is not restored.
struct FileTimes {
    std::optional<Timestamp> created;
    std::optional<Timestamp> modified;
    std::optional<Timestamp> accessed;
};

// What the recovery-mode and advanced input pages chose.
struct ScanRequest {
    int recoveryMode = 1;         // 1 Standard, 2 Advanced, 3 Deep
    int candidate = 0;            // Advanced: index of the chosen candidate
    int sectorsPerCluster = 0;    // Advanced: positive overrides the cluster size
    int maxCandidates = 3;        // Advanced: how many candidates the search collects
    bool driveFormatted = false;  // "Is Drive Formated..?"
};

// How a recycle bin is laid out on this file system: NTFS keeps one sub-folder per user
// account below $RECYCLE.BIN, FAT32 and exFAT keep the $I/$R pairs in it directly.
enum class RecycleLayout { None, PerUserFolders, Flat };

class FileSystemParser {
public:
    virtual ~FileSystemParser() = default;

    // Runs the parser's steps of its scan job on the bound reader. Returns false when the
    // volume failed the job's first check; `failureText` then says what to show.
    virtual bool scan(const ScanRequest& request, Reporter& reporter, JobControl& control) = 0;
    virtual std::string failureText() const { return {}; }

    // The entries shown directly under "ROOT", in tree order.
    virtual std::vector<EntryId> rootEntries() = 0;
    // A folder's children in the parser's order (loop-guarded by the parser).
    virtual std::vector<EntryId> children(EntryId folder) = 0;
    virtual bool hasChildren(EntryId folder) = 0;

    virtual bool isValid(EntryId id) const = 0;
    virtual std::string name(EntryId id) const = 0;
    // The folder test of saving and search.
    virtual bool isFolder(EntryId id) const = 0;
    virtual bool isDeleted(EntryId id) const = 0;

    virtual EntryColumns columns(EntryId id) = 0;
    virtual std::string sizeText(EntryId id) = 0;
    virtual uint64_t sizeBytes(EntryId id) = 0;
    virtual FileTimes times(EntryId id) = 0;

    // Writes the entry's data to `fullPath` (replacing a file of that name) and restores
    // its times. False when the file could not be written.
    virtual bool SaveEntry(EntryId id, const std::filesystem::path& fullPath,
                           Reporter& reporter) = 0;
    virtual void rename(EntryId id, std::string newName) = 0;

    // Walker hooks: a folder the save and search walks must not descend ("." on NTFS),
    // and a file that is counted but not written ("$BadClus" on NTFS).
    virtual bool descendInto(EntryId) { return true; }
    virtual bool skipSave(EntryId) { return false; }
    // NTFS hands a folder's tick state to the children inserted under it; the others
    // insert them unticked.
    virtual bool childrenInheritTick() const { return false; }
    virtual RecycleLayout recycleLayout() const { return RecycleLayout::None; }
};

// Children of `folder`, or the root entries for kRootEntry.
std::vector<EntryId> entryChildren(FileSystemParser& parser, EntryId folder);

// True for kRootEntry and for every entry that passes the parser's folder test.
bool isFolderEntry(FileSystemParser& parser, EntryId id);

// Files below `folder` (or kRootEntry) at all depths; folders are descended, not counted.
uint64_t countFilesBelow(FileSystemParser& parser, EntryId folder);

}  // namespace lazarine
