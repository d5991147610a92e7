#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace lazarine::platform {

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::filesystem::path& folder, const std::string& name) {
    release();
    std::filesystem::path path = folder / (name + ".lock");
    // Read-only and world-readable: a copy run as root and one run as the user must both be
    // able to open the file the other created.
    int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    // flock belongs to the open file description: a second open, even in this process,
    // does not get it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::filesystem::path InstanceLock::runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        std::error_code ec;
        if (std::filesystem::is_directory(runtime, ec)) return runtime;
    }
    return "/tmp";
}

}  // namespace lazarine::platform
