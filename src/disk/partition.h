#pragma once
// Finds the volumes on a physical drive: from the MBR with its extended chain, from the
// GUID partition table, or by searching every sector for boot sectors.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "disk/boot_sector.h"
#include "disk/reader.h"
#include "disk/volume_row.h"
#include "scan/job_control.h"

namespace lazarine {

// True when `sector` holds an exFAT boot sector (jump 0xEB 0x3C/0x58/0x76, "EXFA").
bool IsExFatBootSector(readWriteInterface& reader, int64_t sector);
// True when byte 1024 of the volume at `sector` holds an HFS+ volume header.
bool IsHfsPlusVolume(readWriteInterface& reader, int64_t sector);

struct TableEntryName;

class Partition {
public:
    Partition(Reporter& reporter, JobControl& control) : reporter_(reporter), control_(control) {}

    // Disk search bounds in 512-byte sectors; 0 means the start or end of the drive.
    int64_t scanStartSector = 0;
    int64_t scanEndSector = 0;
    // Disk search: after a volume is found, continue behind its whole extent.
    bool skipFoundVolumes = true;
    // Partition table: read the GUID partition table rather than the MBR. A protective MBR
    // (type 0xEE) leads to the GUID table as well.
    bool useGpt = false;

    // The rows found, in discovery order.
    std::vector<VolumeRow> rows;
    // Disk search: called for each row as soon as it is found (the page's list).
    std::function<void(const VolumeRow&)> onRowFound;

    // 0 when the table was read, else the reader's error code of the failed read; rows
    // found before a failure stay. Leaves baseOffset at 0.
    uint32_t ReadPartitionTable(readWriteInterface& reader);
    // 1 when the search ran to its end or was stopped, else the reader's error code.
    uint32_t ScanDiskForVolumes(readWriteInterface& reader);

private:
    enum class GptResult { Read, NoTable, Failed };
    GptResult readGpt(readWriteInterface& reader, uint32_t& error);
    bool readGptHeader(readWriteInterface& reader, uint64_t headerLba,
                       std::vector<uint8_t>& header);
    uint32_t readMbr(readWriteInterface& reader);
    uint32_t walkExtendedChain(readWriteInterface& reader, uint64_t base);
    TableEntryName nameTableEntry(readWriteInterface& reader, uint8_t type, int64_t start,
                                  bool logical);
    void addTableEntry(readWriteInterface& reader, uint8_t type, uint64_t start, uint64_t count,
                       bool logical);
    // Adds a row identified from a boot sector; returns false when none was added.
    bool addBootSectorRow(const VolumeMatch& match, int64_t start, bool gpt);
    void addRow(std::string fileSystem, std::string sizeText, int64_t start, uint64_t sectors);
    void status(const std::string& text) { reporter_.setStatus(text); }

    Reporter& reporter_;
    JobControl& control_;
    int ntfsCounter_ = 0;
};

// The file-system name of a row for a boot-sector match ("NTFS", "FAT32", ...).
const char* fileSystemName(VolumeKind kind);

}  // namespace lazarine
