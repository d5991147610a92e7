#pragma once
// What the operating system tells about block devices and mounted file systems. Pure
// facts: turning them into drive and volume rows is disk/drive_list's job.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lazarine::platform {

// A whole-disk block device from /sys/block.
struct WholeDisk {
    std::string name;        // kernel name: "sda", "nvme0n1", "loop3"
    std::string devicePath;  // "/dev/sda"
    uint64_t sizeSectors = 0;  // /sys/block/NAME/size (always 512-byte units)
    std::string sysfsModel;  // /sys/block/NAME/device/model, trimmed; may be empty
    std::string backingFile; // loop devices: the image file behind it
};

// Whole-disk block devices that can hold recoverable data: sd*, hd*, vd*, nvme*n*,
// mmcblk* (not its boot or rpmb areas) and loop devices that have a backing file.
std::vector<WholeDisk> listWholeDisks();

// The 512-byte ATA IDENTIFY block of a device (HDIO_GET_IDENTITY, opened read-only and
// closed again), when the device answers.
std::optional<std::vector<uint8_t>> ataIdentify(const std::string& devicePath);

// A block device (disk or partition) that libblkid identifies as carrying a file system.
struct ProbedVolume {
    std::string devicePath;
    std::string type;     // libblkid TYPE: "ntfs", "vfat", "exfat", "ext4", "hfsplus", ...
    std::string version;  // libblkid VERSION, e.g. "FAT32"; may be empty
    uint64_t sizeSectors = 0;
};
std::vector<ProbedVolume> probeVolumes();
// Size in 512-byte sectors of the block device at a /dev path (symbolic links such as
// /dev/mapper/NAME followed) from /sys/class/block; 0 when it is not a block device.
uint64_t blockDeviceSectors(const std::string& devicePath);

struct MountEntry {
    std::string source;      // "/dev/sda1", or a pseudo source like "proc"
    std::string mountPoint;  // with octal escapes of /proc/self/mounts decoded
    std::string fsType;
};
std::vector<MountEntry> listMounts();
// The entries of a /proc/self/mounts text.
std::vector<MountEntry> parseMounts(const std::string& text);

}  // namespace lazarine::platform
