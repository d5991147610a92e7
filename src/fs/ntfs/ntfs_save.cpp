// Extraction: a record's unnamed $DATA written to an output file, resident, through its
// run list (sparse runs as zeros), LZNT1-compressed, or gathered from extension records
// named by an $ATTRIBUTE_LIST.

#include <algorithm>
#include <cstring>

#include "fs/ntfs/file_name_attribute.h"
#include "fs/ntfs/lznt1.h"
#include "fs/ntfs/ntfs.h"
#include "platform/output_file.h"
#include "scan/display_format.h"

namespace lazarine {

namespace {
constexpr size_t kReadChunk = 4u << 20;         // clusters are read in runs of up to 4 MiB
constexpr uint64_t kMaxUnitBytes = 4u << 20;    // larger compression units are not real
constexpr size_t kMaxAttributeList = 4u << 20;  // a non-resident $ATTRIBUTE_LIST is read up to this

uint64_t saturatingMul(uint64_t a, uint64_t b) {
    uint64_t r = 0;
    return __builtin_mul_overflow(a, b, &r) ? UINT64_MAX : r;
}
}  // namespace

struct ntfs::FileData {
    enum class Kind { None, Resident, NonResident } kind = Kind::None;
    std::vector<uint8_t> resident;
    std::vector<ClusterRun> runs;
    uint64_t realSize = 0;
    bool realSizeKnown = false;
    bool compressed = false;
    uint32_t unitClusters = 0;  // 0: not decoded as compression units
};

uint64_t ntfs::maxFileBytes() const {
    // A file cannot hold more than the volume; a damaged size field must not fill the
    // output disk with zeros.
    uint64_t v = scanLimit(volumeBytes_ ? volumeBytes_ : UINT64_MAX);
    return v == 0 ? UINT64_MAX : v;
}

void ntfs::readClusters(int64_t cluster, uint64_t count, uint8_t* into) {
    const size_t bytes = static_cast<size_t>(count * clusterSize_);
    uint64_t at = 0;
    size_t got = 0;
    if (cluster >= 0 && !__builtin_mul_overflow(static_cast<uint64_t>(cluster), clusterSize_, &at) &&
        at <= static_cast<uint64_t>(INT64_MAX))
        got = reader_.ReadAt(static_cast<int64_t>(at), into, bytes);
    // An unreadable cluster is written as zeros, so that what follows keeps its offset.
    if (got < bytes) std::memset(into + got, 0, bytes - got);
}

std::vector<ClusterRun> ntfs::ReadClusterList(uint64_t recordOffset) {
    std::vector<uint8_t> bytes = readBytes(recordOffset, recordSize_);
    if (bytes.empty()) return {};
    ApplyFixups(bytes);
    for (const AttributeHeader& a : walkAttributes(bytes)) {
        if (a.type != kAttrData || a.nameLength != 0 || !a.nonResident) continue;
        return decodeRunList(a.runList(bytes), {a.vcnCount(), volumeClusters()});
    }
    return {};
}

std::vector<uint8_t> ntfs::readAttributeListBytes(const LoadedRecord& record,
                                                  const AttributeHeader& list) {
    if (!list.nonResident) {
        auto c = list.content(record.span());
        return {c.begin(), c.end()};
    }
    // A long list lives in clusters of its own.
    auto runs = decodeRunList(list.runList(record.span()), {list.vcnCount(), volumeClusters()});
    uint64_t size = std::min<uint64_t>(
        std::min<uint64_t>(static_cast<uint64_t>(std::max<int64_t>(list.realSize, 0)),
                           saturatingMul(totalClusters(runs), clusterSize_)),
        kMaxAttributeList);
    std::vector<uint8_t> out(static_cast<size_t>(size), 0);
    size_t pos = 0;
    std::vector<uint8_t> cluster(clusterSize_);
    for (const ClusterRun& r : runs) {
        for (uint64_t k = 0; k < r.clusterCount && pos < out.size(); ++k) {
            if (r.sparse) std::fill(cluster.begin(), cluster.end(), 0);
            else readClusters(r.startCluster + static_cast<int64_t>(k), 1, cluster.data());
            size_t n = std::min<size_t>(cluster.size(), out.size() - pos);
            std::memcpy(out.data() + pos, cluster.data(), n);
            pos += n;
        }
    }
    return out;
}

// Gathers the extents of the unnamed $DATA listed in the record's $ATTRIBUTE_LIST, in VCN
// order, from whichever records hold them (the base record included). False when the
// list names no usable extent.
bool ntfs::readExtents(const LoadedRecord& base, FileData& data) {
    std::vector<AttributeListEntry> entries = dataListEntries(base);
    if (entries.empty()) return false;
    LoadedRecord holder;
    bool holderLoaded = false;
    uint64_t nextVcn = 0;
    bool any = false;
    for (const AttributeListEntry& e : entries) {
        const LoadedRecord* rec = &base;
        if (e.recordNumber != base.index) {
            if (!holderLoaded || holder.index != e.recordNumber) {
                holder = LoadRecord(e.recordNumber);
                holderLoaded = true;
            }
            if (!holder.valid) continue;
            rec = &holder;
        }
        for (const AttributeHeader& a : rec->attributes) {
            if (a.type != kAttrData || a.nameLength != 0) continue;
            if (!a.nonResident) {
                if (e.startVcn == 0 && !any) {
                    auto c = a.content(rec->span());
                    data.kind = FileData::Kind::Resident;
                    data.resident.assign(c.begin(), c.end());
                    return true;
                }
                continue;
            }
            if (static_cast<uint64_t>(a.firstVcn) != e.startVcn || a.firstVcn < 0) continue;
            const uint64_t first = static_cast<uint64_t>(a.firstVcn);
            if (first < nextVcn) break;  // listed twice, or overlapping: already have it
            if (first > nextVcn)
                data.runs.push_back({0, first - nextVcn, true});  // a gap reads as zeros
            auto runs = decodeRunList(a.runList(rec->span()), {a.vcnCount(), volumeClusters()});
            data.runs.insert(data.runs.end(), runs.begin(), runs.end());
            nextVcn = first + a.vcnCount();
            if (first == 0) {
                // Sizes and the compression unit are kept in the first extent only.
                data.realSize = static_cast<uint64_t>(std::max<int64_t>(a.realSize, 0));
                data.realSizeKnown = true;
                data.compressed = (a.flags & kAttrFlagCompressionMask) != 0;
                data.unitClusters = a.compressionUnit < 16 ? 1u << a.compressionUnit : 0;
            }
            any = true;
            break;
        }
    }
    if (!any) return false;
    data.kind = FileData::Kind::NonResident;
    if (!data.realSizeKnown) data.realSize = saturatingMul(totalClusters(data.runs), clusterSize_);
    return true;
}

ntfs::FileData ntfs::resolveData(const LoadedRecord& record) {
    FileData data;
    if (record.attributeList && readExtents(record, data)) return data;
    for (const AttributeHeader& a : record.attributes) {
        if (a.type != kAttrData || a.nameLength != 0) continue;
        if (!a.nonResident) {
            // The content is taken from the fixed-up record, so bytes 510-511 of each
            // sector are the file's own.
            auto c = a.content(record.span());
            data.kind = FileData::Kind::Resident;
            data.resident.assign(c.begin(), c.end());
            continue;  // a later resident $DATA replaces the description
        }
        data.kind = FileData::Kind::NonResident;
        data.runs = decodeRunList(a.runList(record.span()), {a.vcnCount(), volumeClusters()});
        data.realSize = static_cast<uint64_t>(std::max<int64_t>(a.realSize, 0));
        data.realSizeKnown = true;
        // Any compression bit selects the LZNT1 path, also for a sparse compressed file.
        data.compressed = (a.flags & kAttrFlagCompressionMask) != 0;
        data.unitClusters = a.compressionUnit < 16 ? 1u << a.compressionUnit : 0;
        break;
    }
    return data;
}

uint64_t ntfs::fileSizeOf(uint64_t index) {
    if (index >= entryList_.size() || !entryList_[index].onDisk) return 0;
    LoadedRecord rec = LoadRecord(index);
    if (!rec.valid) return 0;
    FileData data = resolveData(rec);
    if (data.kind == FileData::Kind::Resident) return data.resident.size();
    if (data.kind == FileData::Kind::NonResident) return data.realSize;
    return 0;
}

bool ntfs::writeRuns(const FileData& data, platform::OutputFile& out) {
    uint64_t remaining = std::min(data.realSize, maxFileBytes());
    std::vector<uint8_t> buffer;
    for (const ClusterRun& r : data.runs) {
        if (remaining == 0) break;
        uint64_t take = std::min(saturatingMul(r.clusterCount, clusterSize_), remaining);
        remaining -= take;
        if (r.sparse) {
            if (!out.writeZeros(take)) return false;
            continue;
        }
        const uint64_t perRead = std::max<uint64_t>(kReadChunk / clusterSize_, 1);
        int64_t cluster = r.startCluster;
        while (take > 0) {
            uint64_t clusters = std::min<uint64_t>(perRead, (take + clusterSize_ - 1) / clusterSize_);
            buffer.resize(static_cast<size_t>(clusters * clusterSize_));
            readClusters(cluster, clusters, buffer.data());
            size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), take));
            if (!out.write(buffer.data(), n)) return false;
            take -= n;
            cluster += static_cast<int64_t>(clusters);
        }
    }
    return true;
}

// Compressed data comes in units of 2^n clusters: a unit without clusters on disk is all
// zeros, a unit whose last cluster is on disk is stored as is, any other holds LZNT1
// chunks in its allocated clusters.
bool ntfs::writeCompressed(const FileData& data, platform::OutputFile& out) {
    const uint64_t unitClusters = data.unitClusters;
    const size_t unitBytes = static_cast<size_t>(unitClusters * clusterSize_);
    uint64_t remaining = std::min(data.realSize, maxFileBytes());
    std::vector<int64_t> lcns(unitClusters);  // -1 = no cluster on disk
    std::vector<uint8_t> unit(unitBytes), decoded(unitBytes);
    size_t runIndex = 0;
    uint64_t inRun = 0;
    while (remaining > 0) {
        // The clusters of the next unit; a unit cut short by the run list's end is
        // completed with unallocated clusters.
        uint64_t filled = 0;
        while (filled < unitClusters && runIndex < data.runs.size()) {
            const ClusterRun& r = data.runs[runIndex];
            uint64_t n = std::min(unitClusters - filled, r.clusterCount - inRun);
            for (uint64_t k = 0; k < n; ++k)
                lcns[filled + k] = r.sparse ? -1 : r.startCluster + static_cast<int64_t>(inRun + k);
            filled += n;
            inRun += n;
            if (inRun == r.clusterCount) {
                ++runIndex;
                inRun = 0;
            }
        }
        if (filled == 0) break;
        std::fill(lcns.begin() + static_cast<ptrdiff_t>(filled), lcns.end(), -1);

        uint64_t used = 0;
        for (uint64_t k = unitClusters; k > 0; --k)
            if (lcns[k - 1] >= 0) {
                used = k;
                break;
            }
        const uint8_t* output = decoded.data();
        std::fill(decoded.begin(), decoded.end(), 0);
        if (used > 0) {
            for (uint64_t k = 0; k < used;) {
                uint64_t len = 1;
                if (lcns[k] < 0) {
                    std::memset(unit.data() + k * clusterSize_, 0, clusterSize_);
                } else {
                    while (k + len < used && lcns[k + len] == lcns[k] + static_cast<int64_t>(len)) ++len;
                    readClusters(lcns[k], len, unit.data() + k * clusterSize_);
                }
                k += len;
            }
            if (used == unitClusters) {
                output = unit.data();  // stored uncompressed
            } else {
                // A unit that decodes short is completed with zeros, so that the next
                // unit stays at its offset.
                DecompressUnit(std::span<const uint8_t>(unit.data(), used * clusterSize_), decoded);
            }
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(unitBytes, remaining));
        if (!out.write(output, n)) return false;
        remaining -= n;
    }
    return true;
}

bool ntfs::writeData(const FileData& data, platform::OutputFile& out) {
    switch (data.kind) {
        case FileData::Kind::None:
            return true;  // no $DATA: an empty file
        case FileData::Kind::Resident:
            return out.write(data.resident.data(), data.resident.size());
        case FileData::Kind::NonResident:
            if (data.compressed && data.unitClusters > 0 &&
                data.unitClusters * clusterSize_ <= kMaxUnitBytes)
                return writeCompressed(data, out);
            return writeRuns(data, out);
    }
    return true;
}

bool ntfs::SaveEntry(EntryId id, const std::filesystem::path& fullPath, Reporter& reporter) {
    if (id >= entryList_.size()) {
        reporter.message("not a valid entry...");
        return false;
    }
    const MftEntryRecord& entry = entryList_[id];
    if (!entry.named) return false;
    platform::OutputFile out;
    if (!out.create(fullPath)) return false;
    LoadedRecord rec = LoadRecord(id);
    if (!rec.valid) {
        reporter.message("not a valid entry...");
        return out.close();
    }
    bool ok = true;
    if (entry.kind == 'D') {
        reporter.message(
            printfText("This is  %s directory .Please specify file names ", entry.name.c_str()));
    } else {
        ok = writeData(resolveData(rec), out);
    }
    ok = out.close() && ok;
    FileTimes t = times(id);
    auto toFileTime = [](const std::optional<Timestamp>& s) -> std::optional<platform::FileTime> {
        if (!s) return std::nullopt;
        return platform::FileTime{s->seconds, s->nanoseconds};
    };
    // Linux keeps no creation time; access and modification are restored.
    platform::setFileTimes(fullPath, toFileTime(t.accessed), toFileTime(t.modified));
    return ok;
}

}  // namespace lazarine
