#pragma once
// The subcommands of orvantis-cli. Each lives in its own file and registers itself with a static
// CliCommandRegistration, so main() only dispatches.

#include <functional>
#include <string>
#include <vector>

// Exit statuses of every subcommand.
enum CliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2, ExitStopped = 130 };

struct CliCommand {
    std::string name;
    std::string synopsis; // one line for the overview, e.g. "render SCENE.ovs [--mode raw|final] ..."
    std::string help;     // the full text of "SUBCOMMAND --help"
    std::function<int(const std::vector<std::string>& args)> run; // args after the subcommand name
};

const std::vector<CliCommand>& cliCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(CliCommand command);
};

// Small helpers shared by the subcommands' argument parsing.
namespace cli {
// Prints "orvantis-cli: MESSAGE" and a hint to --help on stderr; returns ExitUsage.
int usageError(const std::string& command, const std::string& message);
bool wantsHelp(const std::vector<std::string>& args);
// Reads the value of an option such as "--factor 2" or "--factor=2"; advances i past it.
bool takeOptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value);
} // namespace cli
