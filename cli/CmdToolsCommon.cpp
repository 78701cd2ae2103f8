#include "cli/CmdTools.h"

#include "app/CFormat.h"
#include "app/RegularFile.h"
#include "res/StringTable.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace clitools {

bool parseRealOption(const std::string& command, const std::string& option, const std::string& text,
                     double& value, int& status) {
    if (!parseRealStrict(text, value) || !std::isfinite(value)) {
        status = cli::usageError(command, "option " + option + " needs a number, not '" + text + "'");
        return false;
    }
    return true;
}

bool outputOverInput(const cli::Args& args) {
    const std::string& output = args.positional[1];
    std::vector<std::string> inputs{args.positional[0]};
    for (const char* option : {"--kernel", "--with", "--mask", "--palette"})
        if (args.has(option)) inputs.push_back(args.value(option));
    for (const std::string& input : inputs) {
        if (!IsSameFile(output, input)) continue;
        ConsolePlatform().print(FormatString(IDS_OUTPUT_IS_INPUT, output, input));
        return true;
    }
    return false;
}

ConsoleProgress::ConsoleProgress() : terminal(isatty(STDERR_FILENO) != 0) {}

ConsoleProgress::~ConsoleProgress() {
    clearLine();
}

void ConsoleProgress::report(int percent) {
    if (!terminal || percent == last) return;
    last = percent;
    std::fprintf(stderr, "\r%d%%", percent);
    std::fflush(stderr);
    shown = true;
}

void ConsoleProgress::clearLine() {
    if (!shown) return;
    std::fprintf(stderr, "\r     \r");
    std::fflush(stderr);
    shown = false;
    last = -1;
}

int ToolRun::exit(ToolStatus status) const {
    switch (status) {
    case ToolStatus::Done:
        return ExitOk;
    case ToolStatus::Cancelled:
        return progress.stopRequested() ? cli::InterruptGuard::exitStatus() : ExitFailure;
    default:
        return ExitFailure;
    }
}

} // namespace clitools
