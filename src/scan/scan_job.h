#pragma once
// The scan job: dispatch on the volume's file-system name, the parser's steps on a worker
// thread, then the shared ending (top level, recycle-bin names, completion message). The
// GUI's scan page and lazarine-cli both run exactly this.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "disk/reader.h"
#include "disk/volume_row.h"
#include "scan/job_control.h"
#include "scan/parser.h"

namespace lazarine {

// What the recovery-mode page hands to the scan page.
struct ScanSelection {
    VolumeRow volume;
    int recoveryMode = 1;  // 1 Standard, 2 Advanced, 3 Deep
};

// The rows of the dispatch table, in the order they are tested.
enum class ParserKind { Ntfs, Fat32, Fat16, Ext, ExFat, HfsPlus, None };

// Case-insensitive match of a file-system name against the dispatch table.
ParserKind dispatchFileSystem(std::string_view fileSystem);

// The parser for `kind` bound to `reader` and `volume`, or nullptr when that parser does
// not exist (yet) in this build.
std::unique_ptr<FileSystemParser> createParser(ParserKind kind, readWriteInterface& reader,
                                               const VolumeRow& volume);

inline constexpr const char* kRootItemText = "ROOT";
inline constexpr const char* kScanDoneText =
    "Scanning processing done.Select save button to save the data.";
inline constexpr const char* kNotValidDriveText = "not a valid drive.";
inline constexpr const char* kNotValidDriveStatus = "Not a valid Drive .Go back";
inline constexpr const char* kRestartText =
    "Please Restart the program to re begin necessary initialization...";

class ScanJob {
public:
    // `reader` may be null (no device was opened): prepare() then refuses to start.
    // `isVolumeSelected` makes the job reopen the reader on the volume's own device path
    // (VolumeRow::volumeText) before it starts, as for a mounted volume.
    ScanJob(readWriteInterface* reader, ScanSelection selection, ScanRequest request,
            bool isVolumeSelected = false);

    // The part that runs before the worker starts: dispatch, the "... partition
    // selected...." status, parser creation. Shows the failure message and returns false
    // when no job can start.
    bool prepare(Reporter& reporter);

    // The worker part. `topLevelReady` runs after the parser's steps and before the
    // recycle-bin names are restored: the GUI builds "ROOT", its children and their
    // expand placeholders there. Returns false when the volume failed the first check.
    bool run(Reporter& reporter, JobControl& control,
             const std::function<void(FileSystemParser&)>& topLevelReady = {});

    // Advanced mode: the advanced input page created the parser (and ran its candidate
    // search); prepare() then uses it instead of creating one.
    void adoptParser(std::unique_ptr<FileSystemParser> parser) { parser_ = std::move(parser); }

    FileSystemParser* parser() { return parser_.get(); }
    std::unique_ptr<FileSystemParser> takeParser() { return std::move(parser_); }
    ParserKind kind() const { return kind_; }
    // True when recycle-bin names are restored after this kind of scan.
    static bool restoresRecycleBin(ParserKind kind);

private:
    readWriteInterface* reader_;
    ScanSelection selection_;
    ScanRequest request_;
    bool isVolumeSelected_;
    ParserKind kind_ = ParserKind::None;
    std::unique_ptr<FileSystemParser> parser_;
};

}  // namespace lazarine
