#include "disk/drive_list.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>

#include "scan/display_format.h"

namespace lazarine {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Natural order: runs of digits compare by value (nvme2n1 before nvme10n1). Runs of
// letters compare alphabetically, or shorter first when `lettersCount` is set: the kernel
// counts disks a..z, aa..az, ..., so after the kind prefix "b" comes before "aa".
bool naturalLess(const std::string& a, const std::string& b, bool lettersCount) {
    auto runEnd = [](const std::string& s, size_t from, bool (*kind)(char)) {
        size_t to = from;
        while (to < s.size() && kind(s[to]))
            ++to;
        return to;
    };
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        bool (*kind)(char) = nullptr;
        if (isDigit(a[i]) && isDigit(b[j])) {
            kind = isDigit;
        } else if (lettersCount && isLetter(a[i]) && isLetter(b[j])) {
            kind = isLetter;
        }
        if (kind == nullptr) {
            if (a[i] != b[j])
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            ++i;
            ++j;
            continue;
        }
        size_t aEnd = runEnd(a, i, kind);
        size_t bEnd = runEnd(b, j, kind);
        std::string aRun = a.substr(i, aEnd - i);
        std::string bRun = b.substr(j, bEnd - j);
        if (kind == isDigit) {
            aRun.erase(0, std::min(aRun.find_first_not_of('0'), aRun.size() - 1));
            bRun.erase(0, std::min(bRun.find_first_not_of('0'), bRun.size() - 1));
        }
        if (aRun.size() != bRun.size())
            return aRun.size() < bRun.size();
        if (aRun != bRun)
            return aRun < bRun;
        i = aEnd;
        j = bEnd;
    }
    return a.size() - i < b.size() - j;
}

constexpr const char* kDiskKinds[] = {"sd", "hd", "vd", "nvme", "mmcblk", "loop"};
constexpr int kOtherKind = static_cast<int>(std::size(kDiskKinds));

// Drives and volumes in the same order: by kind of disk (sd, hd, vd, nvme, mmcblk, loop,
// anything else), then by the kernel's numbering after the kind prefix. Paths compare by
// their kernel name ("/dev/sda1" as "sda1").
bool deviceLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& path) {
        std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
        for (int kind = 0; kind < kOtherKind; ++kind) {
            size_t prefix = std::char_traits<char>::length(kDiskKinds[kind]);
            if (name.compare(0, prefix, kDiskKinds[kind]) == 0)
                return std::pair{kind, name.substr(prefix)};
        }
        return std::pair{kOtherKind, name};
    };
    auto [kindA, restA] = split(a);
    auto [kindB, restB] = split(b);
    if (kindA != kindB)
        return kindA < kindB;
    return naturalLess(restA, restB, kindA != kOtherKind);
}

// The device a path names, with symbolic links (/dev/mapper/NAME, /dev/disk/by-*/...)
// followed; the path itself when it does not exist.
std::string canonicalDevice(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    return path;
}

VolumeRow volumeRow(const std::string& devicePath, const std::string& fileSystem,
                    const std::string& rootPath, uint64_t sectors) {
    VolumeRow row;
    row.fileSystem = fileSystem;
    row.rootPath = rootPath;
    row.volumeText = devicePath;
    row.sizeText = volumeSizeText(sectors * 512);
    row.startSector = 0;
    row.sectorCount = sectors;
    return row;
}

}  // namespace

std::string ataString(std::span<const uint8_t> identify, int firstWord, int lastWord) {
    std::string text;
    if (firstWord < 0)
        firstWord = 0;
    int wordsThatFit = static_cast<int>(std::min<size_t>(identify.size() / 2, INT_MAX));
    lastWord = std::min(lastWord, wordsThatFit - 1);
    for (int w = firstWord; w <= lastWord; ++w) {
        // The first character of each pair sits in the high byte of the little-endian word.
        text.push_back(static_cast<char>(identify[2 * static_cast<size_t>(w) + 1]));
        text.push_back(static_cast<char>(identify[2 * static_cast<size_t>(w)]));
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    for (char& c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E)
            c = '?';
    }
    return text;
}

std::vector<PhysicalDrive> physicalDrivesFrom(
    std::vector<platform::WholeDisk> disks,
    const std::function<std::optional<std::vector<uint8_t>>(const std::string&)>& identify) {
    std::stable_sort(disks.begin(), disks.end(),
                     [](const platform::WholeDisk& a, const platform::WholeDisk& b) {
                         return deviceLess(a.name, b.name);
                     });
    std::vector<PhysicalDrive> drives;
    drives.reserve(disks.size());
    for (const platform::WholeDisk& disk : disks) {
        PhysicalDrive drive;
        drive.number = static_cast<int>(drives.size());
        drive.devicePath = disk.devicePath;
        drive.sectorCount = disk.sizeSectors;
        if (identify) {
            if (std::optional<std::vector<uint8_t>> block = identify(disk.devicePath)) {
                drive.text = ataModel(*block);
            }
        }
        if (drive.text.empty())
            drive.text = disk.sysfsModel;
        if (drive.text.empty())
            drive.text = disk.devicePath;
        drives.push_back(std::move(drive));
    }
    return drives;
}

std::vector<PhysicalDrive> listPhysicalDrives() {
    return physicalDrivesFrom(platform::listWholeDisks(), platform::ataIdentify);
}

std::string volumeFileSystemName(const std::string& type, const std::string& version) {
    if (type == "ntfs" || type == "ntfs3")
        return "NTFS";
    if (type == "vfat" || type == "msdos")
        return version == "FAT32" ? "FAT32" : "FAT";
    if (type == "exfat")
        return "exFAT";
    if (type == "ext2" || type == "ext3" || type == "ext4" || type == "ext4dev")
        return "extX";
    if (type == "hfsplus")
        return "HFS+";
    return type;
}

std::vector<VolumeRow> volumesFrom(const std::vector<platform::ProbedVolume>& probed,
                                   const std::vector<platform::MountEntry>& mounts,
                                   const std::function<uint64_t(const std::string&)>& sizeOf) {
    // The first mount point of each device. Pseudo file systems ("proc", "tmpfs") name no
    // path, so they neither match a device nor count as one.
    std::map<std::string, const platform::MountEntry*> firstMount;
    std::vector<std::pair<std::string, const platform::MountEntry*>> deviceMounts;
    for (const platform::MountEntry& mount : mounts) {
        if (mount.source.empty() || mount.source[0] != '/')
            continue;
        std::string device = canonicalDevice(mount.source);
        if (firstMount.emplace(device, &mount).second && mount.source.rfind("/dev/", 0) == 0)
            deviceMounts.emplace_back(device, &mount);
    }

    std::vector<VolumeRow> rows;
    std::set<std::string> listed;
    for (const platform::ProbedVolume& volume : probed) {
        std::string device = canonicalDevice(volume.devicePath);
        if (!listed.insert(device).second)
            continue;
        auto mount = firstMount.find(device);
        rows.push_back(
            volumeRow(volume.devicePath, volumeFileSystemName(volume.type, volume.version),
                      mount == firstMount.end() ? std::string() : mount->second->mountPoint,
                      volume.sizeSectors));
    }
    // Mounted file systems that probing did not see (no read access, or a type libblkid
    // does not know).
    for (const auto& [device, mount] : deviceMounts) {
        if (!listed.insert(device).second)
            continue;
        rows.push_back(volumeRow(mount->source, volumeFileSystemName(mount->fsType, ""),
                                 mount->mountPoint, sizeOf ? sizeOf(mount->source) : 0));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const VolumeRow& a, const VolumeRow& b) {
        return deviceLess(a.volumeText, b.volumeText);
    });
    return rows;
}

std::vector<VolumeRow> listVolumes() {
    return volumesFrom(platform::probeVolumes(), platform::listMounts(),
                       platform::blockDeviceSectors);
}

}  // namespace lazarine
