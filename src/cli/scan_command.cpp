// lazarine-cli scan / recover / search: run the scan job on one volume of a TARGET, then
// list its tree, save from it, or search it.

#include <ctime>
#include <cstdio>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "cli/cli_reporter.h"
#include "cli/commands.h"
#include "cli/selection.h"
#include "disk/reader.h"
#include "scan/save_walker.h"
#include "scan/scan_job.h"
#include "search/search.h"

namespace lazarine::cli {

namespace {

struct ScanOptions {
    std::string target;
    SelectionOptions selection;
    std::string mode = "standard";
    int candidate = 0;
    int sectorsPerCluster = 0;
    int maxCandidates = 3;
    bool json = false;
    bool recursive = false;
    // recover
    std::string outputFolder;
    std::string path;
    bool deletedOnly = false;
    // search
    std::string pattern;
};

int modeNumber(const std::string& mode) {
    if (mode == "advanced") return 2;
    if (mode == "deep") return 3;
    return 1;
}

std::string isoTime(const std::optional<Timestamp>& t) {
    if (!t) return {};
    std::time_t seconds = static_cast<std::time_t>(t->seconds);
    std::tm utc{};
    if (gmtime_r(&seconds, &utc) == nullptr) return {};
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// One scanned volume, ready for listing, saving and search.
struct Scanned {
    FileReadSeek reader;
    std::unique_ptr<FileSystemParser> parser;
};

int scanVolume(const ScanOptions& options, CliReporter& reporter, Scanned& out) {
    std::string error;
    std::string path = resolveTarget(options.target, error);
    if (path.empty()) {
        printError(error);
        return kExitCannotOpen;
    }
    if (!out.reader.Open(path)) {
        printError("cannot open " + path + ": " + out.reader.lastErrorText());
        return kExitCannotOpen;
    }
    std::optional<VolumeRow> volume = resolveSelection(out.reader, options.selection, error);
    if (!volume) {
        printError(error);
        return kExitNoVolume;
    }
    ScanRequest request;
    request.candidate = options.candidate;
    request.sectorsPerCluster = options.sectorsPerCluster;
    request.maxCandidates = options.maxCandidates;
    ScanJob job(&out.reader, ScanSelection{*volume, modeNumber(options.mode)}, request);
    if (!job.prepare(reporter)) return kExitNoVolume;
    JobControl control;
    bool scanned = job.run(reporter, control);
    reporter.finish();
    if (!scanned) return kExitNoVolume;
    out.parser = job.takeParser();
    return kExitOk;
}

// Depth-first over the tree in the parser's order; `visit` gets each entry with its path
// ("ROOT/dir/name") and depth. Folders seen before are not entered again.
template <typename Visit>
void walkTree(FileSystemParser& parser, EntryId folder, const std::string& path, int depth,
              bool recursive, std::unordered_set<EntryId>& visited, const Visit& visit) {
    for (EntryId id : entryChildren(parser, folder)) {
        std::string childPath = path + "/" + parser.name(id);
        visit(id, childPath, depth);
        if (recursive && parser.isFolder(id) && parser.descendInto(id) &&
            visited.insert(id).second) {
            walkTree(parser, id, childPath, depth + 1, recursive, visited, visit);
        }
    }
}

void printTree(FileSystemParser& parser, bool json, bool recursive) {
    std::unordered_set<EntryId> visited;
    if (json) {
        nlohmann::json entries = nlohmann::json::array();
        walkTree(parser, kRootEntry, kRootItemText, 0, true, visited,
                 [&](EntryId id, const std::string& path, int) {
                     bool folder = parser.isFolder(id);
                     FileTimes times = parser.times(id);
                     entries.push_back({{"path", path},
                                        {"folder", folder},
                                        {"deleted", parser.isDeleted(id)},
                                        {"size", folder ? 0 : parser.sizeBytes(id)},
                                        {"created", isoTime(times.created)},
                                        {"modified", isoTime(times.modified)},
                                        {"accessed", isoTime(times.accessed)},
                                        {"attributes", parser.columns(id).attributes}});
                 });
        std::puts(entries.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return;
    }
    std::printf("%s\n", kRootItemText);
    walkTree(parser, kRootEntry, kRootItemText, 0, recursive, visited,
             [&](EntryId id, const std::string&, int depth) {
                 bool folder = parser.isFolder(id);
                 EntryColumns c = parser.columns(id);
                 std::string size = folder ? "" : parser.sizeText(id);
                 std::printf("%*s%s%s%s  | %s | %s | %s | %s | %s\n", 2 * (depth + 1), "",
                             parser.isDeleted(id) ? "[deleted] " : "", parser.name(id).c_str(),
                             folder ? "/" : "", c.created.c_str(), c.accessed.c_str(),
                             c.modified.c_str(), size.c_str(), c.attributes.c_str());
             });
}

// The entry named by PATH ("ROOT/docs/a.txt" or "docs/a.txt"), or nullopt.
std::optional<EntryId> findPath(FileSystemParser& parser, std::string path) {
    if (path.rfind(std::string(kRootItemText) + "/", 0) == 0) path.erase(0, 5);
    EntryId current = kRootEntry;
    size_t at = 0;
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        at = slash == std::string::npos ? path.size() + 1 : slash + 1;
        if (part.empty()) continue;
        if (!isFolderEntry(parser, current)) return std::nullopt;
        std::optional<EntryId> next;
        for (EntryId id : entryChildren(parser, current)) {
            if (parser.name(id) == part) {
                next = id;
                break;
            }
        }
        if (!next) return std::nullopt;
        current = *next;
    }
    return current;
}

// Deleted files below `folder`: those marked deleted and those inside deleted folders.
std::vector<EntryId> deletedFiles(FileSystemParser& parser, EntryId folder) {
    std::vector<EntryId> files;
    std::unordered_set<EntryId> visited{folder};
    std::vector<std::pair<EntryId, bool>> pending{{folder, false}};
    while (!pending.empty()) {
        auto [current, insideDeleted] = pending.back();
        pending.pop_back();
        for (EntryId id : entryChildren(parser, current)) {
            bool deleted = insideDeleted || parser.isDeleted(id);
            if (!parser.isFolder(id)) {
                if (deleted) files.push_back(id);
            } else if (parser.descendInto(id) && visited.insert(id).second) {
                pending.emplace_back(id, deleted);
            }
        }
    }
    return files;
}

int runScan(const ScanOptions& options, const GlobalOptions& global) {
    CliReporter reporter(global.quiet);
    Scanned scanned;
    if (int code = scanVolume(options, reporter, scanned); code != kExitOk) return code;
    printTree(*scanned.parser, options.json, options.recursive);
    return kExitOk;
}

int runRecover(const ScanOptions& options, const GlobalOptions& global) {
    if (options.outputFolder.empty()) {
        printError(kSelectOutputFolderText);
        return kExitUsage;
    }
    CliReporter reporter(global.quiet);
    Scanned scanned;
    if (int code = scanVolume(options, reporter, scanned); code != kExitOk) return code;
    FileSystemParser& parser = *scanned.parser;
    EntryId chosen = kRootEntry;
    if (!options.path.empty()) {
        std::optional<EntryId> found = findPath(parser, options.path);
        if (!found) {
            printError("no entry " + options.path + " in the scanned volume");
            return kExitUsage;
        }
        chosen = *found;
    }
    std::error_code ignored;
    std::filesystem::create_directories(options.outputFolder, ignored);
    SaveTotals totals;
    JobControl control;
    if (!isFolderEntry(parser, chosen)) {
        if (!options.deletedOnly || parser.isDeleted(chosen)) {
            bool ok = saveSingleFile(parser, chosen, options.outputFolder, reporter);
            (ok ? totals.saved : totals.failed) += 1;
        }
    } else if (options.deletedOnly) {
        std::vector<EntryId> only = deletedFiles(parser, chosen);
        totals = saveSelectedFolder(parser, chosen, options.outputFolder, reporter, control,
                                    nullptr, &only);
    } else {
        totals = saveSelectedFolder(parser, chosen, options.outputFolder, reporter, control);
    }
    reporter.finish();
    std::printf("saved %llu files, %llu failed, into %s\n",
                static_cast<unsigned long long>(totals.saved),
                static_cast<unsigned long long>(totals.failed), options.outputFolder.c_str());
    return totals.failed == 0 ? kExitOk : kExitReadError;
}

int runSearch(const ScanOptions& options, const GlobalOptions& global) {
    CliReporter reporter(global.quiet);
    Scanned scanned;
    if (int code = scanVolume(options, reporter, scanned); code != kExitOk) return code;
    FileSystemParser& parser = *scanned.parser;
    JobControl control;
    bool valid = searchEntries(parser, options.pattern, reporter, control, [&](const SearchMatch& m) {
        EntryColumns c = parser.columns(m.entry);
        reporter.finish();
        std::printf("%s  | %s | %s | %s | %s | %s\n", m.path.c_str(), c.created.c_str(),
                    c.accessed.c_str(), c.modified.c_str(), parser.sizeText(m.entry).c_str(),
                    c.attributes.c_str());
    });
    reporter.finish();
    return valid ? kExitOk : kExitUsage;
}

void addScanOptions(CLI::App& cmd, ScanOptions& options) {
    cmd.add_option("TARGET", options.target, "Device path, image file, or drive number")
        ->required();
}

void addModeOptions(CLI::App& cmd, ScanOptions& options) {
    addSelectionOptions(cmd, options.selection);
    cmd.add_option("--mode", options.mode, "Recovery mode")
        ->check(CLI::IsMember({"standard", "advanced", "deep"}));
    cmd.add_option("--candidate", options.candidate, "Advanced mode: the candidate to use")
        ->check(CLI::NonNegativeNumber);
    cmd.add_option("--sectors-per-cluster", options.sectorsPerCluster,
                   "Advanced mode: sectors per cluster (overrides the boot sector)")
        ->check(CLI::NonNegativeNumber);
    cmd.add_option("--max", options.maxCandidates,
                   "Advanced mode: how many candidates the search collects")
        ->check(CLI::PositiveNumber);
}

}  // namespace

void registerScanCommands(CLI::App& app, GlobalOptions& global) {
    auto scan = std::make_shared<ScanOptions>();
    CLI::App* cmd = app.add_subcommand("scan", "Scan a volume and print its files and folders");
    addScanOptions(*cmd, *scan);
    addModeOptions(*cmd, *scan);
    cmd->add_flag("--json", scan->json, "Print every entry at every depth as JSON");
    cmd->add_flag("-r,--recursive", scan->recursive, "Print every entry at every depth");
    cmd->callback([scan, &global] { global.exitCode = runScan(*scan, global); });

    auto recover = std::make_shared<ScanOptions>();
    cmd = app.add_subcommand("recover", "Scan a volume and save its files into OUTDIR");
    addScanOptions(*cmd, *recover);
    cmd->add_option("OUTDIR", recover->outputFolder, "Output folder")->required();
    addModeOptions(*cmd, *recover);
    cmd->add_option("--path", recover->path, "Save only this folder or file (ROOT/dir/name)");
    cmd->add_flag("--deleted-only", recover->deletedOnly, "Save only deleted files");
    cmd->callback([recover, &global] { global.exitCode = runRecover(*recover, global); });

    auto search = std::make_shared<ScanOptions>();
    cmd = app.add_subcommand("search", "Scan a volume and list the files whose names match");
    addScanOptions(*cmd, *search);
    cmd->add_option("PATTERN", search->pattern,
                    "Regular expression (ECMAScript, case-insensitive, found anywhere in the "
                    "name; use | for alternatives)")
        ->required();
    addModeOptions(*cmd, *search);
    cmd->callback([search, &global] { global.exitCode = runSearch(*search, global); });
}

}  // namespace lazarine::cli
