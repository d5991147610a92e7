#include "cli/commands.h"

namespace lazarine::cli {
void registerDrivesCommand(CLI::App& app, GlobalOptions& global) {
    CLI::App* cmd = app.add_subcommand("drives", "List physical drives and volumes");
    cmd->callback([&global] { global.exitCode = kExitOk; });
}
}  // namespace lazarine::cli
