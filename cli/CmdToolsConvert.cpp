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
    return CliCommand{
        "elev-to-gray",
        "elev-to-gray IN OUT --factor K",
        clitools::helpWithStatus(
            "Usage: orvantis-cli elev-to-gray IN OUT --factor K\n"
            "\n"
            "Converts an elevation file into a grayscale picture: every pixel becomes the grey level\n"
            "trunc(elevation * K). Products of 255 and more give 255; when there are any, the message\n"
            "\"One or more values are saturated in the output file.\" with the largest product is printed "
            "on\n"
            "stdout. An OUT name ending in .yuv writes a YUV frame.\n"
            "\n"
            "Options:\n"
            "  --factor K   the calibration factor (a real number, required)\n"),
        {{{"--factor"}}},
        runElevToGray};
}

CliCommand grayToElevCommand() {
    return CliCommand{"gray-to-elev",
                      "gray-to-elev IN OUT",
                      clitools::helpWithStatus("Usage: orvantis-cli gray-to-elev IN OUT\n"
                                               "\n"
                                               "Converts a grayscale picture into an elevation file: every "
                                               "pixel's elevation is the sum of its blue,\n"
                                               "green and red bytes (0 to 765), the inverse of the grey "
                                               "levels written by 'interpolate'. An OUT name\n"
                                               "ending in .yuv writes a YUV frame.\n"),
                      {},
                      runGrayToElev};
}

CliCommand elevToColorCommand() {
    return CliCommand{
        "elev-to-color",
        "elev-to-color IN OUT --palette PAL.tga",
        clitools::helpWithStatus(
            "Usage: orvantis-cli elev-to-color IN OUT --palette PAL.tga\n"
            "\n"
            "Colours an elevation file through a palette: the palette's bottom row, read from left to "
            "right,\n"
            "runs from elevation 0 to elevation 9000; every pixel takes the colour of the palette column\n"
            "trunc(min(elevation, 9000) * width / 9000). Elevations from 9000 on fall beyond the palette and "
            "are\n"
            "white. An OUT name ending in .yuv writes a YUV frame.\n"
            "\n"
            "Options:\n"
            "  --palette PAL.tga   the palette image (required)\n"),
        {{{"--palette"}}},
        runElevToColor};
}

CliCommand eliminateRedCommand() {
    return CliCommand{"eliminate-red",
                      "eliminate-red IN OUT",
                      clitools::helpWithStatus("Usage: orvantis-cli eliminate-red IN OUT\n"
                                               "\n"
                                               "Turns every pure-red pixel (red not 0, green and blue 0) "
                                               "black and copies all other pixels. An OUT\n"
                                               "name ending in .yuv writes a YUV frame.\n"),
                      {},
                      runEliminateRed};
}
