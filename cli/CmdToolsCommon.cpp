#include "cli/CmdTools.h"

#include "app/CFormat.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t interruptFlag = 0;
struct sigaction previousAction;

extern "C" void onInterrupt(int) {
    interruptFlag = 1;
}
} // namespace

namespace clitools {

bool parseArgs(const std::string& command, const std::vector<std::string>& args,
               const std::vector<std::string>& valueOptions, const std::vector<std::string>& flagOptions,
               size_t positionals, ParsedArgs& out, int& status) {
    auto contains = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(0, a.find('='));
            if (contains(valueOptions, name)) {
                std::string v;
                if (!cli::takeOptionValue(args, i, name, v)) {
                    status = cli::usageError(command, "option " + name + " needs a value");
                    return false;
                }
                out.values[name] = v;
            } else if (contains(flagOptions, a)) {
                out.flags.insert(a);
            } else {
                status = cli::usageError(command, "unknown option '" + a + "'");
                return false;
            }
        } else {
            out.positional.push_back(a);
        }
    }
    if (out.positional.size() != positionals) {
        status = cli::usageError(command, out.positional.size() < positionals ? "missing file name"
                                                                              : "too many arguments");
        return false;
    }
    return true;
}

bool parseRealOption(const std::string& command, const std::string& option, const std::string& text,
                     double& value, int& status) {
    if (!parseRealStrict(text, value) || !std::isfinite(value)) {
        status = cli::usageError(command, "option " + option + " needs a number, not '" + text + "'");
        return false;
    }
    return true;
}

ConsoleProgress::ConsoleProgress() {
    terminal = isatty(STDERR_FILENO) != 0;
    interruptFlag = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
}

ConsoleProgress::~ConsoleProgress() {
    clearLine();
    sigaction(SIGINT, &previousAction, nullptr);
}

void ConsoleProgress::report(int percent) {
    if (!terminal || percent == last) return;
    last = percent;
    std::fprintf(stderr, "\r%d%%", percent);
    std::fflush(stderr);
    shown = true;
}

bool ConsoleProgress::stopRequested() const {
    return interruptFlag != 0;
}

void ConsoleProgress::clearLine() {
    if (!shown) return;
    std::fprintf(stderr, "\r     \r");
    std::fflush(stderr);
    shown = false;
    last = -1;
}

std::string helpWithStatus(const char* text) {
    return std::string(text) +
           "\nExit status: 0 success, 1 failure, 2 bad usage, 130 stopped by Ctrl+C (nothing written).\n";
}

int exitStatus(ToolStatus status, const ConsoleProgress& progress) {
    switch (status) {
    case ToolStatus::Done:
        return ExitOk;
    case ToolStatus::Cancelled:
        return progress.interrupted() ? ExitStopped : ExitFailure;
    default:
        return ExitFailure;
    }
}

} // namespace clitools
