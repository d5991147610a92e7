// Fuzz target: the NTFS parser over an in-memory volume made of the input bytes. Every
// mode scans it; then every entry's columns and size are asked for and each file is saved
// into a scratch folder.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "disk/reader.h"
#include "fs/ntfs/ntfs.h"
#include "scan/job_control.h"

namespace {
const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lazarine-ntfs-fuzz-XXXXXX").string();
        const char* made = ::mkdtemp(tmpl.data());
        return std::filesystem::path(made ? made : "/tmp");
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    lazarine::VolumeRow row;
    row.fileSystem = "NTFS";
    row.sizeText = "1";
    row.sectorCount = size / 512;
    for (int mode : {1, 2, 3}) {
        lazarine::MemoryReader reader(std::vector<uint8_t>(data, data + size));
        lazarine::NullReporter reporter;
        lazarine::JobControl control;
        lazarine::ntfs parser(reader, row);
        lazarine::ScanRequest request;
        request.recoveryMode = mode;
        request.maxCandidates = 2;
        parser.scan(request, reporter, control);
        const uint64_t n = std::min<uint64_t>(parser.entryList().size(), 256);
        for (lazarine::EntryId id = 0; id < n; ++id) {
            parser.children(id);
            parser.columns(id);
            parser.sizeText(id);
            parser.times(id);
            if (parser.isValid(id) && !parser.isFolder(id))
                parser.SaveEntry(id, scratch() / "file", reporter);
        }
        for (lazarine::EntryId id : parser.rootEntries()) parser.children(id);
    }
    std::error_code ec;
    std::filesystem::remove(scratch() / "file", ec);
    return 0;
}
