#pragma once
// A built NTFS volume scanned in memory, shared by the NTFS scan and tree tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fs/ntfs/ntfs.h"
#include "support/recording_reporter.h"

namespace lazarine::testing {

struct ScannedVolume {
    MemoryReader reader;
    std::unique_ptr<ntfs> parser;
    RecordingReporter reporter;
};

inline std::unique_ptr<ScannedVolume> scanVolume(std::vector<uint8_t> image, int mode = 1,
                                                 VolumeRow volume = {}) {
    auto s = std::make_unique<ScannedVolume>();
    s->reader = MemoryReader(std::move(image));
    s->parser = std::make_unique<ntfs>(s->reader, volume);
    JobControl control;
    ScanRequest request;
    request.recoveryMode = mode;
    EXPECT_TRUE(s->parser->scan(request, s->reporter, control));
    return s;
}

inline std::vector<std::string> entryNames(ntfs& p, const std::vector<EntryId>& ids) {
    std::vector<std::string> out;
    for (EntryId id : ids) out.push_back(p.name(id));
    return out;
}

}  // namespace lazarine::testing
