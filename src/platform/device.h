#pragma once
// Read-only access to a block device or an image file. Nothing here ever opens for writing.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lazarine::platform {

class Device {
public:
    Device() = default;
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    Device(Device&& other) noexcept;
    Device& operator=(Device&& other) noexcept;

    // Opens `path` read-only. On failure returns false and error() holds errno.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Size in bytes: BLKGETSIZE64 for block devices, the length for regular files.
    uint64_t sizeBytes() const { return size_; }
    bool isBlockDevice() const { return block_; }

    // Reads up to `count` bytes at `offset`, retrying short and interrupted reads until
    // `count` bytes arrived, the end was reached or an error occurred. Returns the number
    // of bytes read; error() is set when it is less than count because of an error
    // (0 when the end of the device was reached).
    size_t readAt(uint64_t offset, void* buffer, size_t count);

    int error() const { return error_; }

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    bool block_ = false;
    int error_ = 0;
};

// The system's text for an errno value.
std::string errorText(int code);

}  // namespace lazarine::platform
