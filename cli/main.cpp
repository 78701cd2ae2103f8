// orvantis-cli: the headless command line. Renders scenes, checks them and runs every terrain tool.

#include "cli/Command.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>

#ifndef ORVANTIS_VERSION
#define ORVANTIS_VERSION "4.0.0"
#endif

namespace {

std::vector<CliCommand>& registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

void printOverview(std::FILE* out) {
    std::fprintf(out, "Usage: orvantis-cli SUBCOMMAND [ARGS...]\n"
                      "Renders terrain fly-overs and runs the terrain and image tools without the desktop.\n\n"
                      "Subcommands:\n");
    for (const CliCommand& c : cliCommands()) std::fprintf(out, "  orvantis-cli %s\n", c.synopsis.c_str());
    std::fprintf(out, "\n  orvantis-cli --help | --version | SUBCOMMAND --help\n\n"
                      "Exit status: 0 success, 1 failure, 2 bad usage, 130 stopped by Ctrl+C.\n");
}

} // namespace

const std::vector<CliCommand>& cliCommands() { return registry(); }

CliCommandRegistration::CliCommandRegistration(CliCommand command) {
    registry().push_back(std::move(command));
    std::stable_sort(registry().begin(), registry().end(), [](const CliCommand& a, const CliCommand& b) {
        // "render" and "check" first, then the tools in the order they were written.
        auto rank = [](const std::string& n) { return n == "render" ? 0 : n == "check" ? 1 : 2; };
        return rank(a.name) < rank(b.name);
    });
}

namespace cli {
int usageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "orvantis-cli %s: %s\nTry 'orvantis-cli %s --help'.\n", command.c_str(), message.c_str(),
                 command.c_str());
    return ExitUsage;
}

bool wantsHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

bool takeOptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value) {
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) return false;
        value = args[++i];
        return true;
    }
    if (a.size() > name.size() + 1 && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
        value = a.substr(name.size() + 1);
        return true;
    }
    return false;
}
} // namespace cli

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printOverview(stderr);
        return ExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        printOverview(stdout);
        return ExitOk;
    }
    if (first == "--version") {
        std::printf("orvantis-cli %s\n", ORVANTIS_VERSION);
        return ExitOk;
    }
    for (const CliCommand& c : cliCommands()) {
        if (c.name != first) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (cli::wantsHelp(rest)) {
            std::printf("%s", c.help.c_str());
            return ExitOk;
        }
        return c.run(rest);
    }
    std::fprintf(stderr, "orvantis-cli: unknown subcommand '%s'\n", first.c_str());
    printOverview(stderr);
    return ExitUsage;
}
