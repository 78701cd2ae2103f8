// orvantis-cli dem-import: a USGS DEM file to an elevation file.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/DemImport.h"

#include <cstdio>

namespace {

const char* const kHelp =
    "Usage: orvantis-cli dem-import IN.dem OUT.tga [--recalibrate | --no-recalibrate]\n"
    "\n"
    "Converts a USGS DEM file (ASCII, type A header and type B profiles, in 1024-byte records or with line\n"
    "breaks) into an elevation file: a square 24-bit TGA whose side is the smallest multiple of 8 above the\n"
    "number of profiles. Profile column c becomes pixel column c - 1; its elevations run upwards from row\n"
    "side - columns. An OUT name ending in .yuv writes a YUV frame instead.\n"
    "\n"
    "Prints the DEM header on stdout (one entry per line, label and value separated by a tab), every\n"
    "suspicious jump between neighbouring elevations (more than 511) on stderr, and at the end\n"
    "\"Total of non-zero elevations: N\" on stdout.\n"
    "\n"
    "Options:\n"
    "  --recalibrate     when the header's minimum elevation is below 0, subtract it (truncated) from every\n"
    "                    elevation so that none is negative\n"
    "  --no-recalibrate  keep the elevations as they are (the default): negative values wrap to 24 bits\n"
    "\n"
    "Exit status: 0 success, 1 failure (also when the file ended early: what was read is written),\n"
    "2 bad usage, 130 stopped by Ctrl+C (nothing written).\n";

int run(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("dem-import", args, {}, {"--recalibrate", "--no-recalibrate"}, 2, parsed,
                             status))
        return status;
    if (parsed.has("--recalibrate") && parsed.has("--no-recalibrate"))
        return cli::usageError("dem-import", "--recalibrate and --no-recalibrate exclude each other");

    clitools::ConsoleProgress progress;
    clitools::ToolConsole console(progress);
    std::string recalibrate = LoadString(IDS_DEM_RECALIBRATE);
    console.answer(recalibrate.substr(0, recalibrate.find('\n')),
                   parsed.has("--recalibrate") ? MsgAnswer::Yes : MsgAnswer::No);
    std::string count = LoadString(IDS_DEM_NONZERO_COUNT);
    console.toStdout(count.substr(0, count.find('%')));

    ToolEnv env{console, progress};
    DemImportResult result = DemImport(parsed.positional[0], parsed.positional[1], env,
                                       [&](const DemHeader&, const std::vector<std::string>& lines) {
                                           progress.clearLine();
                                           for (const std::string& line : lines)
                                               std::printf("%s\n", line.c_str());
                                           std::fflush(stdout);
                                           return true;
                                       });
    return clitools::exitStatus(result.status, progress);
}

} // namespace

CliCommand clitools::demImportCommand() {
    return {"dem-import", "dem-import IN.dem OUT.tga [--recalibrate | --no-recalibrate]", kHelp, run};
}
