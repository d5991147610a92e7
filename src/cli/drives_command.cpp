// lazarine-cli drives: the volumes and physical drives of this machine (the drive page).

#include <algorithm>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "disk/drive_list.h"

namespace lazarine::cli {

namespace {

struct DrivesOptions {
    bool json = false;
};

// The item text of a volume in the tree: its mount point, or its device when not mounted.
const std::string& volumeItemText(const VolumeRow& row) {
    return row.rootPath.empty() ? row.volumeText : row.rootPath;
}

void printJson(const std::vector<VolumeRow>& volumes, const std::vector<PhysicalDrive>& drives) {
    nlohmann::ordered_json out;
    out["volumes"] = nlohmann::ordered_json::array();
    for (const VolumeRow& row : volumes) {
        out["volumes"].push_back({{"rootPath", row.rootPath},
                                  {"fileSystem", row.fileSystem},
                                  {"volumeText", row.volumeText},
                                  {"sizeText", row.sizeText},
                                  {"startSector", row.startSector},
                                  {"sectorCount", row.sectorCount}});
    }
    out["physicalDrives"] = nlohmann::ordered_json::array();
    for (const PhysicalDrive& drive : drives) {
        out["physicalDrives"].push_back({{"number", drive.number},
                                         {"text", drive.text},
                                         {"devicePath", drive.devicePath},
                                         {"sectorCount", drive.sectorCount}});
    }
    std::puts(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

void printTree(const std::vector<VolumeRow>& volumes, const std::vector<PhysicalDrive>& drives) {
    int itemWidth = 0;
    int sizeWidth = 0;
    for (const VolumeRow& row : volumes) {
        itemWidth = std::max(itemWidth, static_cast<int>(volumeItemText(row).size()));
        sizeWidth = std::max(sizeWidth, static_cast<int>(row.sizeText.size()));
    }
    std::puts("     VOLUMES:");
    for (const VolumeRow& row : volumes) {
        std::printf("  %-*s    %-8s %*s   %s\n", itemWidth, volumeItemText(row).c_str(),
                    row.fileSystem.c_str(), sizeWidth, row.sizeText.c_str(),
                    row.volumeText.c_str());
    }

    int numberWidth = 1;
    int textWidth = 0;
    int pathWidth = 0;
    for (const PhysicalDrive& drive : drives) {
        numberWidth = std::max(numberWidth, static_cast<int>(std::to_string(drive.number).size()));
        textWidth = std::max(textWidth, static_cast<int>(drive.text.size()));
        pathWidth = std::max(pathWidth, static_cast<int>(drive.devicePath.size()));
    }
    std::puts("     PHYSICAL DRIVES:");
    for (const PhysicalDrive& drive : drives) {
        std::printf("  %*d  %-*s   %-*s   (%llu bytes)\n", numberWidth, drive.number, textWidth,
                    drive.text.c_str(), pathWidth, drive.devicePath.c_str(),
                    static_cast<unsigned long long>(drive.sectorCount * 512));
    }
}

int run(const DrivesOptions& options) {
    std::vector<VolumeRow> volumes = listVolumes();
    std::vector<PhysicalDrive> drives = listPhysicalDrives();
    if (options.json) {
        printJson(volumes, drives);
    } else {
        printTree(volumes, drives);
    }
    return kExitOk;
}

}  // namespace

void registerDrivesCommand(CLI::App& app, GlobalOptions& global) {
    auto options = std::make_shared<DrivesOptions>();
    CLI::App* cmd = app.add_subcommand(
        "drives", "List the volumes and physical drives of this machine (the drive page)");
    cmd->add_flag("--json", options->json, "Print the lists as JSON");
    cmd->callback([options, &global] { global.exitCode = run(*options); });
}

}  // namespace lazarine::cli
