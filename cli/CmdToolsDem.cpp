// orvantis-cli dem-import: a USGS DEM file to an elevation file.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/DemImport.h"

#include <cstdio>

namespace {

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
    return {"dem-import", {{{"--recalibrate", false}, {"--no-recalibrate", false}}}, run};
}
