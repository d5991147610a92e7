#pragma once
// One running copy per user session: an exclusive lock on a file in the runtime folder.
// The lock goes away with the process, however it ends.

#include <filesystem>
#include <string>

namespace lazarine::platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on `folder`/`name`.lock. False when another process (or another
    // InstanceLock) holds it, or the file cannot be opened.
    bool acquire(const std::filesystem::path& folder, const std::string& name);
    bool held() const { return fd_ >= 0; }
    void release();

    // $XDG_RUNTIME_DIR when set and usable, else /tmp.
    static std::filesystem::path runtimeFolder();

private:
    int fd_ = -1;
};

}  // namespace lazarine::platform
