#pragma once
// What the tool subcommands of orvantis-cli share: the console with its progress display and Ctrl+C
// handling, and the mapping of a tool's outcome to the exit status.

#include "cli/Command.h"
#include "cli/ConsolePlatform.h"
#include "cli/Interrupt.h"
#include "tools/ToolCommon.h"

#include <string>

namespace clitools {

// Reads a real ("C" locale, blanks around allowed, finite). On a mistake prints the usage error.
bool parseRealOption(const std::string& command, const std::string& option, const std::string& text,
                     double& value, int& status);

// A tool's output (its second file name) that is its input or a file one of its options names (--kernel,
// --with, --mask, --palette): prints the message naming both and returns true.
bool outputOverInput(const cli::Args& args);

// Shows "%d%%" on stderr while a tool runs, when stderr is a terminal, and turns Ctrl+C into a stop
// request for the duration of the run (a second Ctrl+C does not end the process: the tool stops cleanly).
class ConsoleProgress : public Progress {
public:
    ConsoleProgress();
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    void report(int percent) override;
    bool stopRequested() const override { return cli::InterruptGuard::requested(); }
    // Removes the percentage from the terminal line (before a message is printed, and at the end).
    void clearLine();

private:
    cli::InterruptGuard interrupt;
    bool terminal = false;
    bool shown = false;
    int last = -1;
};

// The console of a tool run: messages as ConsolePlatform prints them, with the percentage cleared first.
class ToolConsole : public ConsolePlatform {
public:
    explicit ToolConsole(ConsoleProgress& p) : progress(p) {}
    // A save given up by Ctrl+C is not offered again: the question would only hold up the stop.
    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override {
        if (buttons == MsgButtons::YesNo && progress.stopRequested()) return MsgAnswer::No;
        return ConsolePlatform::message(text, icon, buttons);
    }
    void print(const std::string& text, std::FILE* out = stderr) override {
        progress.clearLine();
        ConsolePlatform::print(text, out);
    }

private:
    ConsoleProgress& progress;
};

// One tool run: the console, the progress display with Ctrl+C handling, and the environment for the tool.
struct ToolRun {
    explicit ToolRun(int antialiasing = 10) : env{console, progress, antialiasing} {}
    ConsoleProgress progress;
    ToolConsole console{progress};
    ToolEnv env;

    // The exit status for the tool's outcome: 0 done, 130 stopped by Ctrl+C, 1 otherwise.
    int exit(ToolStatus status) const;
};

} // namespace clitools
