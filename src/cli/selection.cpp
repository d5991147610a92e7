#include "cli/selection.h"

#include <array>

#include "disk/boot_sector.h"
#include "disk/partition.h"
#include "scan/display_format.h"
#include "scan/job_control.h"
#include "scan/scan_job.h"

namespace lazarine::cli {

namespace {

std::string megabyteText(uint64_t sectors) {
    return printfText("%lld  MB", static_cast<long long>(sectors / 2048));
}

VolumeRow makeRow(std::string fileSystem, int64_t start, uint64_t sectors) {
    VolumeRow row;
    row.fileSystem = std::move(fileSystem);
    row.volumeText = std::to_string(start);
    row.sizeText = megabyteText(sectors);
    row.startSector = start;
    row.sectorCount = sectors;
    return row;
}

// The partition table's rows; its status texts are not shown, as the table is only
// consulted here.
std::vector<VolumeRow> partitionRows(readWriteInterface& reader) {
    JobControl control;
    NullReporter quiet;
    Partition partition(quiet, control);
    partition.ReadPartitionTable(reader);
    return partition.rows;
}

}  // namespace

void addSelectionOptions(CLI::App& cmd, SelectionOptions& options) {
    cmd.add_option("--partition", options.partition,
                   "Row number of 'lazarine-cli partitions TARGET'")
        ->check(CLI::NonNegativeNumber);
    cmd.add_option("--start", options.start, "First sector of the volume")
        ->check(CLI::NonNegativeNumber);
    cmd.add_option("--size", options.sizeMib, "Size of the volume in MiB (with --start)")
        ->check(CLI::PositiveNumber);
    cmd.add_option("--fs", options.fileSystem,
                   "Treat the volume as this file system (NTFS, FAT32, FAT16, FAT, FAT64, "
                   "extX, HFS+)");
}

std::optional<VolumeRow> identifyVolumeAt(readWriteInterface& reader, int64_t sector) {
    std::array<uint8_t, kSectorSize> boot{};
    std::array<uint8_t, kSectorSize> header{};
    int64_t base = sector * int64_t{kSectorSize};
    if (!reader.ReadExact(base - reader.baseOffset, boot.data(), boot.size())) return std::nullopt;
    VolumeMatch match = classifyBootSector(boot, true);
    if (match.kind == VolumeKind::None &&
        reader.ReadExact(base + 1024 - reader.baseOffset, header.data(), header.size())) {
        match = classifyHfsPlusHeader(header);
        if (match.kind == VolumeKind::None) match = classifyExtSuperblock(header);
    }
    if (match.kind == VolumeKind::None) return std::nullopt;
    return makeRow(fileSystemName(match.kind), sector, match.sizeSectors);
}

std::optional<VolumeRow> resolveSelection(readWriteInterface& reader,
                                          const SelectionOptions& options,
                                          std::string& error) {
    reader.baseOffset = 0;
    std::optional<VolumeRow> row;
    if (options.partition >= 0) {
        std::vector<VolumeRow> rows = partitionRows(reader);
        if (static_cast<size_t>(options.partition) >= rows.size()) {
            error = "there is no partition " + std::to_string(options.partition) + " (" +
                    std::to_string(rows.size()) + " found; see 'lazarine-cli partitions')";
            return std::nullopt;
        }
        row = rows[static_cast<size_t>(options.partition)];
    } else if (options.start >= 0) {
        row = identifyVolumeAt(reader, options.start);
        if (!row || options.sizeMib < 0) {
            // A partition row starting there knows the size even when the volume's own
            // header is damaged.
            for (const VolumeRow& candidate : partitionRows(reader)) {
                if (candidate.startSector != options.start) continue;
                if (!row) row = candidate;
                if (row->sectorCount == 0) row->sectorCount = candidate.sectorCount;
                break;
            }
        }
        if (!row) row = makeRow("", options.start, 0);
        if (options.sizeMib > 0) {
            row->sectorCount = static_cast<uint64_t>(options.sizeMib) * 2048;
            row->sizeText = megabyteText(row->sectorCount);
        }
        if (row->sectorCount == 0) {
            uint64_t total = reader.deviceSectorCount();
            uint64_t start = static_cast<uint64_t>(options.start);
            row->sectorCount = total > start ? total - start : 0;
            row->sizeText = megabyteText(row->sectorCount);
        }
    } else {
        row = identifyVolumeAt(reader, 0);
        if (!row) {
            for (const VolumeRow& candidate : partitionRows(reader)) {
                if (dispatchFileSystem(candidate.fileSystem) != ParserKind::None) {
                    row = candidate;
                    break;
                }
            }
        }
        if (!row) {
            error = "no volume with a known file system found (see 'lazarine-cli partitions', "
                    "or choose one with --partition or --start and --fs)";
            return std::nullopt;
        }
    }
    if (!options.fileSystem.empty()) row->fileSystem = options.fileSystem;
    if (row->fileSystem.empty()) {
        error = "no file system recognised at sector " + std::to_string(row->startSector) +
                " (name one with --fs)";
        return std::nullopt;
    }
    reader.baseOffset = 0;
    return row;
}

}  // namespace lazarine::cli
