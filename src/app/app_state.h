#pragma once
// What the pages share: the one reader and the choices made on earlier pages.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "disk/drive_list.h"
#include "disk/reader.h"
#include "scan/scan_job.h"

namespace lazarine::app {

// Page ids: a page records the id of the page that created it.
enum PageId : int {
    kDrivePageId = 130,
    kPartitionListPageId = 134,
    kVolumeInfoPageId = 135,
    kRecoveryModePageId = 136,
    kScanPageId = 139,
    kDriveParseModePageId = 152,
};

struct AppState {
    std::unique_ptr<FileReadSeek> currentReader;
    bool isVolumeSelected = false;  // the drive page's choice was a volume
    bool driveFormatted = false;    // "Is Drive Formated..?"
    int previousPageId = 0;         // set to the drive page's id by its Next
    std::string rootItemText = kRootItemText;
};

// Where the drive page's lists come from (the machine, or a test's fakes).
struct DriveSource {
    std::function<std::vector<PhysicalDrive>()> drives = [] { return listPhysicalDrives(); };
    std::function<std::vector<VolumeRow>()> volumes = [] { return listVolumes(); };
};

// The scan page's job: dispatch, parser and the worker part. ScanJob in the program; tests
// may put a parser of their own behind it.
class ScanBackend {
public:
    virtual ~ScanBackend() = default;
    virtual bool prepare(Reporter& reporter) = 0;
    virtual bool run(Reporter& reporter, JobControl& control,
                     const std::function<void(FileSystemParser&)>& topLevelReady) = 0;
    virtual FileSystemParser* parser() = 0;
};

using ScanBackendFactory = std::function<std::unique_ptr<ScanBackend>(
    readWriteInterface* reader, const ScanSelection& selection, const ScanRequest& request,
    bool isVolumeSelected)>;

std::unique_ptr<ScanBackend> makeScanJobBackend(readWriteInterface* reader,
                                                const ScanSelection& selection,
                                                const ScanRequest& request,
                                                bool isVolumeSelected);

}  // namespace lazarine::app
