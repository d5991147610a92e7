#include "disk/drive_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

namespace lazarine {
namespace {

using platform::MountEntry;
using platform::ProbedVolume;
using platform::WholeDisk;

// A 512-byte IDENTIFY block as a drive returns it: the model in words 27..46, padded with
// `pad`, two characters per little-endian word with the first one in the high byte.
std::vector<uint8_t> identifyWithModel(const std::string& model, char pad = ' ') {
    std::vector<uint8_t> block(512, 0);
    std::string field = model;
    field.resize(40, pad);
    for (int i = 0; i < 20; ++i) {
        block[2 * (27 + i)] = static_cast<uint8_t>(field[2 * i + 1]);
        block[2 * (27 + i) + 1] = static_cast<uint8_t>(field[2 * i]);
    }
    return block;
}

TEST(AtaString, ReadsTheModelField) {
    struct Case {
        std::string model;
        char pad;
        std::string text;
    } cases[] = {
        {"WDC WD10EZEX-08WN4A0", ' ', "WDC WD10EZEX-08WN4A0"},
        {"Samsung SSD 860 EVO 500GB", ' ', "Samsung SSD 860 EVO 500GB"},
        {"Hitachi HDS721010CLA332", ' ', "Hitachi HDS721010CLA332"},  // odd length
        {"ST1000DM003-1CH162", '\0', "ST1000DM003-1CH162"},           // NUL padded
        {"   QEMU HARDDISK", ' ', "   QEMU HARDDISK"},                // leading blanks kept
        {"", ' ', ""},                                                // all blanks
        {"A\x01Z\xff", ' ', "A?Z?"},                                  // unprintable bytes
        {std::string("AB\0CD", 5), ' ', "AB?CD"},                     // inner NUL
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ataModel(identifyWithModel(c.model, c.pad)), c.text) << c.model;
    }
}

TEST(AtaString, TakesTheHighByteOfEachWordFirst) {
    // Word 27 = 0x5744 ("WD"), word 28 = 0x4320 ("C "), stored little-endian.
    std::vector<uint8_t> block(512, 0);
    const uint8_t field[] = {0x44, 0x57, 0x20, 0x43};
    std::copy(std::begin(field), std::end(field), block.begin() + 54);
    EXPECT_EQ(ataString(block, 27, 28), "WDC");
    EXPECT_EQ(ataString(block, 27, 27), "WD");
}

TEST(AtaString, StopsAtTheEndOfAShortBuffer) {
    std::vector<uint8_t> full = identifyWithModel("WDC WD10EZEX-08WN4A0");
    auto prefix = [&](size_t bytes) { return std::span<const uint8_t>(full.data(), bytes); };
    EXPECT_EQ(ataModel(prefix(60)), "WDC WD");  // words 27..29 fit
    EXPECT_EQ(ataModel(prefix(61)), "WDC WD");  // a half word does not count
    EXPECT_EQ(ataModel(prefix(54)), "");        // word 27 is missing
    EXPECT_EQ(ataModel({}), "");
    EXPECT_EQ(ataString(full, 30, 29), "");
}

TEST(PhysicalDrives, OrdersByKindThenNaturalNameAndNumbersFromZero) {
    std::vector<WholeDisk> disks;
    for (const char* name : {"loop0", "sdaa", "nvme10n1", "sdb", "mmcblk0", "vda", "nvme2n1", "sda",
                             "hda", "mmcblk10", "mmcblk2"}) {
        disks.push_back({name, std::string("/dev/") + name, 0, "", ""});
    }
    std::vector<PhysicalDrive> drives = physicalDrivesFrom(disks, nullptr);
    std::vector<std::string> paths;
    for (size_t i = 0; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].number, static_cast<int>(i));
        paths.push_back(drives[i].devicePath);
    }
    EXPECT_EQ(paths,
              (std::vector<std::string>{"/dev/sda", "/dev/sdb", "/dev/sdaa", "/dev/hda", "/dev/vda",
                                        "/dev/nvme2n1", "/dev/nvme10n1", "/dev/mmcblk0",
                                        "/dev/mmcblk2", "/dev/mmcblk10", "/dev/loop0"}));
}

TEST(PhysicalDrives, NamesTheDriveByAtaModelThenSysfsModelThenPath) {
    std::vector<WholeDisk> disks = {
        {"sda", "/dev/sda", 1953525168, "WDC WD10EZEX-08W", ""},
        {"sdb", "/dev/sdb", 100, "Ultra Fit", ""},  // answers with a blank model
        {"nvme0n1", "/dev/nvme0n1", 200, "Samsung SSD 970 EVO Plus 1TB", ""},
        {"loop0", "/dev/loop0", 300, "", "/tmp/disk.img"},
    };
    std::map<std::string, std::vector<uint8_t>> answers = {
        {"/dev/sda", identifyWithModel("WDC WD10EZEX-08WN4A0")},
        {"/dev/sdb", identifyWithModel("")},
    };
    std::vector<std::string> asked;
    auto identify = [&](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        asked.push_back(path);
        auto found = answers.find(path);
        if (found == answers.end())
            return std::nullopt;
        return found->second;
    };
    std::vector<PhysicalDrive> drives = physicalDrivesFrom(disks, identify);
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].text, "WDC WD10EZEX-08WN4A0");
    EXPECT_EQ(drives[0].sectorCount, 1953525168u);
    EXPECT_EQ(drives[1].text, "Ultra Fit");
    EXPECT_EQ(drives[2].text, "Samsung SSD 970 EVO Plus 1TB");
    EXPECT_EQ(drives[3].text, "/dev/loop0");
    EXPECT_EQ(drives[3].sectorCount, 300u);
    EXPECT_EQ(asked,
              (std::vector<std::string>{"/dev/sda", "/dev/sdb", "/dev/nvme0n1", "/dev/loop0"}));
}

TEST(VolumeFileSystemName, MapsTypesToTheScanNames) {
    struct Case {
        const char* type;
        const char* version;
        const char* name;
    } cases[] = {
        {"ntfs", "", "NTFS"},        {"ntfs3", "", "NTFS"},     {"vfat", "FAT32", "FAT32"},
        {"msdos", "FAT32", "FAT32"}, {"vfat", "FAT16", "FAT"},  {"vfat", "FAT12", "FAT"},
        {"vfat", "", "FAT"},         {"exfat", "1.0", "exFAT"}, {"ext2", "1.0", "extX"},
        {"ext3", "1.0", "extX"},     {"ext4", "1.0", "extX"},   {"ext4dev", "", "extX"},
        {"hfsplus", "", "HFS+"},     {"xfs", "", "xfs"},        {"btrfs", "", "btrfs"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(volumeFileSystemName(c.type, c.version), c.name) << c.type << " " << c.version;
    }
}

TEST(Volumes, CombinesProbedVolumesWithTheMountTable) {
    std::vector<ProbedVolume> probed = {
        {"/dev/sdb1", "vfat", "FAT32", 60062500},
        {"/dev/sda1", "ntfs", "", 1953519616},
        {"/dev/sdaa2", "ext4", "1.0", 2048},
    };
    std::vector<MountEntry> mounts = {
        {"proc", "/proc", "proc"},
        {"tmpfs", "/run", "tmpfs"},
        {"/dev/vda", "/", "ext4"},
        {"/dev/sda1", "/mnt/win", "ntfs3"},
        {"/dev/sda1", "/srv/win-again", "ntfs3"},  // a second mount: the first one is shown
        {"/dev/vda", "/home", "ext4"},             // a bind mount: still one row
    };
    std::vector<std::string> sizeAsked;
    auto sizeOf = [&](const std::string& path) -> uint64_t {
        sizeAsked.push_back(path);
        return path == "/dev/vda" ? 536870912 : 0;
    };
    std::vector<VolumeRow> rows = volumesFrom(probed, mounts, sizeOf);
    ASSERT_EQ(rows.size(), 4u);

    struct Expected {
        const char* volumeText;
        const char* fileSystem;
        const char* rootPath;
        const char* sizeText;
        uint64_t sectorCount;
    } expected[] = {
        {"/dev/sda1", "NTFS", "/mnt/win", "953867  MB", 1953519616},
        {"/dev/sdb1", "FAT32", "", "29327  MB", 60062500},
        {"/dev/sdaa2", "extX", "", "1  MB", 2048},
        {"/dev/vda", "extX", "/", "262144  MB", 536870912},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].volumeText);
        EXPECT_EQ(rows[i].volumeText, expected[i].volumeText);
        EXPECT_EQ(rows[i].fileSystem, expected[i].fileSystem);
        EXPECT_EQ(rows[i].rootPath, expected[i].rootPath);
        EXPECT_EQ(rows[i].sizeText, expected[i].sizeText);
        EXPECT_EQ(rows[i].sectorCount, expected[i].sectorCount);
        EXPECT_EQ(rows[i].startSector, 0);
    }
    EXPECT_EQ(sizeAsked, std::vector<std::string>{"/dev/vda"});
}

TEST(Volumes, FindsTheMountPointThroughASymbolicLink) {
    // /dev/mapper/NAME and /dev/disk/by-uuid/... name the device through a link.
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("lazarine-volumes-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::FILE* file = std::fopen((dir / "dm-0").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    fs::create_symlink(dir / "dm-0", dir / "vg-root");

    std::vector<VolumeRow> rows =
        volumesFrom({{(dir / "dm-0").string(), "xfs", "", 8}},
                    {{(dir / "vg-root").string(), "/data", "xfs"}}, nullptr);
    fs::remove_all(dir);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rootPath, "/data");
    EXPECT_EQ(rows[0].fileSystem, "xfs");
}

TEST(ParseMounts, SplitsFieldsAndDecodesOctalEscapes) {
    std::vector<MountEntry> mounts = platform::parseMounts(
        "proc /proc proc rw,relatime 0 0\n"
        "/dev/sda1 /media/My\\040Disk\\011x ntfs3 rw 0 0\n"
        "/dev/sdb1 /mnt/back\\134slash vfat rw 0 0\n"
        "/dev/sdc1 /mnt/a\\0b\\999 ext4 rw 0 0\n"
        "\n"
        "short line\n"
        "/dev/vda / ext4 rw 0 0");
    ASSERT_EQ(mounts.size(), 5u);
    EXPECT_EQ(mounts[0].source, "proc");
    EXPECT_EQ(mounts[0].fsType, "proc");
    EXPECT_EQ(mounts[1].source, "/dev/sda1");
    EXPECT_EQ(mounts[1].mountPoint, "/media/My Disk\tx");
    EXPECT_EQ(mounts[1].fsType, "ntfs3");
    EXPECT_EQ(mounts[2].mountPoint, "/mnt/back\\slash");
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/a\\0b\\999");  // not escapes: kept as written
    EXPECT_EQ(mounts[4].mountPoint, "/");
    EXPECT_EQ(mounts[4].fsType, "ext4");
}

TEST(DrivesCommand, PrintsBothListsAsJson) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(
        ::popen(LAZARINE_CLI_PATH " drives --json", "r"), ::pclose);
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, n);
    EXPECT_EQ(::pclose(pipe.release()), 0);

    nlohmann::json parsed = nlohmann::json::parse(output);
    ASSERT_TRUE(parsed["volumes"].is_array());
    ASSERT_TRUE(parsed["physicalDrives"].is_array());
    for (const auto& volume : parsed["volumes"]) {
        for (const char* key : {"rootPath", "fileSystem", "volumeText", "sizeText"}) {
            EXPECT_TRUE(volume[key].is_string()) << key;
        }
        EXPECT_EQ(volume["startSector"], 0);
        EXPECT_TRUE(volume["sectorCount"].is_number_unsigned());
    }
    int number = 0;
    for (const auto& drive : parsed["physicalDrives"]) {
        EXPECT_EQ(drive["number"], number++);
        EXPECT_FALSE(drive["text"].get<std::string>().empty());
        EXPECT_EQ(drive["devicePath"].get<std::string>().rfind("/dev/", 0), 0u);
    }
}

}  // namespace
}  // namespace lazarine
