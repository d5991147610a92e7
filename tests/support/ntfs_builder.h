#pragma once
// A small NTFS volume built in memory: boot sector, an MFT whose record 0 ($MFT) maps the
// MFT itself, the system records with the root "." at record 5, and directories and files
// with resident, non-resident, sparse, LZNT1-compressed or extension-record data, deleted
// flags and DOS + Win32 names. Records are sealed with a real update-sequence array, so the
// parser's fix-up is exercised on every read. Header-only: the tests, the benchmark and
// the corpus generator all include it.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "sector_builders.h"

namespace lazarine::testing {

// UTF-8 to UTF-16LE bytes (code points above U+FFFF become surrogate pairs).
inline std::vector<uint8_t> utf16le(const std::string& s) {
    std::vector<uint8_t> out;
    auto unit = [&](uint32_t u) {
        out.push_back(static_cast<uint8_t>(u));
        out.push_back(static_cast<uint8_t>(u >> 8));
    };
    for (size_t i = 0; i < s.size();) {
        uint8_t c = static_cast<uint8_t>(s[i]);
        uint32_t cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

// A FILETIME from a Unix time.
inline uint64_t filetime(int64_t unixSeconds) {
    return static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

// One LZNT1 compression unit: greedy matching, stored chunks where compression does not
// pay.
inline std::vector<uint8_t> lznt1Compress(std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    for (size_t chunkStart = 0; chunkStart < data.size(); chunkStart += 4096) {
        const size_t len = std::min<size_t>(4096, data.size() - chunkStart);
        const uint8_t* c = data.data() + chunkStart;
        std::vector<uint8_t> body;
        size_t pos = 0;
        while (pos < len) {
            size_t flagAt = body.size();
            body.push_back(0);
            for (int bit = 0; bit < 8 && pos < len; ++bit) {
                unsigned lengthBits = 12;
                for (size_t i = pos == 0 ? 0 : pos - 1; i >= 0x10; i >>= 1) --lengthBits;
                const size_t maxLen = (size_t{1} << lengthBits) - 1 + 3;
                const size_t maxDisp = size_t{1} << (16 - lengthBits);
                size_t bestLen = 0, bestDisp = 0;
                for (size_t d = 1; d <= std::min(pos, maxDisp); ++d) {
                    size_t l = 0;
                    while (pos + l < len && l < maxLen && c[pos - d + l] == c[pos + l]) ++l;
                    if (l > bestLen) {
                        bestLen = l;
                        bestDisp = d;
                    }
                }
                if (bestLen >= 3) {
                    uint16_t token = static_cast<uint16_t>(((bestDisp - 1) << lengthBits) | (bestLen - 3));
                    body.push_back(static_cast<uint8_t>(token));
                    body.push_back(static_cast<uint8_t>(token >> 8));
                    body[flagAt] |= static_cast<uint8_t>(1u << bit);
                    pos += bestLen;
                } else {
                    body.push_back(c[pos++]);
                }
            }
        }
        if (body.size() >= len) {
            // Stored chunk: bit 15 clear, always 4096 bytes.
            uint16_t header = 0x3000 | (4098 - 3);
            out.push_back(static_cast<uint8_t>(header));
            out.push_back(static_cast<uint8_t>(header >> 8));
            out.insert(out.end(), c, c + len);
            out.insert(out.end(), 4096 - len, 0);
        } else {
            uint16_t header = static_cast<uint16_t>(0xB000 | (body.size() + 2 - 3));
            out.push_back(static_cast<uint8_t>(header));
            out.push_back(static_cast<uint8_t>(header >> 8));
            out.insert(out.end(), body.begin(), body.end());
        }
    }
    return out;
}

// Attribute blobs, as they appear inside a record.
inline std::vector<uint8_t> residentAttribute(uint32_t type, std::span<const uint8_t> content,
                                              const std::string& name = {}, uint16_t flags = 0) {
    std::vector<uint8_t> nameBytes = utf16le(name);
    const size_t contentOffset = (0x18 + nameBytes.size() + 7) & ~size_t{7};
    std::vector<uint8_t> a((contentOffset + content.size() + 7) & ~size_t{7}, 0);
    put32(a.data(), type);
    put32(a.data() + 4, static_cast<uint32_t>(a.size()));
    a[9] = static_cast<uint8_t>(nameBytes.size() / 2);
    put16(a.data() + 0x0A, 0x18);
    put16(a.data() + 0x0C, flags);
    put32(a.data() + 0x10, static_cast<uint32_t>(content.size()));
    put16(a.data() + 0x14, static_cast<uint16_t>(contentOffset));
    std::memcpy(a.data() + 0x18, nameBytes.data(), nameBytes.size());
    if (!content.empty()) std::memcpy(a.data() + contentOffset, content.data(), content.size());
    return a;
}

// One run of a run list: `lcn` < 0 is a sparse run.
struct BuilderRun {
    int64_t lcn;
    uint64_t count;
};

inline std::vector<uint8_t> encodeRuns(const std::vector<BuilderRun>& runs) {
    std::vector<uint8_t> out;
    int64_t prev = 0;
    auto width = [](uint64_t v, bool isSigned) {
        unsigned n = 1;
        if (isSigned) {
            int64_t s = static_cast<int64_t>(v);
            while (n < 8 && !(s >= -(int64_t{1} << (8 * n - 1)) && s < (int64_t{1} << (8 * n - 1)))) ++n;
        } else {
            while (n < 8 && (v >> (8 * n)) != 0) ++n;
        }
        return n;
    };
    for (const BuilderRun& r : runs) {
        unsigned l = width(r.count, false);
        unsigned o = 0;
        int64_t delta = 0;
        if (r.lcn >= 0) {
            delta = r.lcn - prev;
            o = width(static_cast<uint64_t>(delta), true);
            prev = r.lcn;
        }
        out.push_back(static_cast<uint8_t>((o << 4) | l));
        for (unsigned i = 0; i < l; ++i) out.push_back(static_cast<uint8_t>(r.count >> (8 * i)));
        for (unsigned i = 0; i < o; ++i)
            out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(delta) >> (8 * i)));
    }
    out.push_back(0);
    return out;
}

inline std::vector<uint8_t> nonResidentAttribute(uint32_t type, const std::vector<BuilderRun>& runs,
                                                 uint64_t firstVcn, uint64_t realSize,
                                                 uint64_t clusterSize, uint16_t flags = 0,
                                                 uint16_t compressionUnit = 0,
                                                 bool sizes = true) {
    std::vector<uint8_t> mapping = encodeRuns(runs);
    uint64_t vcns = 0;
    for (const auto& r : runs) vcns += r.count;
    const size_t headerSize = compressionUnit ? 0x48 : 0x40;
    std::vector<uint8_t> a((headerSize + mapping.size() + 7) & ~size_t{7}, 0);
    put32(a.data(), type);
    put32(a.data() + 4, static_cast<uint32_t>(a.size()));
    a[8] = 1;
    put16(a.data() + 0x0A, static_cast<uint16_t>(headerSize));
    put16(a.data() + 0x0C, flags);
    put64(a.data() + 0x10, firstVcn);
    put64(a.data() + 0x18, firstVcn + vcns - 1);
    put16(a.data() + 0x20, static_cast<uint16_t>(headerSize));
    put16(a.data() + 0x22, compressionUnit);
    if (sizes) {
        put64(a.data() + 0x28, (firstVcn + vcns) * clusterSize);
        put64(a.data() + 0x30, realSize);
        put64(a.data() + 0x38, realSize);
    }
    std::memcpy(a.data() + headerSize, mapping.data(), mapping.size());
    return a;
}

inline std::vector<uint8_t> fileNameContent(const std::string& name, uint64_t parent,
                                            uint8_t nameSpace, uint32_t fileAttributes,
                                            uint64_t size = 0) {
    std::vector<uint8_t> n = utf16le(name);
    std::vector<uint8_t> c(0x42 + n.size(), 0);
    put64(c.data(), parent | (uint64_t{1} << 48));
    put64(c.data() + 0x28, (size + 4095) & ~uint64_t{4095});
    put64(c.data() + 0x30, size);
    put32(c.data() + 0x38, fileAttributes);
    c[0x40] = static_cast<uint8_t>(n.size() / 2);
    c[0x41] = nameSpace;
    std::memcpy(c.data() + 0x42, n.data(), n.size());
    return c;
}

inline std::vector<uint8_t> standardInformation(uint64_t created, uint64_t modified,
                                                uint64_t accessed, uint32_t attrs = 0) {
    std::vector<uint8_t> c(0x48, 0);
    put64(c.data(), created);
    put64(c.data() + 0x08, modified);
    put64(c.data() + 0x10, modified);
    put64(c.data() + 0x18, accessed);
    put32(c.data() + 0x20, attrs);
    return c;
}

// Lays attributes into a record of `recordSize` bytes and seals it: every sector's last
// word goes into the update-sequence array and is replaced by the sequence number.
inline std::vector<uint8_t> makeRecord(uint32_t recordSize, uint16_t flags,
                                       const std::vector<std::vector<uint8_t>>& attributes,
                                       uint64_t baseRecord = 0, uint32_t recordNumber = 0,
                                       uint16_t usn = 0x0007) {
    std::vector<uint8_t> r(recordSize, 0);
    std::memcpy(r.data(), "FILE", 4);
    const uint16_t usaCount = static_cast<uint16_t>(recordSize / 512 + 1);
    put16(r.data() + 4, 0x30);
    put16(r.data() + 6, usaCount);
    put16(r.data() + 0x10, 1);
    put16(r.data() + 0x12, 1);
    const size_t first = (0x30 + 2 * usaCount + 7) & ~size_t{7};
    put16(r.data() + 0x14, static_cast<uint16_t>(first));
    put16(r.data() + 0x16, flags);
    put32(r.data() + 0x1C, recordSize);
    put64(r.data() + 0x20, baseRecord);
    put32(r.data() + 0x2C, recordNumber);
    size_t pos = first;
    for (const auto& a : attributes) {
        if (pos + a.size() + 8 > recordSize) throw std::length_error("attributes exceed the record");
        std::memcpy(r.data() + pos, a.data(), a.size());
        pos += a.size();
    }
    put32(r.data() + pos, 0xFFFFFFFF);
    put32(r.data() + 0x18, static_cast<uint32_t>(pos + 8));
    put16(r.data() + 0x30, usn);
    for (uint32_t k = 1; k < usaCount; ++k) {
        std::memcpy(r.data() + 0x30 + 2 * k, r.data() + 512 * k - 2, 2);
        put16(r.data() + 512 * k - 2, usn);
    }
    return r;
}

struct NtfsFileOptions {
    enum class Storage { Resident, NonResident, Compressed } storage = Storage::Resident;
    bool deleted = false;
    std::string dosName;          // adds a DOS-namespace $FILE_NAME
    bool dosNameFirst = false;    // the DOS name precedes the long name
    std::vector<std::pair<uint64_t, uint64_t>> holes;  // sparse VCN ranges (first, count)
    int fragments = 1;            // allocated clusters split with a gap between pieces
    int extensionRecords = 0;     // $DATA extents moved to this many extension records
    std::string namedStream;      // a resident named $DATA with this content
    uint16_t dataFlags = 0;       // extra $DATA flags (0x8000 sparse)
    uint32_t fileAttributes = 0x20;
    uint64_t created = filetime(1600000000);
    uint64_t modified = filetime(1600003600);
    uint64_t accessed = filetime(1600007200);

    NtfsFileOptions& nonResident() { storage = Storage::NonResident; return *this; }
    NtfsFileOptions& compressed() { storage = Storage::Compressed; return *this; }
    NtfsFileOptions& markDeleted() { deleted = true; return *this; }
    NtfsFileOptions& withDosName(std::string n, bool first = false) {
        dosName = std::move(n);
        dosNameFirst = first;
        return *this;
    }
    NtfsFileOptions& withHole(uint64_t first, uint64_t count) {
        holes.push_back({first, count});
        return *this;
    }
    NtfsFileOptions& withFragments(int n) { fragments = n; return *this; }
    NtfsFileOptions& withExtensions(int n) { extensionRecords = n; return *this; }
    NtfsFileOptions& withNamedStream(std::string s) { namedStream = std::move(s); return *this; }
    NtfsFileOptions& withDataFlags(uint16_t f) { dataFlags = f; return *this; }
    NtfsFileOptions& withAttributes(uint32_t a) { fileAttributes = a; return *this; }
};

class NtfsBuilder {
public:
    struct Options {
        uint32_t clusterSize = 4096;
        uint32_t recordSize = 1024;
        uint64_t mftCluster = 4;
        uint64_t spareRecords = 4;  // empty slots at the MFT's end
        bool fragmentMft = false;   // the MFT in two runs with a gap between them
    };

    static constexpr uint64_t kRoot = 5;

    explicit NtfsBuilder(Options o) : o_(o) {
        static const char* system[] = {"$MFT",   "$MFTMirr", "$LogFile", "$Volume",
                                       "$AttrDef", ".",      "$Bitmap",  "$Boot",
                                       "$BadClus", "$Secure", "$UpCase", "$Extend"};
        for (int i = 0; i < 12; ++i) {
            Pending p;
            p.names.push_back({system[i], kRoot, 3, i == 5 || i == 11 ? 0x10000006u : 0x6u});
            p.flags = kInUse | (i == 5 || i == 11 ? 0x0002 : 0);
            records_.push_back(p);
        }
        for (int i = 12; i < 16; ++i) records_.push_back(Pending{});
    }
    NtfsBuilder() : NtfsBuilder(Options{}) {}

    uint64_t addDirectory(const std::string& name, uint64_t parent, bool deleted = false) {
        Pending p;
        p.flags = static_cast<uint16_t>((deleted ? 0 : kInUse) | 0x0002);
        p.names.push_back({name, parent, 3, 0x10000010u});
        records_.push_back(p);
        return records_.size() - 1;
    }

    uint64_t addFile(const std::string& name, uint64_t parent, std::vector<uint8_t> data,
                     NtfsFileOptions f = {}) {
        Pending p;
        p.flags = f.deleted ? 0 : kInUse;
        p.file = f;
        p.data = std::move(data);
        p.hasData = true;
        FileName longName{name, parent, static_cast<uint8_t>(f.dosName.empty() ? 3 : 1),
                          f.fileAttributes};
        if (!f.dosName.empty()) {
            FileName dos{f.dosName, parent, 2, f.fileAttributes};
            if (f.dosNameFirst) p.names = {dos, longName};
            else p.names = {longName, dos};
        } else {
            p.names = {longName};
        }
        records_.push_back(p);
        uint64_t base = records_.size() - 1;
        for (int k = 0; k < f.extensionRecords; ++k) {
            Pending ext;
            ext.flags = kInUse;
            ext.extensionOf = base;
            records_.push_back(ext);
        }
        return base;
    }

    // An MFT slot filled with these bytes as they are (no sealing).
    uint64_t addRawRecord(std::vector<uint8_t> bytes) {
        Pending p;
        p.raw = std::move(bytes);
        records_.push_back(p);
        return records_.size() - 1;
    }

    uint64_t recordCount() const { return records_.size() + o_.spareRecords; }

    std::vector<uint8_t> build() {
        const uint64_t cs = o_.clusterSize, rs = o_.recordSize;
        const uint64_t slots = recordCount();
        const uint64_t mftClusters = (slots * rs + cs - 1) / cs;
        // MFT placement.
        std::vector<BuilderRun> mftRuns;
        uint64_t next = o_.mftCluster;
        if (o_.fragmentMft && mftClusters >= 2) {
            uint64_t firstPart = mftClusters / 2;
            // Keep whole records in each part.
            firstPart = std::max<uint64_t>(1, firstPart * cs / rs * rs / cs);
            mftRuns.push_back({static_cast<int64_t>(next), firstPart});
            next += firstPart + 3;
            mftRuns.push_back({static_cast<int64_t>(next), mftClusters - firstPart});
            next += mftClusters - firstPart;
        } else {
            mftRuns.push_back({static_cast<int64_t>(next), mftClusters});
            next += mftClusters;
        }
        nextCluster_ = next + 1;
        clusters_.clear();

        // Data placement first: the records describe it.
        std::vector<std::vector<BuilderRun>> dataRuns(records_.size());
        for (size_t i = 0; i < records_.size(); ++i) {
            Pending& p = records_[i];
            if (!p.hasData || p.file.storage == NtfsFileOptions::Storage::Resident) continue;
            dataRuns[i] = p.file.storage == NtfsFileOptions::Storage::Compressed ? placeCompressed(p)
                                                                                  : placePlain(p);
        }

        const uint64_t totalClusters = nextCluster_ + 8;
        image_.assign(totalClusters * cs, 0);
        Sector boot = ntfsBootSector(totalClusters * cs / 512 - 1);
        boot[0x0D] = static_cast<uint8_t>(cs / 512);
        put64(boot.data() + 0x30, o_.mftCluster);
        put64(boot.data() + 0x38, 2);
        int8_t code = rs >= cs ? static_cast<int8_t>(rs / cs) : static_cast<int8_t>(-__builtin_ctz(static_cast<uint32_t>(rs)));
        boot[0x40] = static_cast<uint8_t>(code);
        boot[0x44] = 1;
        std::memcpy(image_.data(), boot.data(), 512);
        for (const auto& [cluster, bytes] : clusters_)
            std::memcpy(image_.data() + cluster * cs, bytes.data(), bytes.size());

        // MFT slot offsets along its runs.
        recordOffsets_.clear();
        for (const auto& r : mftRuns)
            for (uint64_t b = 0; b + rs <= r.count * cs; b += rs)
                recordOffsets_.push_back(static_cast<uint64_t>(r.lcn) * cs + b);
        recordOffsets_.resize(slots);

        for (size_t i = 0; i < records_.size(); ++i) {
            std::vector<uint8_t> bytes = encode(i, dataRuns, mftRuns, mftClusters);
            if (!bytes.empty()) std::memcpy(image_.data() + recordOffsets_[i], bytes.data(), bytes.size());
        }
        return image_;
    }

    uint64_t recordOffset(uint64_t record) const { return recordOffsets_.at(record); }
    uint64_t clusterSize() const { return o_.clusterSize; }
    uint32_t recordSize() const { return o_.recordSize; }
    // First cluster of the file's data (after build), for tests that corrupt it.
    uint64_t firstDataCluster(uint64_t record) const { return records_.at(record).firstCluster; }

private:
    static constexpr uint16_t kInUse = 0x0001;

    struct FileName {
        std::string name;
        uint64_t parent;
        uint8_t nameSpace;
        uint32_t attributes;
    };
    struct Pending {
        uint16_t flags = 0;
        std::vector<FileName> names;
        bool hasData = false;
        std::vector<uint8_t> data;
        NtfsFileOptions file;
        std::optional<uint64_t> extensionOf;
        std::vector<uint8_t> raw;
        uint64_t firstCluster = 0;
    };

    uint64_t allocate(uint64_t count) {
        uint64_t c = nextCluster_;
        nextCluster_ += count;
        return c;
    }

    void store(uint64_t cluster, std::span<const uint8_t> bytes) {
        clusters_.push_back({cluster, std::vector<uint8_t>(bytes.begin(), bytes.end())});
    }

    static void addRun(std::vector<BuilderRun>& runs, int64_t lcn, uint64_t count) {
        if (!runs.empty()) {
            BuilderRun& last = runs.back();
            bool bothSparse = last.lcn < 0 && lcn < 0;
            bool contiguous = last.lcn >= 0 && lcn == last.lcn + static_cast<int64_t>(last.count);
            if (bothSparse || contiguous) {
                last.count += count;
                return;
            }
        }
        runs.push_back({lcn, count});
    }

    std::vector<BuilderRun> placePlain(Pending& p) {
        const uint64_t cs = o_.clusterSize;
        const uint64_t vcns = std::max<uint64_t>(1, (p.data.size() + cs - 1) / cs);
        auto isHole = [&](uint64_t v) {
            for (auto [first, count] : p.file.holes)
                if (v >= first && v < first + count) return true;
            return false;
        };
        uint64_t allocated = 0;
        for (uint64_t v = 0; v < vcns; ++v) allocated += !isHole(v);
        const uint64_t piece = std::max<uint64_t>(1, (allocated + p.file.fragments - 1) / p.file.fragments);
        std::vector<BuilderRun> runs;
        uint64_t inPiece = 0;
        bool first = true;
        for (uint64_t v = 0; v < vcns; ++v) {
            if (isHole(v)) {
                addRun(runs, -1, 1);
                continue;
            }
            if (inPiece == piece) {
                // A cluster of garbage between fragments: reading it would show.
                uint64_t gap = allocate(1);
                std::vector<uint8_t> junk(cs, 0xEE);
                store(gap, junk);
                inPiece = 0;
            }
            uint64_t c = allocate(1);
            if (first) p.firstCluster = c;
            first = false;
            std::vector<uint8_t> bytes(cs, 0);
            size_t at = static_cast<size_t>(v * cs);
            if (at < p.data.size())
                std::memcpy(bytes.data(), p.data.data() + at, std::min<size_t>(cs, p.data.size() - at));
            store(c, bytes);
            addRun(runs, static_cast<int64_t>(c), 1);
            ++inPiece;
        }
        return runs;
    }

    std::vector<BuilderRun> placeCompressed(Pending& p) {
        const uint64_t cs = o_.clusterSize;
        const uint64_t unitClusters = 16;
        const uint64_t unitBytes = unitClusters * cs;
        std::vector<BuilderRun> runs;
        const uint64_t units = std::max<uint64_t>(1, (p.data.size() + unitBytes - 1) / unitBytes);
        for (uint64_t u = 0; u < units; ++u) {
            std::vector<uint8_t> unit(unitBytes, 0);
            size_t at = static_cast<size_t>(u * unitBytes);
            if (at < p.data.size())
                std::memcpy(unit.data(), p.data.data() + at, std::min<size_t>(unitBytes, p.data.size() - at));
            if (std::all_of(unit.begin(), unit.end(), [](uint8_t b) { return b == 0; })) {
                addRun(runs, -1, unitClusters);
                continue;
            }
            std::vector<uint8_t> packed = lznt1Compress(unit);
            uint64_t need = (packed.size() + cs - 1) / cs;
            uint64_t c;
            if (need >= unitClusters) {
                c = allocate(unitClusters);
                store(c, unit);
                addRun(runs, static_cast<int64_t>(c), unitClusters);
            } else {
                packed.resize(need * cs, 0);
                c = allocate(need);
                store(c, packed);
                addRun(runs, static_cast<int64_t>(c), need);
                addRun(runs, -1, unitClusters - need);
            }
            if (u == 0) p.firstCluster = c;
        }
        return runs;
    }

    std::vector<uint8_t> encode(size_t i, const std::vector<std::vector<BuilderRun>>& dataRuns,
                                const std::vector<BuilderRun>& mftRuns, uint64_t mftClusters) {
        const Pending& p = records_[i];
        const uint64_t cs = o_.clusterSize;
        const uint32_t rs = o_.recordSize;
        if (!p.raw.empty()) return p.raw;
        if (p.extensionOf) return {};  // written together with the base record
        if (p.names.empty()) return makeRecord(rs, 0, {}, 0, static_cast<uint32_t>(i));

        std::vector<std::vector<uint8_t>> attrs;
        attrs.push_back(residentAttribute(
            0x10, standardInformation(p.file.created, p.file.modified, p.file.accessed)));
        std::vector<std::vector<uint8_t>> names;
        for (const FileName& n : p.names)
            names.push_back(residentAttribute(
                0x30, fileNameContent(n.name, n.parent, n.nameSpace, n.attributes, p.data.size())));

        std::vector<std::vector<uint8_t>> data;
        const bool compressed = p.file.storage == NtfsFileOptions::Storage::Compressed;
        const uint16_t flags = static_cast<uint16_t>((compressed ? 0x0001 : 0) | p.file.dataFlags);
        if (i == 0) {
            data.push_back(nonResidentAttribute(0x80, mftRuns, 0, mftClusters * cs, cs));
        } else if (p.hasData && p.file.storage == NtfsFileOptions::Storage::Resident) {
            data.push_back(residentAttribute(0x80, p.data, {}, flags));
        } else if (p.hasData) {
            data.push_back(nonResidentAttribute(0x80, dataRuns[i], 0, p.data.size(), cs, flags,
                                                compressed ? 4 : 0));
        }
        if (!p.file.namedStream.empty()) {
            std::vector<uint8_t> s(p.file.namedStream.begin(), p.file.namedStream.end());
            data.push_back(residentAttribute(0x80, s, "Zone.Identifier"));
        }

        if (p.file.extensionRecords > 0 && p.hasData && !dataRuns[i].empty()) {
            return encodeWithExtensions(i, attrs[0], names, dataRuns[i], flags, compressed);
        }
        for (auto& n : names) attrs.push_back(n);
        for (auto& d : data) attrs.push_back(d);
        uint16_t recFlags = p.flags;
        return makeRecord(rs, recFlags, attrs, 0, static_cast<uint32_t>(i));
    }

    // The base record keeps $STANDARD_INFORMATION, the $ATTRIBUTE_LIST and the names; the
    // $DATA extents go to the extension records that follow it.
    std::vector<uint8_t> encodeWithExtensions(size_t base, const std::vector<uint8_t>& si,
                                              const std::vector<std::vector<uint8_t>>& names,
                                              const std::vector<BuilderRun>& runs, uint16_t flags,
                                              bool compressed) {
        const Pending& p = records_[base];
        const uint64_t cs = o_.clusterSize;
        const int n = p.file.extensionRecords;
        // Split the runs over the extension records.
        std::vector<std::vector<BuilderRun>> parts(n);
        for (size_t k = 0; k < runs.size(); ++k) parts[std::min<size_t>(k * n / runs.size(), n - 1)].push_back(runs[k]);
        std::vector<uint8_t> list;
        auto entry = [&](uint32_t type, uint64_t vcn, uint64_t record) {
            std::vector<uint8_t> e(0x20, 0);
            put32(e.data(), type);
            put16(e.data() + 4, 0x20);
            e[7] = 0x1A;
            put64(e.data() + 8, vcn);
            put64(e.data() + 0x10, record | (uint64_t{1} << 48));
            list.insert(list.end(), e.begin(), e.end());
        };
        entry(0x10, 0, base);
        entry(0x30, 0, base);
        uint64_t vcn = 0;
        for (int k = 0; k < n; ++k) {
            if (parts[k].empty()) continue;
            entry(0x80, vcn, base + 1 + k);
            std::vector<std::vector<uint8_t>> extAttrs;
            extAttrs.push_back(nonResidentAttribute(0x80, parts[k], vcn, p.data.size(), cs, flags,
                                                    compressed ? 4 : 0, vcn == 0));
            std::vector<uint8_t> ext = makeRecord(o_.recordSize, kInUse, extAttrs, base | (uint64_t{1} << 48),
                                                  static_cast<uint32_t>(base + 1 + k));
            std::memcpy(image_.data() + recordOffsets_[base + 1 + k], ext.data(), ext.size());
            for (const auto& r : parts[k]) vcn += r.count;
        }
        std::vector<std::vector<uint8_t>> attrs{si, residentAttribute(0x20, list)};
        for (const auto& nm : names) attrs.push_back(nm);
        return makeRecord(o_.recordSize, p.flags, attrs, 0, static_cast<uint32_t>(base));
    }

    Options o_;
    std::vector<Pending> records_;
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> clusters_;
    std::vector<uint64_t> recordOffsets_;
    std::vector<uint8_t> image_;
    uint64_t nextCluster_ = 0;
};

}  // namespace lazarine::testing
