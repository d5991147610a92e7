#pragma once
// The drive page's two lists: physical drives and volumes.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "disk/volume_row.h"
#include "platform/block_devices.h"

namespace lazarine {

struct PhysicalDrive {
    int number = 0;          // position in the list, from 0
    std::string devicePath;  // stands where "\\.\PhysicalDrive%d" stood
    std::string text;        // ATA model, else sysfs model, else the device path
    uint64_t sectorCount = 0;
};

// Physical drives numbered from 0 in a stable order: by kind (sd, hd, vd, nvme, mmcblk,
// loop), then by kernel name in natural order (sdb before sdaa).
std::vector<PhysicalDrive> listPhysicalDrives();
// The same from given facts (testable without devices). `identify` answers the ATA
// IDENTIFY query for a device path.
std::vector<PhysicalDrive> physicalDrivesFrom(
    std::vector<platform::WholeDisk> disks,
    const std::function<std::optional<std::vector<uint8_t>>(const std::string&)>& identify);

// Characters of an ATA IDENTIFY string field, words firstWord..lastWord, each word high
// byte first; trailing blanks and NULs removed, other unprintable bytes shown as '?'.
std::string ataString(std::span<const uint8_t> identify, int firstWord, int lastWord);
// The model, words 27 to 46.
inline std::string ataModel(std::span<const uint8_t> identify) {
    return ataString(identify, 27, 46);
}

// Mounted and unmounted volumes that carry a file system, one VolumeRow each: fileSystem
// named as the scan dispatch understands it, rootPath the mount point or empty,
// volumeText the device path, sizeText "%d  MB", startSector 0, sectorCount exact.
std::vector<VolumeRow> listVolumes();
std::vector<VolumeRow> volumesFrom(const std::vector<platform::ProbedVolume>& probed,
                                   const std::vector<platform::MountEntry>& mounts,
                                   const std::function<uint64_t(const std::string&)>& sizeOf);

// libblkid's TYPE and VERSION (or a mount's fsType) to the scan dispatch's name:
// "NTFS", "FAT" (FAT12/16), "FAT32", "exFAT", "extX", "HFS+"; others pass unchanged.
std::string volumeFileSystemName(const std::string& type, const std::string& version);

}  // namespace lazarine
