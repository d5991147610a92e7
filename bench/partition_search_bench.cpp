// Measures the whole-disk search: a sparse image file of SIZE MiB (default 4096) with
// a FAT32 boot sector near its end, searched sector by sector. Prints the rate in MiB/s.
//
//   partition_search_bench [SIZE_MIB] [PATH]

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "disk/partition.h"
#include "disk/reader.h"
#include "scan/job_control.h"

int main(int argc, char** argv) {
    uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 4096;
    std::string path = argc > 2 ? argv[2] : "/tmp/lazarine-search-bench.img";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(mib << 20)) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    // A minimal FAT32 boot sector 1 MiB before the end, so that the search finds one row.
    unsigned char s[512] = {0xEB, 0x58, 0x90, 'm', 'k', 'f', 's', '.', 'f', 'a', 't'};
    s[11] = 0x00; s[12] = 0x02;      // 512 bytes per sector
    s[13] = 1;                       // sectors per cluster
    s[14] = 32;                      // reserved sectors
    s[16] = 2;                       // FATs
    s[32] = 0x00; s[33] = 0x40; s[34] = 0x01;  // 81920 sectors
    s[36] = 0x76; s[37] = 0x02;      // 630 sectors per FAT
    s[510] = 0x55; s[511] = 0xAA;
    off_t at = static_cast<off_t>((mib - 1) << 20);
    if (::pwrite(fd, s, sizeof s, at) != static_cast<ssize_t>(sizeof s)) return 1;
    ::close(fd);

    lazarine::FileReadSeek reader;
    if (!reader.Open(path)) return 1;
    lazarine::NullReporter reporter;
    lazarine::JobControl control;
    lazarine::Partition partition(reporter, control);
    auto start = std::chrono::steady_clock::now();
    partition.ScanDiskForVolumes(reader);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("disk search: %llu MiB in %.3f s = %.0f MiB/s, %zu row(s)\n",
                static_cast<unsigned long long>(mib), seconds, static_cast<double>(mib) / seconds,
                partition.rows.size());
    ::unlink(path.c_str());
    return partition.rows.size() == 1 ? 0 : 1;
}
