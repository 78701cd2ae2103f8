#pragma once
// What the tool subcommands of orvantis-cli share: argument parsing, the console with its progress
// display and Ctrl+C handling, and the mapping of a tool's outcome to the exit status.

#include "cli/Command.h"
#include "cli/ConsolePlatform.h"
#include "tools/ToolCommon.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace clitools {

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // options that take a value
    std::set<std::string> flags;               // options without a value

    bool has(const std::string& option) const { return values.count(option) || flags.count(option); }
    std::string value(const std::string& option, const std::string& def = "") const {
        auto it = values.find(option);
        return it == values.end() ? def : it->second;
    }
};

// Parses args: options in valueOptions take a value ("--opt V" or "--opt=V"), those in flagOptions none;
// exactly `positionals` other arguments are expected. On a mistake prints the usage error and returns
// false with status set to the exit status.
bool parseArgs(const std::string& command, const std::vector<std::string>& args,
               const std::vector<std::string>& valueOptions, const std::vector<std::string>& flagOptions,
               size_t positionals, ParsedArgs& out, int& status);

// Reads a real ("C" locale, blanks around allowed, finite). On a mistake prints the usage error.
bool parseRealOption(const std::string& command, const std::string& option, const std::string& text,
                     double& value, int& status);

// Shows "%d%%" on stderr while a tool runs, when stderr is a terminal, and turns Ctrl+C into a stop
// request for the duration of the run.
class ConsoleProgress : public Progress {
public:
    ConsoleProgress();
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    void report(int percent) override;
    bool stopRequested() const override;
    // Removes the percentage from the terminal line (before a message is printed, and at the end).
    void clearLine();
    bool interrupted() const { return stopRequested(); }

private:
    bool terminal = false;
    bool shown = false;
    int last = -1;
};

// The console of a tool run: messages as ConsolePlatform prints them, with the percentage cleared first.
class ToolConsole : public ConsolePlatform {
public:
    explicit ToolConsole(ConsoleProgress& p) : progress(p) {}
    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override {
        progress.clearLine();
        return ConsolePlatform::message(text, icon, buttons);
    }

private:
    ConsoleProgress& progress;
};

// The exit status for a tool's outcome: 0 done, 130 stopped by Ctrl+C, 1 otherwise.
int exitStatus(ToolStatus status, const ConsoleProgress& progress);

// Runs tool(env) with the console, the progress display and Ctrl+C handling; messages starting with one
// of stdoutPrefixes are results and go to stdout. Returns the exit status.
template <class Tool> int runTool(Tool tool, const std::vector<std::string>& stdoutPrefixes = {}) {
    ConsoleProgress progress;
    ToolConsole console(progress);
    for (const std::string& prefix : stdoutPrefixes) console.toStdout(prefix);
    ToolEnv env{console, progress};
    return exitStatus(tool(env), progress);
}

// A subcommand's --help text with the paragraph on exit statuses appended.
std::string helpWithStatus(const char* text);

// The tool subcommands (registered together, in this order, by CmdToolsRegistry.cpp).
CliCommand demImportCommand();
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

} // namespace clitools
