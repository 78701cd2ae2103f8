// orvantis-cli elev-to-gray, gray-to-elev, elev-to-color, eliminate-red: the pixel conversions.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/ElevationConversions.h"

namespace {

int runElevToGray(const cli::Args& args) {
    double factor = 0;
    int status = 0;
    if (!args.has("--factor")) return cli::usageError("elev-to-gray", "--factor K is required");
    if (!clitools::parseRealOption("elev-to-gray", "--factor", args.value("--factor"), factor, status))
        return status;
    clitools::ToolRun run;
    const GrayConversion result =
        ConvertElevationToGray(args.positional[0], args.positional[1], factor, run.env);
    // The saturation is part of the result: it goes to stdout.
    if (result.saturatedMax != 0)
        run.console.print(FormatString(IDS_GRAY_SATURATED, result.saturatedMax), stdout);
    return run.exit(result.status);
}

int runGrayToElev(const cli::Args& args) {
    clitools::ToolRun run;
    return run.exit(GrayToElevation(args.positional[0], args.positional[1], run.env));
}

int runElevToColor(const cli::Args& args) {
    if (!args.has("--palette")) return cli::usageError("elev-to-color", "--palette PAL.tga is required");
    clitools::ToolRun run;
    return run.exit(
        ElevationToColor(args.positional[0], args.positional[1], args.value("--palette"), run.env));
}

int runEliminateRed(const cli::Args& args) {
    clitools::ToolRun run;
    return run.exit(EliminateRed(args.positional[0], args.positional[1], run.env));
}

} // namespace

CliCommand elevToGrayCommand() {
    return {"elev-to-gray", {{{"--factor"}}}, runElevToGray};
}
CliCommand grayToElevCommand() {
    return {"gray-to-elev", {}, runGrayToElev};
}
CliCommand elevToColorCommand() {
    return {"elev-to-color", {{{"--palette"}}}, runElevToColor};
}
CliCommand eliminateRedCommand() {
    return {"eliminate-red", {}, runEliminateRed};
}
