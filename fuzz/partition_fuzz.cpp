// Fuzz target: the partition-table reader and the whole-disk search over an in-memory
// disk made of the input bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "disk/boot_sector.h"
#include "disk/partition.h"
#include "disk/reader.h"
#include "scan/job_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (8u << 20)) return 0;
    lazarine::MemoryReader reader(std::vector<uint8_t>(data, data + size));
    lazarine::NullReporter reporter;
    for (bool gpt : {false, true}) {
        lazarine::JobControl control;
        lazarine::Partition partition(reporter, control);
        partition.useGpt = gpt;
        partition.ReadPartitionTable(reader);
    }
    for (bool skip : {true, false}) {
        lazarine::JobControl control;
        lazarine::Partition partition(reporter, control);
        partition.skipFoundVolumes = skip;
        partition.ScanDiskForVolumes(reader);
    }
    return 0;
}
