#include "platform/block_devices.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace lazarine::platform {

namespace {

// The whole content of a small sysfs or procfs file, or empty when it cannot be read.
std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string trimmed(std::string text) {
    auto blank = [](unsigned char c) { return std::isspace(c) != 0 || c == '\0'; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back())))
        text.pop_back();
    size_t first = 0;
    while (first < text.size() && blank(static_cast<unsigned char>(text[first])))
        ++first;
    return text.substr(first);
}

uint64_t readSectors(const std::string& path) {
    std::string text = trimmed(readTextFile(path));
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return 0;
    return std::strtoull(text.c_str(), nullptr, 10);
}

std::vector<std::string> directoryNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool allDigits(const std::string& text, size_t from, size_t to) {
    if (from >= to || to > text.size())
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(to),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool allLowerLetters(const std::string& text, size_t from) {
    if (from >= text.size())
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                       [](unsigned char c) { return c >= 'a' && c <= 'z'; });
}

// "nvme0n1": a namespace of controller 0. "nvme0c0n1" (a multipath controller path) and
// partitions ("nvme0n1p1") do not match.
bool isNvmeNamespace(const std::string& name) {
    if (!startsWith(name, "nvme"))
        return false;
    size_t n = name.find('n', 4);
    return n != std::string::npos && allDigits(name, 4, n) && allDigits(name, n + 1, name.size());
}

// The kernel writes '/' in device names as '!' ("cciss!c0d0" is /dev/cciss/c0d0).
std::string devicePathOf(const std::string& name) {
    std::string path = "/dev/" + name;
    std::replace(path.begin(), path.end(), '!', '/');
    return path;
}

std::string loopBackingFile(const std::string& name) {
    return trimmed(readTextFile("/sys/block/" + name + "/loop/backing_file"));
}

// The whole-disk kernel name that a /sys/class/block entry belongs to: itself for a disk,
// the parent directory of its sysfs node for a partition.
std::string wholeDiskOf(const std::string& name) {
    std::string node = "/sys/class/block/" + name;
    if (::access((node + "/partition").c_str(), F_OK) != 0)
        return name;
    char resolved[PATH_MAX];
    if (::realpath(node.c_str(), resolved) == nullptr)
        return name;
    std::string path = resolved;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return name;
    path.resize(slash);
    slash = path.rfind('/');
    return slash == std::string::npos ? name : path.substr(slash + 1);
}

// Whether a type that libblkid names is a file system (not swap, RAID, LVM, crypto, ...).
bool isFileSystemType(const std::string& type) {
    static const std::set<std::string> fileSystems = [] {
        std::set<std::string> names;
        const char* name = nullptr;
        int usage = 0;
        for (size_t i = 0; blkid_superblocks_get_name(i, &name, &usage) == 0; ++i) {
            if (name != nullptr && (usage & BLKID_USAGE_FILESYSTEM) != 0)
                names.insert(name);
        }
        return names;
    }();
    return fileSystems.count(type) != 0;
}

// TYPE tags of the blkid cache file, by device name. The cache is only read: nothing in it is
// verified, so libblkid has no change to write back.
std::map<std::string, std::string> cachedTypes() {
    std::map<std::string, std::string> types;
    blkid_cache cache = nullptr;
    if (blkid_get_cache(&cache, nullptr) != 0 || cache == nullptr)
        return types;
    blkid_dev_iterate devices = blkid_dev_iterate_begin(cache);
    blkid_dev dev = nullptr;
    while (devices != nullptr && blkid_dev_next(devices, &dev) == 0) {
        const char* devName = blkid_dev_devname(dev);
        if (devName == nullptr)
            continue;
        blkid_tag_iterate tags = blkid_tag_iterate_begin(dev);
        const char* tagType = nullptr;
        const char* tagValue = nullptr;
        while (tags != nullptr && blkid_tag_next(tags, &tagType, &tagValue) == 0) {
            if (tagType != nullptr && tagValue != nullptr && std::strcmp(tagType, "TYPE") == 0) {
                types[devName] = tagValue;
            }
        }
        blkid_tag_iterate_end(tags);
    }
    blkid_dev_iterate_end(devices);
    blkid_put_cache(cache);
    return types;
}

enum class ProbeResult { kFound, kNone, kUnreadable };

ProbeResult probeFileSystem(const std::string& devicePath, ProbedVolume& volume) {
    // libblkid opens the device O_RDONLY and closes it again in blkid_free_probe.
    errno = 0;
    blkid_probe probe = blkid_new_probe_from_filename(devicePath.c_str());
    if (probe == nullptr) {
        return errno == EACCES || errno == EPERM ? ProbeResult::kUnreadable : ProbeResult::kNone;
    }
    ProbeResult result = ProbeResult::kNone;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(
        probe, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION | BLKID_SUBLKS_USAGE);
    if (blkid_do_safeprobe(probe) == 0) {
        const char* usage = nullptr;
        const char* type = nullptr;
        const char* version = nullptr;
        if (blkid_probe_lookup_value(probe, "USAGE", &usage, nullptr) == 0 && usage != nullptr &&
            std::strcmp(usage, "filesystem") == 0 &&
            blkid_probe_lookup_value(probe, "TYPE", &type, nullptr) == 0 && type != nullptr) {
            volume.type = type;
            if (blkid_probe_lookup_value(probe, "VERSION", &version, nullptr) == 0 &&
                version != nullptr) {
                volume.version = version;
            }
            result = ProbeResult::kFound;
        }
    }
    blkid_free_probe(probe);
    return result;
}

// Identify words whose text the kernel hands over in reading order (ata_id_string) rather
// than in the drive's word order: serial number, firmware revision, model.
bool isTextWord(int word) {
    return (word >= 10 && word <= 19) || (word >= 23 && word <= 26) || (word >= 27 && word <= 46);
}

}  // namespace

std::vector<WholeDisk> listWholeDisks() {
    std::vector<WholeDisk> disks;
    for (const std::string& name : directoryNames("/sys/block")) {
        bool wanted = false;
        std::string backing;
        if (startsWith(name, "sd") || startsWith(name, "hd") || startsWith(name, "vd")) {
            wanted = allLowerLetters(name, 2);
        } else if (startsWith(name, "nvme")) {
            wanted = isNvmeNamespace(name);
        } else if (startsWith(name, "mmcblk")) {
            // Only the user area; mmcblk0boot0 and mmcblk0rpmb are separate hardware areas.
            wanted = allDigits(name, 6, name.size());
        } else if (startsWith(name, "loop")) {
            if (allDigits(name, 4, name.size())) {
                backing = loopBackingFile(name);
                wanted = !backing.empty();
            }
        }
        if (!wanted)
            continue;
        WholeDisk disk;
        disk.name = name;
        disk.devicePath = devicePathOf(name);
        disk.sizeSectors = readSectors("/sys/block/" + name + "/size");
        disk.sysfsModel = trimmed(readTextFile("/sys/block/" + name + "/device/model"));
        disk.backingFile = backing;
        disks.push_back(std::move(disk));
    }
    return disks;
}

std::optional<std::vector<uint8_t>> ataIdentify(const std::string& devicePath) {
    int fd = ::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    uint16_t words[256] = {};
    int rc = ::ioctl(fd, HDIO_GET_IDENTITY, words);
    ::close(fd);
    if (rc != 0)
        return std::nullopt;

    // Back to the drive's own layout: little-endian words, text fields with the first
    // character of each pair in the high byte.
    std::vector<uint8_t> identify(512);
    const auto* raw = reinterpret_cast<const uint8_t*>(words);
    for (int w = 0; w < 256; ++w) {
        if (isTextWord(w)) {
            identify[2 * w] = raw[2 * w + 1];
            identify[2 * w + 1] = raw[2 * w];
        } else {
            identify[2 * w] = static_cast<uint8_t>(words[w] & 0xFF);
            identify[2 * w + 1] = static_cast<uint8_t>(words[w] >> 8);
        }
    }
    return identify;
}

std::vector<ProbedVolume> probeVolumes() {
    std::vector<ProbedVolume> volumes;
    std::optional<std::map<std::string, std::string>> cache;
    for (const std::string& name : directoryNames("/sys/class/block")) {
        if (startsWith(name, "ram") || startsWith(name, "zram"))
            continue;
        std::string disk = wholeDiskOf(name);
        if (startsWith(disk, "loop") && loopBackingFile(disk).empty())
            continue;
        uint64_t sectors = readSectors("/sys/class/block/" + name + "/size");
        if (sectors == 0)
            continue;  // no medium, or an unused device

        ProbedVolume volume;
        volume.devicePath = devicePathOf(name);
        volume.sizeSectors = sectors;
        ProbeResult result = probeFileSystem(volume.devicePath, volume);
        if (result == ProbeResult::kUnreadable) {
            // Without read access, what the system last recorded is the best answer.
            if (!cache)
                cache = cachedTypes();
            auto found = cache->find(volume.devicePath);
            if (found == cache->end() || !isFileSystemType(found->second))
                continue;
            volume.type = found->second;
        } else if (result != ProbeResult::kFound) {
            continue;
        }
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

uint64_t blockDeviceSectors(const std::string& devicePath) {
    char resolved[PATH_MAX];
    std::string path = ::realpath(devicePath.c_str(), resolved) != nullptr ? resolved : devicePath;
    if (!startsWith(path, "/dev/"))
        return 0;
    std::string name = path.substr(5);
    std::replace(name.begin(), name.end(), '/', '!');
    if (name.empty() || name.find("..") != std::string::npos)
        return 0;
    return readSectors("/sys/class/block/" + name + "/size");
}

namespace {

// /proc/self/mounts writes space, tab, newline and backslash as \ooo.
std::string decodeMountField(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    auto octal = [](char c, char high) { return c >= '0' && c <= high; };
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1], '3') &&
            octal(field[i + 2], '7') && octal(field[i + 3], '7')) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(field[i]);
    }
    return out;
}

}  // namespace

std::vector<MountEntry> parseMounts(const std::string& text) {
    std::vector<MountEntry> mounts;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        // source mountpoint fstype options freq passno, separated by single blanks
        std::vector<std::string> fields;
        size_t start = lineStart;
        while (fields.size() < 3 && start < lineEnd) {
            size_t end = text.find(' ', start);
            if (end == std::string::npos || end > lineEnd)
                end = lineEnd;
            fields.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (fields.size() == 3) {
            mounts.push_back({decodeMountField(fields[0]), decodeMountField(fields[1]),
                              decodeMountField(fields[2])});
        }
        lineStart = lineEnd + 1;
    }
    return mounts;
}

std::vector<MountEntry> listMounts() {
    return parseMounts(readTextFile("/proc/self/mounts"));
}

}  // namespace lazarine::platform
