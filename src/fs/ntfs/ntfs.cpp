#include "fs/ntfs/ntfs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "disk/bytes.h"
#include "fs/ntfs/file_name_attribute.h"
#include "fs/ntfs/standard_information.h"
#include "scan/display_format.h"

namespace lazarine {

namespace {

constexpr uint64_t kChunkBytes = 10ull << 20;    // the whole-volume searches read 10 MiB at a time
constexpr size_t kBatchBytes = 4u << 20;         // MFT reads are batched up to 4 MiB
constexpr uint64_t kMaxRecords = 1ull << 28;     // no volume holds more MFT records than this

enum class Step { NotRecord, Record, Finish };

bool startsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

ntfs::ntfs(readWriteInterface& reader, const VolumeRow& volume)
    : reader_(reader), volume_(volume) {}

std::unique_ptr<FileSystemParser> createNtfsParser(readWriteInterface& reader,
                                                   const VolumeRow& volume) {
    return std::make_unique<ntfs>(reader, volume);
}

// ---------------------------------------------------------------------------------------
// Helpers

void ntfs::status(const std::string& text) {
    if (reporter_) reporter_->setStatus(text);
}

bool ntfs::stopping() { return control_ && control_->shouldStop(); }

std::vector<uint8_t> ntfs::readBytes(uint64_t offset, size_t count) {
    if (offset > static_cast<uint64_t>(INT64_MAX)) return {};
    std::vector<uint8_t> buf(count, 0);
    size_t got = reader_.ReadAt(static_cast<int64_t>(offset), buf.data(), count);
    if (got == 0) return {};
    return buf;
}

// The part of `bytes` that the device actually holds after the partition start: a
// damaged size field must not send a search through terabytes of nothing.
uint64_t ntfs::scanLimit(uint64_t bytes) const {
    uint64_t device = reader_.sizeBytes();
    if (device == 0) return bytes;
    uint64_t base = reader_.baseOffset > 0 ? static_cast<uint64_t>(reader_.baseOffset) : 0;
    uint64_t available = device > base ? device - base : 0;
    return std::min(bytes, available);
}

uint64_t ntfs::volumeClusters() const {
    uint64_t cs = clusterSize_ ? clusterSize_ : kDefaultClusterSize;
    uint64_t bytes = scanLimit(volumeBytes_ ? volumeBytes_ : UINT64_MAX);
    return bytes == UINT64_MAX ? 0 : bytes / cs;
}

// The volume size the partition list shows: the exact sector count when known, else the
// leading integer of the size text in MiB.
uint64_t ntfs::sizeTextBytes() const {
    if (volume_.sectorCount != 0) return volume_.sectorCount * kSectorSize;
    uint64_t mib = std::strtoull(volume_.sizeText.c_str(), nullptr, 10);
    if (mib > (UINT64_MAX >> 20)) return 0;
    return mib << 20;
}

void ntfs::clusterSizeFromBoot() {
    uint64_t bytes = boot_.oemIsNtfs ? boot_.clusterBytes() : 0;
    clusterSize_ = bytes ? bytes : kDefaultClusterSize;
}

void ntfs::resetRecords() {
    entryList_.clear();
    rootItems_.clear();
    orphanIndex_ = -1;
    rootIndex_ = 5;
}

void ntfs::appendRecord(std::span<const uint8_t> firstBytes, uint64_t offset) {
    MftEntryRecord r;
    if (firstBytes.size() >= 4) std::memcpy(r.signature.data(), firstBytes.data(), 4);
    r.recordOffset = offset;
    r.selfIndex = entryList_.size();
    entryList_.push_back(std::move(r));
}

// Walks [0, limit) in 10 MiB chunks and 512-byte steps. `onStep(offset, bytes)` says
// whether the step held a record (the next step then starts one record further) or the
// search is over. A chunk that cannot be read is passed over.
template <typename OnStep>
void ntfs::scanChunks(uint64_t limit, bool progressEvery100, OnStep onStep) {
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kChunkBytes, limit)));
    uint64_t c = 0;
    for (uint64_t start = 0; start < limit; start += kChunkBytes, ++c) {
        if (stopping()) return;
        if (reporter_ && (!progressEvery100 || c % 100 == 0))
            reporter_->setProgressPosition(static_cast<uint32_t>(c));
        size_t want = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, limit - start));
        size_t got = reader_.ReadAt(static_cast<int64_t>(start), chunk.data(), want);
        if (got == 0) continue;
        std::fill(chunk.begin() + static_cast<ptrdiff_t>(got), chunk.end(), 0);
        size_t pos = 0;
        while (pos + kSectorSize <= got) {
            if (stopping()) return;
            Step s = onStep(start + pos, std::span<const uint8_t>(chunk.data() + pos, kSectorSize));
            if (s == Step::Finish) return;
            pos += s == Step::Record ? recordSize_ : kSectorSize;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Volume and MFT

bool ntfs::ReadBootSector() {
    bootBuffer_ = readBytes(0, kSectorSize);
    if (bootBuffer_.empty()) bootBuffer_.assign(kSectorSize, 0);
    boot_ = decodeNtfsBootSector(bootBuffer_);
    if (boot_.oemIsNtfs) {
        // The factor is 512, not the bytes-per-sector field.
        volumeBytes_ = boot_.totalSectors > (UINT64_MAX / kSectorSize)
                           ? UINT64_MAX
                           : boot_.totalSectors * kSectorSize;
    } else {
        volumeBytes_ = sizeTextBytes();
    }
    // A damaged boot sector gives no record size; 1024 bytes is what nearly every volume
    // uses.
    uint32_t rs = boot_.oemIsNtfs ? boot_.recordBytes() : 0;
    recordSize_ = rs ? rs : kDefaultRecordSize;
    return volumeBytes_ != 0;
}

bool ntfs::LocateMft() {
    clusterSizeFromBoot();
    if (boot_.oemIsNtfs) {
        mftLocated_ = true;
        if (__builtin_mul_overflow(boot_.mftCluster, clusterSize_, &mftOffset_)) return true;
        status("boot sector is fine.Getting run of mft entry...");
        mftRuns_ = ReadRunList(mftOffset_, kAttrData);
        status("Got run...");
        mftRunPending_ = false;
        return true;
    }

    status("boot sector corrupt.Scanning for first mft entry...");
    clusterSize_ = kDefaultClusterSize;
    mftLocated_ = false;
    mftOffset_ = 0;
    if (reporter_) reporter_->setProgressRange(0, static_cast<uint32_t>(volumeBytes_ / kChunkBytes));
    bool found = false;
    scanChunks(scanLimit(volumeBytes_), true, [&](uint64_t offset, std::span<const uint8_t> step) {
        if (std::memcmp(step.data(), "FILE", 4) != 0) return Step::NotRecord;
        appendRecord(step, offset);
        uint64_t index = entryList_.size() - 1;
        ParseRecordAt(offset, index);
        const MftEntryRecord& r = entryList_[index];
        if (mftNameCheck_ && r.named && startsWith(r.name, "$MF")) {
            status("found mft entry.getting its run ...");
            std::vector<ClusterRun> runs = ReadRunList(offset, kAttrData);
            status("got run ...");
            if (!runs.empty()) {
                mftRuns_ = std::move(runs);
                mftLocated_ = true;
                mftRunPending_ = false;
                resetRecords();
                found = true;
                return Step::Finish;
            }
        }
        return Step::Record;
    });
    return found;
}

void ntfs::EnumerateMftRecords() {
    if (!mftLocated_ || stopping()) return;
    if (clusterSize_ == 0) clusterSize_ = kDefaultClusterSize;
    if (mftRunPending_ && !entryList_.empty()) {
        status("getting run of mft...");
        mftRuns_ = ReadRunList(entryList_[0].recordOffset, kAttrData);
        status("got run...");
        mftRunPending_ = false;
    }
    resetRecords();

    // The MFT is the concatenation of its runs, cut into records; slot k is record k, so
    // that a parent reference can be used as an index.
    const uint64_t rs = recordSize_;
    uint64_t cap = scanLimit(volumeBytes_) / rs;
    cap = std::min(cap == 0 ? kMaxRecords : cap, kMaxRecords);
    std::vector<uint8_t> batch;
    uint64_t streamPos = 0;  // bytes of the MFT before the current run
    for (const ClusterRun& run : mftRuns_) {
        status(printfText("parsing %lld cluster of MFT run.", static_cast<long long>(run.startCluster)));
        if (stopping()) return;
        uint64_t runBytes = 0;
        if (__builtin_mul_overflow(run.clusterCount, clusterSize_, &runBytes)) runBytes = UINT64_MAX;
        uint64_t firstSlot = (streamPos + rs - 1) / rs;
        uint64_t runEnd = runBytes > UINT64_MAX - streamPos ? UINT64_MAX : streamPos + runBytes;
        uint64_t diskStart = 0;
        if (__builtin_mul_overflow(static_cast<uint64_t>(run.startCluster), clusterSize_, &diskStart))
            break;
        for (uint64_t slot = firstSlot; slot * rs < runEnd && entryList_.size() < cap;) {
            if (stopping()) return;
            uint64_t inRun = slot * rs - streamPos;
            uint64_t slots = std::min<uint64_t>((runEnd - slot * rs + rs - 1) / rs, kBatchBytes / rs);
            slots = std::min(slots, cap - entryList_.size());
            if (run.sparse) {
                // No clusters behind these slots: keep them so that the numbering holds.
                for (uint64_t k = 0; k < slots; ++k) {
                    appendRecord({}, 0);
                    entryList_.back().onDisk = false;
                }
            } else {
                batch.assign(slots * rs, 0);
                uint64_t at = diskStart + inRun;
                reader_.ReadAt(static_cast<int64_t>(at), batch.data(), batch.size());
                for (uint64_t k = 0; k < slots; ++k)
                    appendRecord(std::span<const uint8_t>(batch.data() + k * rs, 4), at + k * rs);
            }
            slot += slots;
        }
        streamPos = runEnd;
        if (entryList_.size() >= cap) break;
    }
}

std::vector<ClusterRun> ntfs::ReadRunList(uint64_t recordOffset, uint32_t type) {
    std::vector<uint8_t> bytes = readBytes(recordOffset, recordSize_);
    std::vector<ClusterRun> runs;
    if (bytes.empty()) return runs;
    ApplyFixups(bytes);
    for (const AttributeHeader& a : walkAttributes(bytes)) {
        if (a.type != type || !a.nonResident) continue;
        if (type == kAttrData && a.nameLength != 0) continue;  // named streams are not the file
        auto more = decodeRunList(a.runList(bytes), {a.vcnCount(), volumeClusters()});
        runs.insert(runs.end(), more.begin(), more.end());
    }
    return runs;
}

// ---------------------------------------------------------------------------------------
// Records

void ntfs::ParseRecordAt(uint64_t recordOffset, uint64_t index) {
    if (index >= entryList_.size()) return;
    std::vector<uint8_t> bytes = readBytes(recordOffset, recordSize_);
    if (bytes.empty()) return;  // the record keeps what enumeration gave it
    parseRecordBytes(bytes, index);
}

void ntfs::parseRecordBytes(std::span<uint8_t> bytes, uint64_t index) {
    ApplyFixups(bytes);
    MftRecordHeader header = decodeMftRecordHeader(bytes);
    MftEntryRecord& rec = entryList_[index];
    bool gotName = false;
    uint64_t parent = 0;
    FileNameAttribute chosen;
    for (const AttributeHeader& a : walkAttributes(bytes)) {
        if (a.type != kAttrFileName || a.nonResident) continue;
        auto fn = decodeFileName(a.content(bytes));
        if (!fn) continue;
        if (fn->isDirectory()) rec.kind = 'D';
        if (!gotName) {
            // The parent comes from the first $FILE_NAME.
            parent = fn->parentRecord();
            chosen = std::move(*fn);
            gotName = true;
        } else if (!fn->isDosOnly() || chosen.isDosOnly()) {
            // A later long name replaces an earlier one; a DOS 8.3 name never replaces a
            // long one.
            chosen = std::move(*fn);
        }
    }
    if (!gotName) {
        rec.recordFlags = header.flags;
        return;
    }
    // An extension record (its header names a base record) can hold the file's
    // $FILE_NAME when the base record ran out of room: the name belongs to the base
    // record, which holds the times and the attribute list. Outside Deep mode an index is
    // the record number, so the base can be found.
    uint64_t target = index;
    uint64_t base = header.baseRecord & 0x0000FFFFFFFFFFFFull;
    if (base != 0 && base != index && recoveryMode_ != 3 && base < entryList_.size() &&
        !entryList_[base].named) {
        target = base;
    }
    MftEntryRecord& owner = entryList_[target];
    if (target != index) {
        owner.kind = rec.kind;
        rec.kind = 0;
        if (base > index) owner.recordFlags = header.flags;
    } else {
        owner.recordFlags = header.flags;
    }
    owner.name = std::move(chosen.name);
    owner.named = true;
    owner.allocatedSize = chosen.allocatedSize;
    owner.parentIndex = parent;
    linkWhileParsing(target);
}

LoadedRecord ntfs::LoadRecord(uint64_t index) {
    LoadedRecord r;
    r.index = index;
    if (index >= entryList_.size() || !entryList_[index].onDisk) return r;
    r.recordOffset = entryList_[index].recordOffset;
    r.bytes = readBytes(r.recordOffset, recordSize_);
    if (r.bytes.empty()) return r;
    ApplyFixups(r.bytes);
    r.header = decodeMftRecordHeader(r.bytes);
    r.attributes = walkAttributes(r.bytes);
    r.valid = r.header.isFile();
    for (const AttributeHeader& a : r.attributes)
        if (a.type == kAttrAttributeList) r.attributeList = true;
    return r;
}

DataAttributeInfo ntfs::ReadDataAttributeInfo(const LoadedRecord& record) const {
    DataAttributeInfo info;
    for (const AttributeHeader& a : record.attributes) {
        // Only the unnamed stream is the file's data; named streams (such as a
        // download-zone marker) are not.
        if (a.type != kAttrData || a.nameLength != 0) continue;
        bool compressed = false;
        if (a.nonResident) {
            info.dataPosition = a.runListOffset;
            info.dataLength = a.runListOffset <= a.length ? a.length - a.runListOffset : 0;
            info.firstVcn = a.firstVcn;
            info.lastVcn = a.lastVcn;
            info.compressionUnit = a.compressionUnit;
            info.realSize = a.realSize;
            info.allocatedSize = a.allocatedSize;
            info.residency = 'N';
            compressed = a.flags == 0x0001;
        } else {
            info.dataPosition = a.offset + a.contentOffset;
            info.dataLength = a.contentLength;
            info.residency = 'R';
            compressed = a.flags == 0x0800;
        }
        info.flags = a.flags;
        info.kindText = nullptr;
        if (compressed) info.kindText = "Compressed";
        else if (a.flags == kAttrFlagEncrypted) info.kindText = "Encrypted";
        else if (a.flags == 0) info.kindText = "Normal";
        if (a.nonResident) break;  // the first non-resident $DATA ends the walk
    }
    return info;
}

NtfsTimes ntfs::ReadTimesAndFlags(uint64_t recordOffset) {
    NtfsTimes t;
    std::vector<uint8_t> bytes = readBytes(recordOffset, recordSize_);
    if (bytes.empty()) return t;
    ApplyFixups(bytes);
    for (const AttributeHeader& a : walkAttributes(bytes)) {
        if (a.nonResident) continue;
        if (a.type == kAttrStandardInformation) {
            if (auto si = decodeStandardInformation(a.content(bytes))) {
                t.created = si->created;
                t.modified = si->modified;
                t.accessed = si->accessed;
                t.hasTimes = true;
            }
        } else if (a.type == kAttrFileName) {
            if (auto fn = decodeFileName(a.content(bytes)))
                t.attributeText = attributeText(static_cast<uint16_t>(fn->fileAttributes));
        }
    }
    return t;
}

std::vector<AttributeListEntry> ntfs::dataListEntries(const LoadedRecord& record) {
    std::vector<AttributeListEntry> out;
    for (const AttributeHeader& a : record.attributes) {
        if (a.type != kAttrAttributeList) continue;
        std::vector<uint8_t> bytes = readAttributeListBytes(record, a);
        for (const AttributeListEntry& e : walkAttributeList(bytes))
            if (e.type == kAttrData && e.nameLength == 0) out.push_back(e);
        break;
    }
    return out;
}

std::vector<uint64_t> ntfs::CollectExtensionRecords(const LoadedRecord& record) {
    std::vector<uint64_t> numbers;
    for (const AttributeListEntry& e : dataListEntries(record))
        if (numbers.empty() || numbers.back() != e.recordNumber) numbers.push_back(e.recordNumber);
    return numbers;
}

// ---------------------------------------------------------------------------------------
// Scans

void ntfs::ParseAllRecords() {
    if (mftLocated_ && !stopping()) {
        const uint64_t n = entryList_.size();
        if (reporter_) reporter_->setProgressRange(0, static_cast<uint32_t>(n));
        std::vector<uint8_t> batch;
        uint64_t batchStart = 0;  // first record index held in `batch`
        uint64_t batchCount = 0;
        const uint64_t rs = recordSize_;
        for (uint64_t i = 0; i < n; ++i) {
            status(printfText("parsing MFT entry %llu...", static_cast<unsigned long long>(i)));
            if (reporter_) reporter_->setProgressPosition(static_cast<uint32_t>(i));
            if (!entryList_[i].onDisk) continue;
            if (i >= batchStart + batchCount) {
                // Read this record and those that follow it contiguously on disk at once.
                uint64_t first = entryList_[i].recordOffset;
                uint64_t count = 1;
                while (i + count < n && count < kBatchBytes / rs &&
                       entryList_[i + count].onDisk &&
                       entryList_[i + count].recordOffset == first + count * rs)
                    ++count;
                batch.assign(count * rs, 0);
                size_t got = reader_.ReadAt(static_cast<int64_t>(first), batch.data(), batch.size());
                batchStart = i;
                batchCount = count;
                if (got == 0) batchCount = 0;
            }
            if (i < batchStart + batchCount) {
                std::vector<uint8_t> one(batch.begin() + static_cast<ptrdiff_t>((i - batchStart) * rs),
                                         batch.begin() + static_cast<ptrdiff_t>((i - batchStart + 1) * rs));
                parseRecordBytes(one, i);
            }
            if (stopping()) break;
        }
    }

    // ORPHAN_ENTRY, the root, then the relinking and the top level.
    MftEntryRecord orphan;
    orphan.signature = {'F', 'I', 'L', 'E'};
    orphan.name = kOrphanEntryName;
    orphan.named = true;
    orphan.kind = 'D';
    orphan.onDisk = false;
    orphan.selfIndex = entryList_.size();
    orphanIndex_ = static_cast<int64_t>(orphan.selfIndex);
    entryList_.push_back(orphan);

    const uint64_t n = entryList_.size();
    rootIndex_ = static_cast<int64_t>(n);
    for (uint64_t i = 0; i + 1 < n; ++i) {
        if (entryList_[i].named && entryList_[i].name == ".") {
            rootIndex_ = static_cast<int64_t>(i);
            break;
        }
    }
    if (rootIndex_ != 0 && static_cast<uint64_t>(rootIndex_) < n) {
        MftEntryRecord& o = entryList_[orphanIndex_];
        MftEntryRecord& root = entryList_[rootIndex_];
        o.parentIndex = static_cast<uint64_t>(rootIndex_);
        o.nextSibling = 0;
        o.recordFlags = kRecordInUse;
        // ORPHAN_ENTRY becomes the root's last child.
        if (root.firstChild != 0) {
            entryList_[root.lastChild].nextSibling = orphanIndex_;
            root.lastChild = static_cast<uint64_t>(orphanIndex_);
        }
    }
    RelinkOrphans();
    BuildRootItems();
}

size_t ntfs::SearchMftCandidates(int maximum, Reporter& reporter, JobControl& control) {
    reporter_ = &reporter;
    control_ = &control;
    clusterSizeFromBoot();
    mftLocated_ = false;
    mftOffset_ = 0;
    // The size the partition list shows, not the boot sector's.
    volumeBytes_ = sizeTextBytes();
    if (volumeBytes_ == 0) return mftCandidates_.size();
    const uint64_t chunks = volumeBytes_ / kChunkBytes;
    reporter.setProgressRange(0, static_cast<uint32_t>(chunks));
    const uint64_t limit = scanLimit(volumeBytes_ > 1024 ? volumeBytes_ - 1024 : 0);
    bool found = false;
    std::string candidateText;
    uint64_t chunkOfLastStep = UINT64_MAX;
    scanChunks(limit, false, [&](uint64_t offset, std::span<const uint8_t> step) {
        // The maximum is checked only at chunk boundaries.
        uint64_t chunk = offset / kChunkBytes;
        if (chunk != chunkOfLastStep) {
            chunkOfLastStep = chunk;
            if (found && mftCandidates_.size() >= static_cast<size_t>(std::max(maximum, 0)))
                return Step::Finish;
        }
        if (!isRecordCandidate(step)) return Step::NotRecord;
        appendRecord(step, offset);
        status(candidateText);
        uint64_t index = entryList_.size() - 1;
        ParseRecordAt(offset, index);
        const MftEntryRecord& r = entryList_[index];
        if (r.named && startsWith(r.name, "$Boot") && entryList_.size() >= 8) {
            // $Boot is record 7: a healthy MFT's record 0 lies seven records before it.
            const MftEntryRecord& m = entryList_[entryList_.size() - 8];
            if (m.named && startsWith(m.name, "$MFT") && (m.name.size() < 5 || m.name[4] != 'M')) {
                mftCandidates_.push_back(m);
                found = true;
                candidateText = printfText("MFT ENTRY %d Found.Parsing it ...",
                                           static_cast<int>(entryList_.size()));
            }
        }
        return Step::Record;
    });
    mftNameCheck_ = false;
    reporter.setProgressPosition(static_cast<uint32_t>(chunks));
    return mftCandidates_.size();
}

std::vector<std::string> ntfs::candidateTexts() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < mftCandidates_.size(); ++i)
        out.push_back(printfText("MFT_ENTRY:%d", static_cast<int>(i)));
    return out;
}

bool ntfs::UseMftCandidate(int choice) {
    mftLocated_ = false;
    if (choice >= 0 && static_cast<size_t>(choice) < mftCandidates_.size())
        mftRuns_ = ReadRunList(mftCandidates_[choice].recordOffset, kAttrData);
    else
        mftRuns_.clear();
    if (mftRuns_.empty()) return false;
    mftLocated_ = true;
    mftRunPending_ = false;
    return true;
}

bool ntfs::DeepScanRecords() {
    clusterSizeFromBoot();
    mftLocated_ = false;
    mftOffset_ = 0;
    const uint64_t chunks = volumeBytes_ / kChunkBytes;
    if (reporter_) reporter_->setProgressRange(0, static_cast<uint32_t>(chunks));
    // Index 0 means "none" in the chains, so the first record found must not sit there:
    // an empty slot takes it.
    if (entryList_.empty()) {
        appendRecord({}, 0);
        entryList_.back().onDisk = false;
    }
    scanChunks(scanLimit(volumeBytes_), false, [&](uint64_t offset, std::span<const uint8_t> step) {
        if (!isRecordCandidate(step)) return Step::NotRecord;
        appendRecord(step, offset);
        std::string text = printfText("MFT ENTRY %d Found.Parsing it ..",
                                      static_cast<int>(entryList_.size() - 1));
        uint64_t index = entryList_.size() - 1;
        ParseRecordAt(offset, index);
        if (entryList_[index].named) {
            entryList_[index].orphaned = 1;
            status(text);
        } else {
            entryList_.pop_back();  // never linked: it had no name
        }
        return Step::Record;
    });
    if (reporter_) reporter_->setProgressPosition(static_cast<uint32_t>(chunks));
    return false;
}

bool ntfs::scan(const ScanRequest& request, Reporter& reporter, JobControl& control) {
    reporter_ = &reporter;
    control_ = &control;
    recoveryMode_ = request.recoveryMode;
    ReadBootSector();
    if (recoveryMode_ == 2) {
        if (mftCandidates_.empty()) SearchMftCandidates(request.maxCandidates, reporter, control);
        // Without a usable candidate nothing of the search's records is shown.
        if (!UseMftCandidate(request.candidate)) resetRecords();
        if (request.sectorsPerCluster > 0)
            clusterSize_ = static_cast<uint64_t>(request.sectorsPerCluster) * kSectorSize;
    } else if (recoveryMode_ == 3) {
        status(" scanning for mft entries in deep mode ....");
        DeepScanRecords();
    } else {
        status(" ParsingBasedOnMFT is going on....");
        LocateMft();
    }
    EnumerateMftRecords();
    ParseAllRecords();
    return true;
}

}  // namespace lazarine
