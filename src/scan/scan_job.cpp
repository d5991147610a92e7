#include "scan/scan_job.h"

#include <algorithm>
#include <cctype>

#include "fs/ntfs/ntfs.h"
#include "scan/recycle_bin.h"

namespace lazarine {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

struct DispatchRow {
    const char* names[2];
    ParserKind kind;
};

// The names are compared in this order; "FAT12" matches no row on purpose.
constexpr DispatchRow kDispatch[] = {
    {{"ntfs", nullptr}, ParserKind::Ntfs},    {{"fat32", nullptr}, ParserKind::Fat32},
    {{"fat16", "fat"}, ParserKind::Fat16},    {{"extX", nullptr}, ParserKind::Ext},
    {{"fat64", "exFat"}, ParserKind::ExFat},  {{"HFS+", nullptr}, ParserKind::HfsPlus},
};

}  // namespace

ParserKind dispatchFileSystem(std::string_view fileSystem) {
    for (const DispatchRow& row : kDispatch) {
        for (const char* name : row.names) {
            if (name != nullptr && equalsNoCase(fileSystem, name)) return row.kind;
        }
    }
    return ParserKind::None;
}

std::unique_ptr<FileSystemParser> createParser(ParserKind kind, readWriteInterface& reader,
                                               const VolumeRow& volume) {
    switch (kind) {
        case ParserKind::Ntfs:
            return createNtfsParser(reader, volume);
        default:
            return nullptr;  // parsers of the other formats are not part of this build yet
    }
}

bool ScanJob::restoresRecycleBin(ParserKind kind) {
    return kind == ParserKind::Ntfs || kind == ParserKind::Fat32 || kind == ParserKind::ExFat;
}

ScanJob::ScanJob(readWriteInterface* reader, ScanSelection selection, ScanRequest request,
                 bool isVolumeSelected)
    : reader_(reader),
      selection_(std::move(selection)),
      request_(request),
      isVolumeSelected_(isVolumeSelected) {
    request_.recoveryMode = selection_.recoveryMode;
}

bool ScanJob::prepare(Reporter& reporter) {
    kind_ = dispatchFileSystem(selection_.volume.fileSystem);
    auto refuse = [&] {
        reporter.message(kNotValidDriveText);
        reporter.setStatus(kNotValidDriveStatus);
        return false;
    };
    if (kind_ == ParserKind::None) return refuse();
    if (kind_ == ParserKind::Ntfs) reporter.setStatus("ntfs partition selected....");
    if (kind_ == ParserKind::HfsPlus) reporter.setStatus("HFS+ partition selected....");
    if (reader_ == nullptr && kind_ != ParserKind::HfsPlus) {
        reporter.message(kRestartText);
        return false;
    }
    if (reader_ == nullptr) return refuse();

    // A mounted volume is read through its own device; the FAT-family advanced jobs work
    // on the device the earlier page searched.
    bool fatAdvanced = selection_.recoveryMode == 2 &&
                       (kind_ == ParserKind::Fat16 || kind_ == ParserKind::Fat32 ||
                        kind_ == ParserKind::ExFat);
    if (isVolumeSelected_ && kind_ != ParserKind::HfsPlus && !fatAdvanced) {
        if (!reader_->Open(selection_.volume.volumeText)) return false;
    }
    if (!parser_) parser_ = createParser(kind_, *reader_, selection_.volume);
    if (!parser_) return refuse();
    return true;
}

bool ScanJob::run(Reporter& reporter, JobControl& control,
                  const std::function<void(FileSystemParser&)>& topLevelReady) {
    if (!parser_) return false;
    reader_->baseOffset = selection_.volume.startSector * int64_t{kSectorSize};
    if (!parser_->scan(request_, reporter, control)) {
        std::string failure = parser_->failureText();
        if (!failure.empty()) reporter.message(failure);
        return false;
    }
    if (topLevelReady) topLevelReady(*parser_);
    if (restoresRecycleBin(kind_)) RestoreRecycleBinNames(*parser_, reporter);
    reporter.message(kScanDoneText);
    reporter.setStatus(kScanDoneText);
    return true;
}

}  // namespace lazarine
