#include "disk/reader.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "scan/job_control.h"

namespace lazarine {

namespace {
constexpr const char* kPastEnd = "the read went past the end of the device";
}

void readWriteInterface::setError(int code, std::string text) {
    lastError_ = code;
    lastErrorText_ = std::move(text);
}

void readWriteInterface::clearError() {
    lastError_ = 0;
    lastErrorText_.clear();
}

bool readWriteInterface::Seek(int64_t offset, uint32_t moveMethod) {
    int64_t origin = 0;
    switch (moveMethod) {
        case 0: origin = 0; break;
        case 1: origin = position_; break;
        case 2:
            origin = static_cast<int64_t>(
                std::min<uint64_t>(sizeBytes(), std::numeric_limits<int64_t>::max()));
            break;
        default:
            setError(EINVAL, "invalid seek method");
            return false;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(origin, offset, &target) ||
        __builtin_add_overflow(target, baseOffset, &target) || target < 0) {
        setError(EINVAL, "seek to an offset outside the device");
        return false;
    }
    position_ = target;
    return true;
}

bool readWriteInterface::Read(void* buffer, uint32_t count) {
    clearError();
    size_t got = position_ < 0 ? 0 : readRaw(static_cast<uint64_t>(position_), buffer, count);
    if (got > 0 && got < count) {
        std::memset(static_cast<unsigned char*>(buffer) + got, 0, count - got);
    }
    position_ += static_cast<int64_t>(got);
    if (got < count && lastError_ == 0) setError(EIO, kPastEnd);
    return got >= count;
}

size_t readWriteInterface::ReadAt(int64_t offset, void* buffer, size_t count) {
    clearError();
    int64_t at = 0;
    if (__builtin_add_overflow(offset, baseOffset, &at) || at < 0) {
        setError(EINVAL, "read at an offset outside the device");
        return 0;
    }
    size_t got = readRaw(static_cast<uint64_t>(at), buffer, count);
    if (got < count && lastError_ == 0) setError(EIO, kPastEnd);
    return got;
}

bool FileReadSeek::Open(std::string path) {
    clearError();
    path_ = path;
    if (!device_.open(path)) {
        int code = device_.error();
        std::string reason = platform::errorText(code);
        setError(code, reason);
        if (reporter_) reporter_->message("invalid handle ...\n" + reason);
        return false;
    }
    return true;
}

size_t FileReadSeek::readRaw(uint64_t offset, void* buffer, size_t count) {
    size_t got = device_.readAt(offset, buffer, count);
    if (got < count && device_.error() != 0) {
        setError(device_.error(), platform::errorText(device_.error()));
    }
    return got;
}

size_t MemoryReader::readRaw(uint64_t offset, void* buffer, size_t count) {
    if (offset >= bytes_.size()) return 0;
    size_t n = std::min<uint64_t>(count, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
}

}  // namespace lazarine
