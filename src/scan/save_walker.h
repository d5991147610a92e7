#pragma once
// Saving a folder's contents, mirrored into the output folder, and single files, written
// once over the parser interface.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/job_control.h"
#include "scan/parser.h"

namespace lazarine {

inline constexpr const char* kSelectOutputFolderText = "select output folder";
inline constexpr const char* kWorkDoneText = "work done";

struct SaveTotals {
    uint64_t saved = 0;
    uint64_t failed = 0;
    bool stopped = false;
};

// Reports the per-file size label ("File size: %ld kb", cleared after each file).
class SizeLabel {
public:
    virtual ~SizeLabel() = default;
    virtual void setSizeText(std::string_view text) = 0;
};

// Turns a name read from disk into one safe path component: separators and NUL become
// '_', "." and ".." and empty names get a replacement, leading and trailing white space
// is removed.
std::string safeFileName(std::string_view name);

// The folder walk: recreates `folder`'s sub-folders below `destination` and saves every
// file through the parser, with the status "saving File  <path>", the size label and the
// progress position. `counter` counts files handed to SaveEntry. When `only` is not
// empty, only the entries in it (ticked files, and the folders leading to them) are
// saved.
SaveTotals saveFolder(FileSystemParser& parser, EntryId folder,
                      const std::filesystem::path& destination, uint64_t& counter,
                      Reporter& reporter, JobControl& control, SizeLabel* sizeLabel = nullptr,
                      const std::vector<EntryId>* only = nullptr);

// SaveSelectedFolder: refuses an empty output folder, counts the files, asks the question
// "number of files found inside this folder = %lld .do u want to continue dumping these
// files..?", walks, sets the progress to the count and shows "work done". Returns the
// totals (nothing saved when the user answered No). With `only`, the count and the save
// cover just those files (ticked ones), mirrored with the folders that lead to them.
SaveTotals saveSelectedFolder(FileSystemParser& parser, EntryId folder,
                              const std::filesystem::path& outputFolder, Reporter& reporter,
                              JobControl& control, SizeLabel* sizeLabel = nullptr,
                              const std::vector<EntryId>* only = nullptr);

// SaveDoubleClickedFile: one file into the output folder under its safe name.
bool saveSingleFile(FileSystemParser& parser, EntryId file,
                    const std::filesystem::path& outputFolder, Reporter& reporter);

}  // namespace lazarine
