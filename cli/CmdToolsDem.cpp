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

// The import's decisions come from the flags; the listing and the count are the results on stdout.
class ConsoleDemEvents : public DemImportEvents {
public:
    ConsoleDemEvents(ConsolePlatform& c, bool r) : console(c), recalibrateBase(r) {}
    bool confirmListing(const DemHeader&, const std::vector<std::string>& lines) override {
        for (const std::string& line : lines) console.print(line, stdout);
        return true;
    }
    bool recalibrate(const DemHeader&) override {
        console.answered(LoadString(IDS_DEM_RECALIBRATE), recalibrateBase ? MsgAnswer::Yes : MsgAnswer::No);
        return recalibrateBase;
    }
    void suspicious(const DemSuspiciousValue& value) override { console.print(DemSuspiciousText(value)); }

private:
    ConsolePlatform& console;
    bool recalibrateBase;
};

int run(const cli::Args& args) {
    if (args.has("--recalibrate") && args.has("--no-recalibrate"))
        return cli::usageError("dem-import", "--recalibrate and --no-recalibrate exclude each other");
    clitools::ToolRun run;
    ConsoleDemEvents events(run.console, args.has("--recalibrate"));
    const std::string& from = args.positional[0];
    const DemImportResult result = ImportDem(from, args.positional[1], run.env, events);
    if (const std::string problem = DemProblemText(result, from); !problem.empty())
        run.console.print(problem);
    if (result.read) run.console.print(DemCountText(result), stdout);
    return run.exit(result.status);
}

} // namespace

CliCommand demImportCommand() {
    return {"dem-import",
            "dem-import IN.dem OUT.tga [--recalibrate | --no-recalibrate]",
            kHelp,
            {{{"--recalibrate", false}, {"--no-recalibrate", false}}},
            run};
}
