#include "disk/partition.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#include "disk/bytes.h"
#include "scan/display_format.h"

namespace lazarine {

namespace {

constexpr uint32_t kMbrSignature = 0xAA55;
constexpr size_t kMbrEntries = 446;        // four 16-byte entries
constexpr int kMaxExtendedRecords = 50;    // EBR chain length limit
constexpr uint32_t kMaxGptEntries = 1024;
constexpr uint32_t kMaxGptArrayBytes = 1u << 20;
constexpr uint64_t kChunkSectors = 2048;   // the disk search reads 1 MiB at a time
constexpr uint64_t kMaxHfsMegabytes = 20971519;  // about 20 TiB

bool isExtendedType(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

long long megabytes(uint64_t sectors) { return static_cast<long long>(sectors >> 11); }

// Low 32 bits as a signed int, as the "%d" size texts print them.
int megabytesInt(uint64_t sectors) {
    return static_cast<int>(static_cast<uint32_t>(sectors >> 11));
}

struct MbrEntry {
    uint8_t type;
    uint64_t start;
    uint64_t count;
};

MbrEntry mbrEntry(const uint8_t* sector, int index) {
    const uint8_t* e = sector + kMbrEntries + 16 * index;
    return {e[4], le32(e + 8), le32(e + 12)};
}

bool readSector(readWriteInterface& reader, uint64_t sector, uint8_t* out) {
    if (sector > static_cast<uint64_t>(INT64_MAX) / kSectorSize) return false;
    return reader.ReadExact(static_cast<int64_t>(sector * kSectorSize), out, kSectorSize);
}

// Status text shown when a boot sector is classified.
const char* statusFor(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::Fat12: return "found FAT 12...";
        case VolumeKind::Fat16: return "found FAT 16...";
        case VolumeKind::Fat32: return "found FAT 32...";
        case VolumeKind::FatUnknown: return "found unknown...";
        case VolumeKind::ExFat: return "found FAT 64...";
        case VolumeKind::Ext: return "found ext2...";
        case VolumeKind::HfsPlus: return "found HFS+...";
        default: return "";
    }
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return b > UINT64_MAX - a ? UINT64_MAX : a + b; }

}  // namespace

const char* fileSystemName(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::Ntfs: return "NTFS";
        case VolumeKind::Fat12: return "FAT12";
        case VolumeKind::Fat16: return "FAT16";
        case VolumeKind::Fat32: return "FAT32";
        case VolumeKind::FatUnknown: return "UNKNOWN";
        case VolumeKind::ExFat: return "FAT64";
        case VolumeKind::Ext: return "extX";
        case VolumeKind::HfsPlus: return "HFS+";
        case VolumeKind::None: break;
    }
    return "Unknown";
}

bool IsExFatBootSector(readWriteInterface& reader, int64_t sector) {
    std::array<uint8_t, kSectorSize> s{};
    if (sector < 0 || !readSector(reader, static_cast<uint64_t>(sector), s.data())) return false;
    return classifyBootSector(s, false).kind == VolumeKind::ExFat;
}

bool IsHfsPlusVolume(readWriteInterface& reader, int64_t sector) {
    std::array<uint8_t, kSectorSize> s{};
    if (sector < 0 || !readSector(reader, static_cast<uint64_t>(sector) + 2, s.data())) {
        return false;
    }
    return classifyHfsPlusHeader(s).kind == VolumeKind::HfsPlus;
}

void Partition::addRow(std::string fileSystem, std::string sizeText, int64_t start,
                       uint64_t sectors) {
    VolumeRow row;
    row.fileSystem = std::move(fileSystem);
    row.volumeText = std::to_string(rows.size());
    row.sizeText = std::move(sizeText);
    row.startSector = start;
    row.sectorCount = sectors;
    rows.push_back(std::move(row));
    if (onRowFound) onRowFound(rows.back());
}

bool Partition::addBootSectorRow(const VolumeMatch& match, int64_t start, bool gpt) {
    uint64_t mb = match.sizeSectors >> 11;
    if (match.kind == VolumeKind::Ntfs) {
        if (mb == 0) return false;
        addRow("NTFS", printfText("%d   MB", megabytesInt(match.sizeSectors)), start,
               match.sizeSectors);
        status(printfText("found NTFS %d...", ++ntfsCounter_));
        return true;
    }
    status(statusFor(match.kind));
    if (match.kind == VolumeKind::FatUnknown || mb == 0) return false;
    if (match.kind == VolumeKind::HfsPlus && !gpt && mb > kMaxHfsMegabytes) return false;
    addRow(fileSystemName(match.kind), printfText("%lld  MB", megabytes(match.sizeSectors)), start,
           match.sizeSectors);
    return true;
}

// ---------------------------------------------------------------------------------------
// Partition tables

uint32_t Partition::ReadPartitionTable(readWriteInterface& reader) {
    reader.baseOffset = 0;
    if (useGpt) {
        uint32_t error = 0;
        GptResult r = readGpt(reader, error);
        if (r == GptResult::Read) return 0;
        if (r == GptResult::Failed) return error;
    }
    return readMbr(reader);
}

bool Partition::readGptHeader(readWriteInterface& reader, uint64_t headerLba,
                              std::vector<uint8_t>& header) {
    header.assign(kSectorSize, 0);
    if (!readSector(reader, headerLba, header.data())) return false;
    return std::memcmp(header.data(), "EFI PART", 8) == 0;
}

Partition::GptResult Partition::readGpt(readWriteInterface& reader, uint32_t& error) {
    std::vector<uint8_t> header;
    // The primary header is at LBA 1; a damaged one is replaced by the backup in the last
    // sector of the disk.
    if (!readGptHeader(reader, 1, header)) {
        uint64_t last = reader.deviceSectorCount();
        if (last < 3 || !readGptHeader(reader, last - 1, header)) return GptResult::NoTable;
    }
    uint64_t entryLba = le64(header.data() + 72);
    uint32_t entryCount = le32(header.data() + 80);
    uint32_t entrySize = le32(header.data() + 84);
    if (entrySize < 128 || entrySize > 4096 || entrySize % 8 != 0 || entryLba < 2 ||
        entryLba >= reader.deviceSectorCount()) {
        return GptResult::NoTable;
    }
    entryCount = std::min({entryCount, kMaxGptEntries, kMaxGptArrayBytes / entrySize});
    std::vector<uint8_t> entries(static_cast<size_t>(entryCount) * entrySize);
    // A short read of the entry array keeps the entries that arrived whole.
    size_t got = reader.ReadAt(static_cast<int64_t>(entryLba * kSectorSize), entries.data(),
                               entries.size());
    entryCount = static_cast<uint32_t>(got / entrySize);

    std::array<uint8_t, kSectorSize> boot{};
    for (uint32_t i = 0; i < entryCount; ++i) {
        const uint8_t* e = entries.data() + static_cast<size_t>(i) * entrySize;
        // An all-zero type GUID marks an unused entry; later entries may still be used.
        if (std::all_of(e, e + 16, [](uint8_t b) { return b == 0; })) continue;
        uint64_t first = le64(e + 32);
        uint64_t last = le64(e + 40);
        if (first < 1 || last < first || first > static_cast<uint64_t>(INT64_MAX) / kSectorSize) {
            continue;
        }
        if (!readSector(reader, first, boot.data())) {
            error = static_cast<uint32_t>(reader.lastError());
            return GptResult::Failed;
        }
        std::string name = utf16leToUtf8({e + 56, 72}, 36);
        if (name == "Microsoft reserved partition") continue;

        auto start = static_cast<int64_t>(first);
        VolumeMatch match = classifyBootSector(boot, false);
        if (match.kind != VolumeKind::None) {
            addBootSectorRow(match, start, true);
            if (control_.shouldStop()) return GptResult::Read;
            continue;
        }
        uint64_t sectors = last - first + 1;
        std::string fileSystem = name;
        std::array<uint8_t, kSectorSize> second{};
        if (readSector(reader, first + 2, second.data())) {
            if (classifyHfsPlusHeader(second).kind == VolumeKind::HfsPlus) {
                fileSystem = "HFS+";
            } else if (classifyExtSuperblock(second).kind == VolumeKind::Ext) {
                fileSystem = "extX";
            }
        }
        addRow(fileSystem, printfText("%lld", static_cast<long long>((last - first) / 2048)),
               start, sectors);
    }
    return GptResult::Read;
}

uint32_t Partition::readMbr(readWriteInterface& reader) {
    std::array<uint8_t, kSectorSize> mbr{};
    if (!readSector(reader, 0, mbr.data())) return static_cast<uint32_t>(reader.lastError());
    if (le16(mbr.data() + 510) != kMbrSignature) return 0;  // no partition table

    if (!useGpt) {
        for (int i = 0; i < 4; ++i) {
            if (mbrEntry(mbr.data(), i).type == 0xEE) {
                uint32_t error = 0;
                GptResult r = readGpt(reader, error);
                if (r == GptResult::Read) return 0;
                if (r == GptResult::Failed) return error;
                break;  // no usable GUID table: list the MBR as it stands
            }
        }
    }

    // Every primary entry is examined: an empty slot or an extended entry does not hide
    // the entries behind it.
    std::vector<uint64_t> extendedStarts;
    for (int i = 0; i < 4; ++i) {
        MbrEntry e = mbrEntry(mbr.data(), i);
        if (e.type == 0) continue;
        if (isExtendedType(e.type)) {
            extendedStarts.push_back(e.start);
            continue;
        }
        addTableEntry(reader, e.type, e.start, e.count, false);
    }
    for (uint64_t base : extendedStarts) {
        uint32_t error = walkExtendedChain(reader, base);
        if (error != 0) return error;
    }
    return 0;
}

uint32_t Partition::walkExtendedChain(readWriteInterface& reader, uint64_t base) {
    std::set<uint64_t> visited;
    std::array<uint8_t, kSectorSize> ebr{};
    uint64_t current = base;
    for (int record = 0; record < kMaxExtendedRecords; ++record) {
        if (!visited.insert(current).second) break;  // the chain loops back
        reader.baseOffset = 0;
        if (!readSector(reader, current, ebr.data())) {
            return static_cast<uint32_t>(reader.lastError());
        }
        if (le16(ebr.data() + 510) != kMbrSignature) break;  // not an extended boot record
        bool haveLink = false;
        uint64_t next = 0;
        for (int i = 0; i < 4; ++i) {
            MbrEntry e = mbrEntry(ebr.data(), i);
            if (e.type == 0) continue;
            if (isExtendedType(e.type)) {
                // Links are relative to the start of the extended partition.
                if (!haveLink) {
                    haveLink = true;
                    next = base + e.start;
                }
                continue;
            }
            // Logical volumes are relative to their own extended boot record.
            addTableEntry(reader, e.type, current + e.start, e.count, true);
        }
        if (!haveLink) break;
        current = next;
    }
    return 0;
}

// File-system name and status text of an MBR or EBR entry, by its type byte. Logical
// entries differ in three places: type 0x07 counts no NTFS number, 0x83 says "extx" and
// 0x42 is not special.
struct TableEntryName {
    std::string fileSystem;
    std::string status;  // empty: none shown
};

TableEntryName Partition::nameTableEntry(readWriteInterface& reader, uint8_t type,
                                         int64_t start, bool logical) {
    switch (type) {
        case 0x01: return {"FAT12", ""};
        case 0x04:
        case 0x06:
        case 0x0E: return {"FAT16", "found FAT 16..."};
        case 0x07:
            if (IsExFatBootSector(reader, start)) return {"FAT64", "found FAT64..."};
            if (logical) return {"NTFS", "found NTFS..."};
            return {"NTFS", printfText("found NTFS %d...", ++ntfsCounter_)};
        case 0x0B:
        case 0x0C: return {"FAT32", "found FAT 32..."};
        case 0x42:
            if (!logical) return {"NTFS", "NTFS..."};
            break;
        case 0x83: return {"extX", logical ? "found extx..." : "found ext2..."};
        default: break;
    }
    return {"Unknown", "found UNKNOWN..."};
}

void Partition::addTableEntry(readWriteInterface& reader, uint8_t type, uint64_t start,
                              uint64_t count, bool logical) {
    auto first = static_cast<int64_t>(start);
    TableEntryName name = nameTableEntry(reader, type, first, logical);
    addRow(name.fileSystem,
           logical ? printfText("%d   MB", megabytesInt(count))
                   : printfText("%lld   MB", megabytes(count)),
           first, count);
    if (!name.status.empty()) status(name.status);
}

// ---------------------------------------------------------------------------------------
// Whole-disk search

uint32_t Partition::ScanDiskForVolumes(readWriteInterface& reader) {
    status("Scanning partition.....");
    reporter_.setProgressRange(0, 1000);
    const uint64_t total = reader.deviceSectorCount();
    const uint64_t first = scanStartSector > 0 ? static_cast<uint64_t>(scanStartSector) : 0;
    const bool haveEnd = scanEndSector > 0;
    const auto end = static_cast<uint64_t>(std::max<int64_t>(scanEndSector, 0));
    std::vector<uint8_t> chunk(kChunkSectors * kSectorSize);

    auto stopped = [this] {
        if (!control_.shouldStop()) return false;
        status("Scanned Partitions");
        return true;
    };

    uint64_t current = first;
    while (current < total) {
        if (haveEnd && end < current) break;  // the chunk holding the end was examined whole
        uint64_t sectors = std::min(kChunkSectors, total - current);
        if (!reader.ReadExact(static_cast<int64_t>(current * kSectorSize), chunk.data(),
                              sectors * kSectorSize)) {
            return static_cast<uint32_t>(reader.lastError());
        }
        const uint64_t chunkEnd = current + sectors;
        uint64_t at = current;
        while (at < chunkEnd) {
            if (stopped()) return 1;
            std::span<const uint8_t> s(chunk.data() + (at - current) * kSectorSize, kSectorSize);
            uint64_t next = at + 1;
            bool accepted = false;

            VolumeMatch boot = classifyBootSector(s, true);
            if (boot.kind != VolumeKind::None) {
                accepted = addBootSectorRow(boot, static_cast<int64_t>(at), false);
                // NTFS keeps a backup boot sector in the sector after its stated size.
                uint64_t extent = boot.sizeSectors + (boot.kind == VolumeKind::Ntfs ? 1 : 0);
                if (accepted && skipFoundVolumes) next = saturatingAdd(at, extent);
            } else if (at >= 2) {
                // HFS+ headers and ext superblocks sit at byte 1024 of their volume.
                VolumeMatch header = classifyHfsPlusHeader(s);
                if (header.kind == VolumeKind::None) header = classifyExtSuperblock(s);
                if (header.kind != VolumeKind::None) {
                    accepted = addBootSectorRow(header, static_cast<int64_t>(at - 2), false);
                    if (accepted && skipFoundVolumes) {
                        next = std::max(next, saturatingAdd(at - 2, header.sizeSectors));
                    }
                }
            }
            if (accepted && stopped()) return 1;
            at = next;
        }
        current = at;
        double fraction = total ? static_cast<double>(current) / static_cast<double>(total) : 1;
        reporter_.setProgressPosition(static_cast<uint32_t>(std::min(fraction, 1.0) * 1000));
        if (stopped()) return 1;
    }
    return 1;
}

}  // namespace lazarine
