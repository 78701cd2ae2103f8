// orvantis-cli: the headless command line. Renders scenes, checks them and runs every terrain tool.

#include "cli/CmdTools.h"
#include "cli/Command.h"
#include "cli/Modules.h"

#include <algorithm>
#include <cstdio>

#ifndef ORVANTIS_VERSION
#define ORVANTIS_VERSION "4.0.0"
#endif

namespace {

struct Help {
    const char* name;
    const char* synopsis; // the line of the overview
    const char* text;     // what "SUBCOMMAND --help" prints
};
constexpr Help kHelp[] = {
#define CLI_HELP(name, synopsis, text) {name, synopsis, text},
#include "cli/Help.inc"
#undef CLI_HELP
};

void printOverview(std::FILE* out) {
    std::fprintf(out,
                 "Usage: orvantis-cli SUBCOMMAND [ARGS...]\n"
                 "Renders terrain fly-overs and runs the terrain and image tools without the desktop.\n\n"
                 "Subcommands:\n");
    for (const Help& h : kHelp) std::fprintf(out, "  orvantis-cli %s\n", h.synopsis);
    std::fprintf(out, "\n  orvantis-cli --help | --version | SUBCOMMAND --help\n\n"
                      "Exit status: 0 success, 1 failure, 2 bad usage, 130 stopped by Ctrl+C (128 + the "
                      "signal's number for\n"
                      "SIGTERM, SIGHUP or SIGPIPE).\n");
}

// Takes the value of option name from "--name V" or "--name=V" (not empty); advances i past it.
bool takeOptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
                     std::string& value) {
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) return false;
        value = args[++i];
        return true;
    }
    if (a.size() <= name.size() + 1 || a[name.size()] != '=') return false;
    value = a.substr(name.size() + 1);
    return true;
}

} // namespace

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands{
        renderCommand(),        checkCommand(),       demImportCommand(),  importElevationCommand(),
        importTextureCommand(), elevToGrayCommand(),  grayToElevCommand(), elevToColorCommand(),
        eliminateRedCommand(),  interpolateCommand(), convolveCommand(),   mergeCommand(),
        maskCommand(),          resampleCommand(),    rectifyCommand()};
    return commands;
}

namespace cli {

int usageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "orvantis-cli %s: %s\nTry 'orvantis-cli %s --help'.\n", command.c_str(),
                 message.c_str(), command.c_str());
    return ExitUsage;
}

int parseArgs(const std::string& command, const std::vector<std::string>& args, const ArgLayout& layout,
              Args& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool isOption =
            layout.sceneStyle ? a.size() > 1 && a[0] == '-' : a.size() > 2 && a.compare(0, 2, "--") == 0;
        if (!isOption) {
            out.positional.push_back(a);
            if (layout.sceneStyle && out.positional.size() > layout.positionals)
                return usageError(command, layout.tooMany);
            continue;
        }
        const std::string name = a.substr(0, a.find('='));
        auto option = std::find_if(layout.options.begin(), layout.options.end(),
                                   [&](const Option& o) { return o.name == name; });
        if (option == layout.options.end() || (!option->takesValue && a != name))
            return usageError(command, "unknown option '" + a + "'");
        if (!option->takesValue) {
            out.flags.insert(name);
            continue;
        }
        std::string value;
        if (!takeOptionValue(args, i, name, value)) {
            if (!layout.sceneStyle) return usageError(command, "option " + name + " needs a value");
            return usageError(command, a == name ? name + " needs a value" : "unknown option '" + a + "'");
        }
        if (option->check)
            if (std::string mistake = option->check(value); !mistake.empty())
                return usageError(command, mistake);
        out.values[name] = value;
    }
    if (out.positional.size() < layout.positionals) return usageError(command, layout.missing);
    if (out.positional.size() > layout.positionals) return usageError(command, layout.tooMany);
    return ExitOk;
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
#ifdef ORVANTIS_HAVE_VIDEO
        // Scripts look here to learn whether render --video works: so the video writer must load.
        std::string error;
        if (cli::VideoModule(error)) std::printf("Video output: H.264 (.mp4), VP9 (.webm)\n");
#endif
        return ExitOk;
    }
    for (const CliCommand& c : cliCommands()) {
        if (c.name != first) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (std::any_of(rest.begin(), rest.end(),
                        [](const std::string& a) { return a == "--help" || a == "-h"; })) {
            for (const Help& h : kHelp)
                if (c.name == h.name) std::printf("%s", h.text);
            return ExitOk;
        }
        cli::Args parsed;
        if (int usage = cli::parseArgs(c.name, rest, c.args, parsed); usage != ExitOk) return usage;
        // The tools' second file name is their output; it must not be one of the files they read.
        if (!c.args.sceneStyle && clitools::outputOverInput(parsed)) return ExitFailure;
        return c.run(parsed);
    }
    std::fprintf(stderr, "orvantis-cli: unknown subcommand '%s'\n", first.c_str());
    printOverview(stderr);
    return ExitUsage;
}
