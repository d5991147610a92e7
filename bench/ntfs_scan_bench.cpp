// Measures the NTFS standard scan and saving: a synthetic volume with one folder of
// BIG files (default 100,000), FOLDERS folders of 1,000 files (default 100) and LARGE
// non-resident files of 1 MiB (default 256), written to an image file, scanned through
// the file reader, then every file saved into a scratch folder. Prints records/s, MiB/s
// and seconds.
//
//   ntfs_scan_bench [BIG] [FOLDERS] [LARGE] [PATH]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/support/ntfs_builder.h"
#include "disk/reader.h"
#include "fs/ntfs/ntfs.h"
#include "scan/job_control.h"

namespace {

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct SaveCount {
    uint64_t files = 0;
    uint64_t bytes = 0;
    uint64_t failed = 0;
};

void saveAll(lazarine::FileSystemParser& p, const std::vector<lazarine::EntryId>& ids,
             const std::filesystem::path& into, lazarine::Reporter& r, SaveCount& n, int depth) {
    for (lazarine::EntryId id : ids) {
        std::string name = p.name(id);
        if (p.isFolder(id)) {
            if (!p.descendInto(id) || depth > 64) continue;
            std::filesystem::create_directories(into / name);
            saveAll(p, p.children(id), into / name, r, n, depth + 1);
        } else if (!p.skipSave(id)) {
            if (p.SaveEntry(id, into / name, r)) {
                ++n.files;
                n.bytes += std::filesystem::file_size(into / name);
            } else {
                ++n.failed;
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t bigFolder = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    const uint64_t folders = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100;
    const uint64_t large = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 256;
    const std::filesystem::path image = argc > 4 ? argv[4] : "/tmp/lazarine-ntfs-bench.img";
    const std::filesystem::path out = image.string() + ".out";

    using lazarine::testing::NtfsBuilder;
    using lazarine::testing::NtfsFileOptions;
    auto t0 = Clock::now();
    {
        NtfsBuilder b;
        std::vector<uint8_t> small(48, 's');
        uint64_t big = b.addDirectory("big", NtfsBuilder::kRoot);
        for (uint64_t i = 0; i < bigFolder; ++i) b.addFile("f" + std::to_string(i) + ".txt", big, small);
        for (uint64_t d = 0; d < folders; ++d) {
            uint64_t dir = b.addDirectory("d" + std::to_string(d), NtfsBuilder::kRoot);
            for (int i = 0; i < 1000; ++i)
                b.addFile("g" + std::to_string(i), dir, small, NtfsFileOptions().markDeleted());
        }
        uint64_t largeDir = b.addDirectory("large", NtfsBuilder::kRoot);
        std::vector<uint8_t> mib(1 << 20);
        for (size_t i = 0; i < mib.size(); ++i) mib[i] = static_cast<uint8_t>(i * 31);
        for (uint64_t i = 0; i < large; ++i)
            b.addFile("l" + std::to_string(i), largeDir, mib, NtfsFileOptions().nonResident().withFragments(4));
        std::vector<uint8_t> bytes = b.build();
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::printf("built %llu records, %.0f MiB image in %.2f s\n",
                    static_cast<unsigned long long>(b.recordCount()), static_cast<double>(bytes.size()) / 1048576.0, since(t0));
    }

    lazarine::FileReadSeek reader;
    if (!reader.Open(image.string())) return 1;
    lazarine::VolumeRow row;
    row.fileSystem = "NTFS";
    row.sectorCount = reader.sizeBytes() / 512;
    lazarine::NullReporter reporter;
    lazarine::JobControl control;
    auto parser = lazarine::createNtfsParser(reader, row);
    auto t1 = Clock::now();
    parser->scan(lazarine::ScanRequest{}, reporter, control);
    double scanSeconds = since(t1);
    auto* n = dynamic_cast<lazarine::ntfs*>(parser.get());
    const double records = static_cast<double>(n->entryList().size());
    std::printf("standard scan: %.0f records in %.3f s = %.0f records/s, %.0f MiB/s of MFT\n", records,
                scanSeconds, records / scanSeconds, records * n->recordSize() / 1048576.0 / scanSeconds);

    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    SaveCount count;
    auto t2 = Clock::now();
    saveAll(*parser, parser->rootEntries(), out, reporter, count, 0);
    double saveSeconds = since(t2);
    const double mib = static_cast<double>(count.bytes) / 1048576.0;
    std::printf("save: %llu files (%llu failed), %.0f MiB in %.2f s = %.0f files/s, %.0f MiB/s\n",
                static_cast<unsigned long long>(count.files), static_cast<unsigned long long>(count.failed),
                mib, saveSeconds, static_cast<double>(count.files) / saveSeconds, mib / saveSeconds);

    // The 1 MiB files alone: the rate of reading runs.
    for (lazarine::EntryId id : parser->rootEntries()) {
        if (parser->name(id) != "large") continue;
        SaveCount again;
        std::filesystem::create_directories(out / "again");
        auto t3 = Clock::now();
        saveAll(*parser, parser->children(id), out / "again", reporter, again, 1);
        double s = since(t3);
        std::printf("save of the large files: %llu files, %.0f MiB in %.2f s = %.0f MiB/s\n",
                    static_cast<unsigned long long>(again.files),
                    static_cast<double>(again.bytes) / 1048576.0, s,
                    static_cast<double>(again.bytes) / 1048576.0 / s);
    }
    std::filesystem::remove_all(out);
    std::filesystem::remove(image);
    return 0;
}
