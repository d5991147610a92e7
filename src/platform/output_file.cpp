#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lazarine::platform {

OutputFile::~OutputFile() { close(); }

bool OutputFile::create(const std::filesystem::path& path) {
    close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::write(const void* data, size_t count) {
    if (fd_ < 0) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    while (count > 0) {
        ssize_t n = ::write(fd_, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = std::strerror(errno);
            return false;
        }
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::writeZeros(uint64_t count) {
    static const std::vector<uint8_t> zeros(1 << 16, 0);
    while (count > 0) {
        size_t n = count < zeros.size() ? static_cast<size_t>(count) : zeros.size();
        if (!write(zeros.data(), n)) return false;
        count -= n;
    }
    return true;
}

bool OutputFile::close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool setFileTimes(const std::filesystem::path& path, std::optional<FileTime> accessed,
                  std::optional<FileTime> modified) {
    timespec times[2];
    auto fill = [](timespec& ts, const std::optional<FileTime>& t) {
        if (t) {
            ts.tv_sec = static_cast<time_t>(t->seconds);
            ts.tv_nsec = static_cast<long>(t->nanoseconds % 1000000000u);
        } else {
            ts.tv_sec = 0;
            ts.tv_nsec = UTIME_OMIT;
        }
    };
    fill(times[0], accessed);
    fill(times[1], modified);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool makeFolder(const std::filesystem::path& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st {};
    return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::filesystem::path tempFolder() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') return dir;
    return "/tmp";
}

}  // namespace lazarine::platform

namespace lazarine::platform {

std::filesystem::path makePrivateTempFolder(const std::string& prefix) {
    std::string pattern = (tempFolder() / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

}  // namespace lazarine::platform
