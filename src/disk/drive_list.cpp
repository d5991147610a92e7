#include "disk/drive_list.h"

namespace lazarine {
std::vector<PhysicalDrive> listPhysicalDrives() { return {}; }
}  // namespace lazarine
