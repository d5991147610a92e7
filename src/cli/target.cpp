#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/commands.h"
#include "disk/drive_list.h"

namespace lazarine::cli {

void printError(const std::string& text) { std::fprintf(stderr, "lazarine-cli: %s\n", text.c_str()); }

std::string resolveTarget(const std::string& target, std::string& error) {
    bool number = !target.empty() && target.size() < 6 &&
                  std::all_of(target.begin(), target.end(),
                              [](unsigned char c) { return std::isdigit(c) != 0; });
    struct stat st {};
    if (!number || ::stat(target.c_str(), &st) == 0) return target;
    int wanted = std::stoi(target);
    for (const PhysicalDrive& drive : listPhysicalDrives()) {
        if (drive.number == wanted) return drive.devicePath;
    }
    error = "no physical drive number " + target + " (see 'lazarine-cli drives')";
    return {};
}

}  // namespace lazarine::cli
