#include "fs/ntfs/run_list.h"

namespace lazarine {

namespace {
uint64_t readUnsigned(const uint8_t* p, unsigned width) {
    uint64_t v = 0;
    for (unsigned i = 0; i < width; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

int64_t readSigned(const uint8_t* p, unsigned width) {
    uint64_t v = readUnsigned(p, width);
    if (width < 8 && (p[width - 1] & 0x80)) v |= ~uint64_t{0} << (8 * width);
    return static_cast<int64_t>(v);
}
}  // namespace

std::vector<ClusterRun> decodeRunList(std::span<const uint8_t> bytes, RunListLimits limits) {
    std::vector<ClusterRun> runs;
    int64_t lcn = 0;
    uint64_t total = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const uint8_t h = bytes[pos];
        const unsigned lengthSize = h & 0x0F;
        const unsigned offsetSize = h >> 4;
        if (lengthSize == 0) break;
        if (lengthSize > 8 || offsetSize > 8 || pos + 1 + lengthSize + offsetSize > bytes.size())
            break;
        const uint64_t length = readUnsigned(bytes.data() + pos + 1, lengthSize);
        ClusterRun run;
        run.clusterCount = length;
        if (offsetSize == 0) {
            run.sparse = true;
        } else {
            int64_t delta = readSigned(bytes.data() + pos + 1 + lengthSize, offsetSize);
            if (__builtin_add_overflow(lcn, delta, &lcn) || lcn < 0) break;
            run.startCluster = lcn;
        }
        pos += 1 + lengthSize + offsetSize;
        if (length == 0) continue;
        uint64_t newTotal = 0;
        if (__builtin_add_overflow(total, length, &newTotal) || newTotal > limits.clusterLimit)
            break;
        if (!run.sparse && limits.volumeClusters != 0) {
            const uint64_t start = static_cast<uint64_t>(run.startCluster);
            if (start >= limits.volumeClusters) break;
            if (length > limits.volumeClusters - start) {
                // The run leaves the volume: keep what lies inside, then stop.
                run.clusterCount = limits.volumeClusters - start;
                runs.push_back(run);
                break;
            }
        }
        total = newTotal;
        runs.push_back(run);
    }
    return runs;
}

uint64_t totalClusters(const std::vector<ClusterRun>& runs) {
    uint64_t n = 0;
    for (const auto& r : runs) n += r.clusterCount;
    return n;
}

}  // namespace lazarine
