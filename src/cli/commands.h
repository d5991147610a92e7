#pragma once
// The subcommands of lazarine-cli. Each registers itself on the app and runs through
// the shared options; its exit code is stored in `exitCode`.

#include <CLI/CLI.hpp>

#include <string>

namespace lazarine::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitCannotOpen = 2,
    kExitReadError = 3,
    kExitNoVolume = 4,  // no file system to scan at the selection, or the scan refused it
};

struct GlobalOptions {
    bool quiet = false;
    int exitCode = kExitOk;
};

// A TARGET names a device path or image file; a bare number that is not a file names the
// physical drive of that number in `lazarine-cli drives`. Returns the path to open, or an
// empty string (with `error` set) when a number names no drive.
std::string resolveTarget(const std::string& target, std::string& error);

// Prints "lazarine-cli: TEXT" on stderr.
void printError(const std::string& text);

void registerPartitionsCommand(CLI::App& app, GlobalOptions& global);
void registerDrivesCommand(CLI::App& app, GlobalOptions& global);
// scan, recover and search.
void registerScanCommands(CLI::App& app, GlobalOptions& global);

}  // namespace lazarine::cli
