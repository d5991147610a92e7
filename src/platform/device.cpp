#include "platform/device.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace lazarine::platform {

Device::~Device() { close(); }

Device::Device(Device&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      block_(other.block_),
      error_(other.error_) {}

Device& Device::operator=(Device&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        block_ = other.block_;
        error_ = other.error_;
    }
    return *this;
}

bool Device::open(const std::string& path) {
    close();
    error_ = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = errno;
        ::close(fd);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error_ = EISDIR;
        ::close(fd);
        return false;
    }
    block_ = S_ISBLK(st.st_mode);
    if (block_) {
        uint64_t bytes = 0;
        if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) {
            error_ = errno;
            ::close(fd);
            return false;
        }
        size_ = bytes;
    } else {
        size_ = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }
    fd_ = fd;
    return true;
}

void Device::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = 0;
    block_ = false;
}

size_t Device::readAt(uint64_t offset, void* buffer, size_t count) {
    error_ = 0;
    if (fd_ < 0) {
        error_ = EBADF;
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        uint64_t at = offset + done;
        if (at > static_cast<uint64_t>(INT64_MAX)) {
            error_ = EINVAL;
            break;
        }
        ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            break;
        }
        if (n == 0) break;  // end of device
        done += static_cast<size_t>(n);
    }
    return done;
}

std::string errorText(int code) {
    if (code == 0) return "end of device reached";
    char buffer[256];
    // GNU strerror_r returns the message pointer, which may not be `buffer`.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text;
}

}  // namespace lazarine::platform
