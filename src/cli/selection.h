#pragma once
// Which volume of a TARGET a command works on: a partition row, a start sector, or (by
// default) the whole target when it begins with a volume, else its first partition with a
// known file system.

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "disk/reader.h"
#include "disk/volume_row.h"

namespace lazarine::cli {

struct SelectionOptions {
    int partition = -1;
    int64_t start = -1;
    int64_t sizeMib = -1;
    std::string fileSystem;
};

void addSelectionOptions(CLI::App& cmd, SelectionOptions& options);

// The volume to work on, or nullopt with `error` set.
std::optional<VolumeRow> resolveSelection(readWriteInterface& reader,
                                          const SelectionOptions& options,
                                          std::string& error);

// The file system and size stated by what lies at `sector`: a boot sector there, or an
// ext superblock or HFS+ header 1024 bytes in.
std::optional<VolumeRow> identifyVolumeAt(readWriteInterface& reader, int64_t sector);

}  // namespace lazarine::cli
