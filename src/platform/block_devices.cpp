#include "platform/block_devices.h"

namespace lazarine::platform {
std::vector<WholeDisk> listWholeDisks() { return {}; }
std::optional<std::vector<uint8_t>> ataIdentify(const std::string&) { return std::nullopt; }
std::vector<ProbedVolume> probeVolumes() { return {}; }
std::vector<MountEntry> listMounts() { return {}; }
}  // namespace lazarine::platform
