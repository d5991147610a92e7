#pragma once
// The one sector reader through which every byte of a disk is read. Offsets are bytes;
// every Seek adds baseOffset, which a parser sets to its partition's start sector x 512 so
// that it can address the partition as if it began at byte 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/device.h"

namespace lazarine {

class Reporter;

inline constexpr uint32_t kSectorSize = 512;  // everywhere; the device's own is never used

class readWriteInterface {
public:
    virtual ~readWriteInterface() = default;

    virtual bool Open(std::string path) = 0;
    // Reads `count` bytes at the current position. A short read copies what arrived,
    // zero-pads the rest of the buffer and returns false; a read of nothing leaves the
    // buffer untouched.
    virtual bool Read(void* buffer, uint32_t count);
    // Positions the reader at offset + baseOffset; method 0 from the beginning, 1 from the
    // current position, 2 from the end. Fails for a negative position.
    virtual bool Seek(int64_t offset, uint32_t moveMethod);
    virtual bool Reserved4(uint32_t) { return true; }

    // Bulk path for hot loops: reads up to `count` bytes at offset + baseOffset straight
    // into `buffer`, without moving the position or padding. Returns the bytes read.
    size_t ReadAt(int64_t offset, void* buffer, size_t count);
    // ReadAt that succeeds only when all `count` bytes arrived.
    bool ReadExact(int64_t offset, void* buffer, size_t count) {
        return ReadAt(offset, buffer, count) == count;
    }

    int64_t baseOffset = 0;

    // Number of 512-byte sectors of the device last opened (the remainder is dropped).
    uint64_t deviceSectorCount() const { return sizeBytes() / kSectorSize; }
    virtual uint64_t sizeBytes() const = 0;

    // After a failed call: a nonzero error code and one sentence saying why.
    int lastError() const { return lastError_; }
    const std::string& lastErrorText() const { return lastErrorText_; }

    int64_t position() const { return position_; }

protected:
    // Reads from an absolute byte offset of the device; returns the bytes read and sets
    // the error on a short read.
    virtual size_t readRaw(uint64_t offset, void* buffer, size_t count) = 0;
    void setError(int code, std::string text);
    void clearError();

private:
    int64_t position_ = 0;
    int lastError_ = 0;
    std::string lastErrorText_;
};

// Reader over a device path or an image file, always opened read-only.
class FileReadSeek : public readWriteInterface {
public:
    // `reporter`, when given, is shown "invalid handle ..." and the reason when Open fails.
    explicit FileReadSeek(Reporter* reporter = nullptr) : reporter_(reporter) {}

    bool Open(std::string path) override;
    uint64_t sizeBytes() const override { return device_.sizeBytes(); }
    const std::string& path() const { return path_; }

protected:
    size_t readRaw(uint64_t offset, void* buffer, size_t count) override;

private:
    platform::Device device_;
    Reporter* reporter_;
    std::string path_;
};

// Reader over bytes in memory: test builders and fuzz targets.
class MemoryReader : public readWriteInterface {
public:
    MemoryReader() = default;
    explicit MemoryReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool Open(std::string) override { return true; }
    uint64_t sizeBytes() const override { return bytes_.size(); }
    std::vector<uint8_t>& bytes() { return bytes_; }

protected:
    size_t readRaw(uint64_t offset, void* buffer, size_t count) override;

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace lazarine
