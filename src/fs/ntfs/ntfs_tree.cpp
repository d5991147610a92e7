// The folder tree of the NTFS parser: first-child / next-sibling chains built from the
// parent references while the records are parsed, ORPHAN_ENTRY, and what the result tree
// and file list ask of a record.

#include <ctime>

#include "fs/ntfs/ntfs.h"
#include "scan/display_format.h"

namespace lazarine {

namespace {
constexpr uint64_t kDeepDirectoryLimit = 100000;  // directories listed under ORPHAN_ENTRY
constexpr int64_t kFiletimeUnixEpoch = 11644473600;  // seconds from 1601 to 1970

std::optional<Timestamp> toTimestamp(uint64_t filetime) {
    if (filetime == 0) return std::nullopt;
    return Timestamp{static_cast<int64_t>(filetime / 10000000) - kFiletimeUnixEpoch,
                     static_cast<uint32_t>(filetime % 10000000) * 100};
}

std::string localText(uint64_t filetime) {
    time_t t = static_cast<time_t>(static_cast<int64_t>(filetime / 10000000) - kFiletimeUnixEpoch);
    tm local{};
    if (!localtime_r(&t, &local)) return {};
    return dateTimeText(LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                      local.tm_hour, local.tm_min, local.tm_sec});
}
}  // namespace

void ntfs::setFirstChild(uint64_t parent, uint64_t child) {
    if (child == 0) return;  // 0 means "none"
    MftEntryRecord& p = entryList_[parent];
    p.firstChild = child;
    p.lastChild = child;
    entryList_[child].linked = true;
}

// Called once per named record, right after its parse.
void ntfs::linkWhileParsing(uint64_t i) {
    const uint64_t n = entryList_.size();
    MftEntryRecord& e = entryList_[i];
    const uint64_t p = e.parentIndex;
    if (p < i) {
        // The parent was parsed already: it must be a directory.
        if (entryList_[p].kind != 'D') {
            e.orphaned = 1;
            return;
        }
        if (entryList_[p].firstChild == 0) setFirstChild(p, i);
        LinkChild(i);
        return;
    }
    e.nextSibling = 0;
    if (p >= n) {
        e.orphaned = 1;  // beyond the MFT (a truncated run list, or garbage)
        return;
    }
    if (p == i) {
        // Only the root names itself as parent; any other such record would be its own
        // child and is shown under ORPHAN_ENTRY instead.
        if (e.name != ".") e.orphaned = 1;
        return;
    }
    // The parent is not parsed yet; whether it is a directory is not known.
    if (entryList_[p].firstChild == 0) setFirstChild(p, i);
    LinkChild(i);
}

// Appends record i at the end of its parent's chain, at most once. The tail of every chain
// is kept, so this is constant time.
void ntfs::LinkChild(uint64_t i) {
    const uint64_t n = entryList_.size();
    if (i == 0 || i >= n) return;
    MftEntryRecord& e = entryList_[i];
    const uint64_t p = e.parentIndex;
    if (p >= n) return;
    if (p == 0) {
        // Record 0 cannot hold a chain: its first child is simply replaced.
        entryList_[0].firstChild = i;
        return;
    }
    MftEntryRecord& parent = entryList_[p];
    if (parent.firstChild == 0) {
        setFirstChild(p, i);
        return;
    }
    if (!entryList_[parent.firstChild].isFile()) return;
    if (parent.firstChild == i || p == i || e.linked) return;
    entryList_[parent.lastChild].nextSibling = static_cast<int64_t>(i);
    parent.lastChild = i;
    e.linked = true;
}

void ntfs::RelinkOrphans() {
    const uint64_t n = entryList_.size();
    if (reporter_) reporter_->setProgressRange(0, static_cast<uint32_t>(n));
    if (orphanIndex_ < 0) return;
    const uint64_t orphanAt = static_cast<uint64_t>(orphanIndex_);
    MftEntryRecord& orphan = entryList_[orphanAt];

    if (recoveryMode_ != 3) {
        // Newest first. Index 0 cannot be a child (0 means "none").
        bool first = true;
        for (uint64_t i = 1; i < n; ++i) {
            MftEntryRecord& r = entryList_[i];
            if (!r.orphaned) continue;
            if (first) {
                orphan.firstChild = i;
                r.parentIndex = orphanAt;
                r.nextSibling = -1;
                first = false;
            } else {
                r.nextSibling = static_cast<int64_t>(orphan.firstChild);
                orphan.firstChild = i;
            }
        }
        return;
    }

    // Deep mode: the parent references mean nothing (indices are discovery order).
    // ORPHAN_ENTRY lists the directories newest first; each holds the files found after it
    // and before the next directory, newest first. Files found before the first directory
    // follow the directories under ORPHAN_ENTRY.
    uint64_t current = orphanAt;
    uint64_t firstDirectory = 0;
    uint64_t laterDirectories = 0;
    uint64_t earlyFiles = 0;  // head of the chain of files found before any directory
    for (uint64_t i = 1; i < n; ++i) {
        if (i == orphanAt || static_cast<int64_t>(i) == rootIndex_) continue;
        MftEntryRecord& r = entryList_[i];
        r.firstChild = 0;
        r.lastChild = 0;
        r.parentIndex = 0;
        r.nextSibling = 0;
        if (r.kind == 'D' && firstDirectory == 0) {
            earlyFiles = orphan.firstChild;
            orphan.firstChild = i;
            r.parentIndex = orphanAt;
            r.nextSibling = -1;
            firstDirectory = i;
            current = i;
        } else if (r.kind == 'D' && laterDirectories < kDeepDirectoryLimit) {
            ++laterDirectories;
            r.parentIndex = orphanAt;
            r.nextSibling = static_cast<int64_t>(orphan.firstChild);
            orphan.firstChild = i;
            current = i;
        } else {
            MftEntryRecord& dir = entryList_[current];
            r.parentIndex = current;
            r.nextSibling = static_cast<int64_t>(dir.firstChild);
            dir.firstChild = i;
        }
    }
    if (firstDirectory != 0 && earlyFiles != 0)
        entryList_[firstDirectory].nextSibling = static_cast<int64_t>(earlyFiles);
}

bool ntfs::BuildRootItems() {
    rootItems_.clear();
    if (rootIndex_ < 0 || static_cast<uint64_t>(rootIndex_) >= entryList_.size()) return false;
    bool orphanMet = false;
    if (recoveryMode_ != 3) {
        for (EntryId id : children(static_cast<EntryId>(rootIndex_))) {
            rootItems_.push_back(id);
            if (static_cast<int64_t>(id) == orphanIndex_) orphanMet = true;
        }
    }
    if (!orphanMet && orphanIndex_ >= 0) rootItems_.push_back(static_cast<EntryId>(orphanIndex_));
    return true;
}

std::vector<EntryId> ntfs::rootEntries() { return rootItems_; }

std::vector<EntryId> ntfs::children(EntryId folder) {
    std::vector<EntryId> out;
    const uint64_t n = entryList_.size();
    if (folder >= n) return out;
    uint64_t c = entryList_[folder].firstChild;
    // Chains are built without loops; the step count still bounds a walk.
    for (uint64_t steps = 0; c > 0 && c < n && steps < n; ++steps) {
        if (c != folder) out.push_back(c);
        int64_t next = entryList_[c].nextSibling;
        if (next <= 0) break;
        c = static_cast<uint64_t>(next);
    }
    return out;
}

bool ntfs::hasChildren(EntryId folder) {
    if (folder >= entryList_.size()) return false;
    uint64_t c = entryList_[folder].firstChild;
    return c > 0 && c < entryList_.size() && c != folder;
}

bool ntfs::isValid(EntryId id) const { return id < entryList_.size() && entryList_[id].isFile(); }

std::string ntfs::name(EntryId id) const {
    return id < entryList_.size() ? entryList_[id].name : std::string();
}

bool ntfs::isFolder(EntryId id) const {
    return isValid(id) && id != 0 && entryList_[id].kind == 'D';
}

bool ntfs::isDeleted(EntryId id) const {
    return id < entryList_.size() && !(entryList_[id].recordFlags & kRecordInUse);
}

void ntfs::rename(EntryId id, std::string newName) {
    if (id >= entryList_.size()) return;
    entryList_[id].name = std::move(newName);
    entryList_[id].named = true;
}

bool ntfs::descendInto(EntryId id) { return name(id) != "."; }
bool ntfs::skipSave(EntryId id) { return name(id) == "$BadClus"; }

EntryColumns ntfs::NtfsDateColumns(const MftEntryRecord& record) {
    EntryColumns c;
    if (!record.onDisk) return c;  // ORPHAN_ENTRY has no record on disk
    NtfsTimes t = ReadTimesAndFlags(record.recordOffset);
    c.created = localText(t.created);
    c.accessed = localText(t.accessed);
    c.modified = localText(t.modified);
    c.attributes = t.attributeText;
    return c;
}

EntryColumns ntfs::columns(EntryId id) {
    if (!isValid(id)) return {};
    return NtfsDateColumns(entryList_[id]);
}

FileTimes ntfs::times(EntryId id) {
    FileTimes f;
    if (!isValid(id) || !entryList_[id].onDisk) return f;
    NtfsTimes t = ReadTimesAndFlags(entryList_[id].recordOffset);
    if (!t.hasTimes) return f;
    f.created = toTimestamp(t.created);
    f.modified = toTimestamp(t.modified);
    f.accessed = toTimestamp(t.accessed);
    return f;
}

std::string ntfs::SizeText(uint64_t index) { return lazarine::sizeText(fileSizeOf(index)); }
std::string ntfs::sizeText(EntryId id) { return SizeText(id); }
uint64_t ntfs::sizeBytes(EntryId id) { return fileSizeOf(id); }

}  // namespace lazarine
