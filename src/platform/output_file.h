#pragma once
// Files written to the output folder: created or truncated, written sequentially, given
// their times, closed. Creation time cannot be set on Linux file systems; the other two
// are set with nanosecond precision.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace lazarine::platform {

struct FileTime {
    int64_t seconds = 0;  // since 1970-01-01 00:00 UTC
    uint32_t nanoseconds = 0;
};

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates the file for writing. False (with error()) on failure.
    bool create(const std::filesystem::path& path);
    bool write(const void* data, size_t count);
    // Writes `count` zero bytes.
    bool writeZeros(uint64_t count);
    bool close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

// Sets the last access and last modification times of `path`; a missing time keeps the
// file's current one. False on failure.
bool setFileTimes(const std::filesystem::path& path, std::optional<FileTime> accessed,
                  std::optional<FileTime> modified);

// Creates `path` as a folder if it does not exist yet.
bool makeFolder(const std::filesystem::path& path);

// The user's temporary-files folder ($TMPDIR, else /tmp).
std::filesystem::path tempFolder();

}  // namespace lazarine::platform

namespace lazarine::platform {

// Creates a new folder only this user can enter, below the temporary-files folder, named
// from `prefix` and a random suffix. Empty on failure.
std::filesystem::path makePrivateTempFolder(const std::string& prefix);

}  // namespace lazarine::platform
