// lazarine-cli partitions TARGET: the partition list of a drive or disk image.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/cli_reporter.h"
#include "cli/commands.h"
#include "disk/partition.h"
#include "disk/reader.h"

namespace lazarine::cli {

namespace {

struct PartitionsOptions {
    std::string target;
    bool gpt = false;
    bool search = false;
    int64_t from = 0;
    int64_t to = 0;
    bool noSkip = false;
    bool json = false;
};

void printRows(const std::vector<VolumeRow>& rows, bool json) {
    if (json) {
        nlohmann::json out = nlohmann::json::array();
        for (const VolumeRow& row : rows) {
            out.push_back({{"volume", row.volumeText},
                           {"fileSystem", row.fileSystem},
                           {"sizeText", row.sizeText},
                           {"startSector", row.startSector},
                           {"sectorCount", row.sectorCount}});
        }
        std::puts(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return;
    }
    std::printf("%-8s %-28s %-14s %s\n", "VOLUME", "FILE_SYSTEM", "VOLUME_SIZE", "START_SECTOR");
    for (const VolumeRow& row : rows) {
        std::printf("%-8s %-28s %-14s %lld\n", row.volumeText.c_str(), row.fileSystem.c_str(),
                    row.sizeText.c_str(), static_cast<long long>(row.startSector));
    }
}

int run(const PartitionsOptions& options, const GlobalOptions& global) {
    if (options.from < 0 || options.to < 0 || (options.to > 0 && options.from > options.to)) {
        printError("--from and --to take sector numbers with --from not above --to");
        return kExitUsage;
    }
    std::string error;
    std::string path = resolveTarget(options.target, error);
    if (path.empty()) {
        printError(error);
        return kExitCannotOpen;
    }
    CliReporter reporter(global.quiet);
    FileReadSeek reader;
    if (!reader.Open(path)) {
        printError("cannot open " + path + ": " + reader.lastErrorText());
        return kExitCannotOpen;
    }
    JobControl control;
    Partition partition(reporter, control);
    partition.useGpt = options.gpt;
    partition.skipFoundVolumes = !options.noSkip;
    partition.scanStartSector = options.from;
    partition.scanEndSector = options.to;
    bool failed = false;
    if (options.search) {
        failed = partition.ScanDiskForVolumes(reader) != 1;
    } else {
        reporter.setProgressRange(0, 1000);
        failed = partition.ReadPartitionTable(reader) != 0;
        reporter.setProgressPosition(1000);
    }
    reporter.finish();
    // The list numbers its rows from 0 in the order found.
    for (size_t i = 0; i < partition.rows.size(); ++i) {
        partition.rows[i].volumeText = std::to_string(i);
    }
    printRows(partition.rows, options.json);
    if (failed) {
        printError("read error on " + path + ": " + reader.lastErrorText());
        return kExitReadError;
    }
    if (partition.rows.empty() && !global.quiet) {
        std::fputs(options.search ? "no volumes found\n" : "no partition table found\n", stderr);
    }
    return kExitOk;
}

}  // namespace

void registerPartitionsCommand(CLI::App& app, GlobalOptions& global) {
    auto options = std::make_shared<PartitionsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "partitions", "List the partitions of a drive or disk image (the partition list page)");
    cmd->add_option("TARGET", options->target, "Device path, image file, or drive number")
        ->required();
    cmd->add_flag("--gpt", options->gpt, "Read the GUID partition table");
    cmd->add_flag("--search", options->search,
                  "Search every sector for boot sectors instead of reading the tables");
    cmd->add_option("--from", options->from, "First sector of the search");
    cmd->add_option("--to", options->to, "Last sector of the search");
    cmd->add_flag("--no-skip", options->noSkip,
                  "Search inside found volumes too (do not skip their extent)");
    cmd->add_flag("--json", options->json, "Print the rows as JSON");
    cmd->callback([options, &global] { global.exitCode = run(*options, global); });
}

}  // namespace lazarine::cli
