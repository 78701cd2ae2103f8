#pragma once
// The subcommands of orvantis-cli. Each is described by a CliCommand: the options and file names it takes
// and the function that runs it; its synopsis and --help text stand in cli/Help.inc. cliCommands()
// (main.cpp) lists them all and one parser reads every command line, so a subcommand's function starts
// from checked arguments.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// Exit statuses of every subcommand.
// A stopped command exits with 128 + the signal's number (InterruptGuard::exitStatus).
enum CliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

namespace cli {

// An option of a subcommand. check, when given, looks at the value as soon as it is read and returns the
// usage error for a bad one ("" when it is fine).
struct Option {
    std::string name; // "--factor"
    bool takesValue = true;
    std::function<std::string(const std::string& value)> check = {};
};

// What a subcommand's command line may hold.
struct ArgLayout {
    std::vector<Option> options;
    size_t positionals = 2; // file names
    std::string missing = "missing file name";
    std::string tooMany = "too many arguments";
    // The scene commands (render, check): every argument starting with '-' is an option, a missing value
    // is "--x needs a value", and a file name too many is refused where it stands. The tools take only
    // "--" arguments as options and count the file names once all options are read.
    bool sceneStyle = false;
};

// A command line as the parser read it.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // options that take a value (the last one given)
    std::set<std::string> flags;               // options without a value

    bool has(const std::string& option) const { return values.count(option) || flags.count(option); }
    std::string value(const std::string& option, const std::string& def = "") const {
        auto it = values.find(option);
        return it == values.end() ? def : it->second;
    }
};

// Prints "orvantis-cli COMMAND: MESSAGE" and a hint to --help on stderr; returns ExitUsage.
int usageError(const std::string& command, const std::string& message);

// Reads args by their layout. On a mistake prints the usage error and returns ExitUsage, otherwise ExitOk.
int parseArgs(const std::string& command, const std::vector<std::string>& args, const ArgLayout& layout,
              Args& out);

} // namespace cli

struct CliCommand {
    std::string name;
    cli::ArgLayout args;
    std::function<int(const cli::Args& args)> run;
};

// Every subcommand, in the order of the overview: render, check, then the tools in the order of the
// Calculate menu.
const std::vector<CliCommand>& cliCommands();

CliCommand renderCommand();
CliCommand checkCommand();
CliCommand demImportCommand();
CliCommand importElevationCommand();
CliCommand importTextureCommand();
CliCommand elevToGrayCommand();
CliCommand grayToElevCommand();
CliCommand elevToColorCommand();
CliCommand eliminateRedCommand();
CliCommand interpolateCommand();
CliCommand convolveCommand();
CliCommand mergeCommand();
CliCommand maskCommand();
CliCommand resampleCommand();
CliCommand rectifyCommand();
