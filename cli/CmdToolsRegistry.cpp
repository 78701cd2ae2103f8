// Registers the tool subcommands of orvantis-cli, in the order of the Calculate menu's overview.

#include "cli/CmdTools.h"

namespace {
struct ToolRegistrations {
    ToolRegistrations() {
        for (auto make :
             {clitools::demImportCommand, clitools::elevToGrayCommand, clitools::grayToElevCommand,
              clitools::elevToColorCommand, clitools::eliminateRedCommand, clitools::interpolateCommand,
              clitools::convolveCommand, clitools::mergeCommand, clitools::maskCommand,
              clitools::resampleCommand, clitools::rectifyCommand})
            CliCommandRegistration{make()};
    }
} registrations;
} // namespace
