// lazarine-cli: the recovery jobs for scripts and machines without a display.

#include <cstdio>

#include "cli/commands.h"

int main(int argc, char** argv) {
    using namespace lazarine::cli;
    CLI::App app{"Lazarine: find and recover deleted files from disks and disk images.",
                 "lazarine-cli"};
    app.require_subcommand(1);
    GlobalOptions global;
    app.add_flag("-q,--quiet", global.quiet, "Print no status texts or progress");
    registerDrivesCommand(app, global);
    registerPartitionsCommand(app, global);
    registerScanCommands(app, global);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "lazarine-cli: %s\n", e.what());
        std::fprintf(stderr, "Run with --help for usage.\n");
        return kExitUsage;
    }
    return global.exitCode;
}
