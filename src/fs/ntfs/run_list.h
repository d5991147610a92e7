#pragma once
// The run list (mapping pairs) of a non-resident attribute.
//
// Each run starts with a header byte: low nibble L = size of the length field, high
// nibble O = size of the offset field; a low nibble of 0 ends the list. Then L bytes of
// run length in clusters (unsigned) and O bytes of signed distance from the previous run's
// first cluster (the first run's from cluster 0). O = 0 marks a sparse run, which has no
// clusters on disk. Both fields are up to 8 bytes wide and are held in 64 bits.

#include <cstdint>
#include <span>
#include <vector>

namespace lazarine {

struct ClusterRun {
    int64_t startCluster = 0;  // 0 for a sparse run
    uint64_t clusterCount = 0;
    bool sparse = false;
    bool operator==(const ClusterRun&) const = default;
};

struct RunListLimits {
    // The extent's VCN count: a run that would take the total past it is dropped, and
    // decoding ends there.
    uint64_t clusterLimit = 0;
    // Clusters of the volume: a run on disk that leaves the volume is cut at its end and
    // ends the decoding (0 = no check).
    uint64_t volumeClusters = 0;
};

// Decodes one extent's run list. Runs of length 0 contribute nothing. Decoding ends at the
// terminator, at the end of the bytes, at a field wider than 8 bytes, at a first cluster
// below 0 and at the limits above.
std::vector<ClusterRun> decodeRunList(std::span<const uint8_t> bytes, RunListLimits limits);

// Sum of the run lengths.
uint64_t totalClusters(const std::vector<ClusterRun>& runs);

}  // namespace lazarine
