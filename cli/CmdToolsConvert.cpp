// orvantis-cli elev-to-gray, gray-to-elev, elev-to-color, eliminate-red: the pixel conversions.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/ElevationConversions.h"

namespace {

int runElevToGray(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    double factor = 0;
    if (!clitools::parseArgs("elev-to-gray", args, {"--factor"}, {}, 2, parsed, status)) return status;
    if (!parsed.has("--factor")) return cli::usageError("elev-to-gray", "--factor K is required");
    if (!clitools::parseRealOption("elev-to-gray", "--factor", parsed.value("--factor"), factor, status))
        return status;
    std::string saturated = LoadString(IDS_GRAY_SATURATED);
    return clitools::runTool(
        [&](const ToolEnv& env) {
            return ElevationToGray(parsed.positional[0], parsed.positional[1], factor, env);
        },
        {saturated.substr(0, saturated.find('\n'))});
}

int runGrayToElev(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("gray-to-elev", args, {}, {}, 2, parsed, status)) return status;
    return clitools::runTool(
        [&](const ToolEnv& env) { return GrayToElevation(parsed.positional[0], parsed.positional[1], env); });
}

int runElevToColor(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("elev-to-color", args, {"--palette"}, {}, 2, parsed, status)) return status;
    if (!parsed.has("--palette")) return cli::usageError("elev-to-color", "--palette PAL.tga is required");
    return clitools::runTool([&](const ToolEnv& env) {
        return ElevationToColor(parsed.positional[0], parsed.positional[1], parsed.value("--palette"), env);
    });
}

int runEliminateRed(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("eliminate-red", args, {}, {}, 2, parsed, status)) return status;
    return clitools::runTool(
        [&](const ToolEnv& env) { return EliminateRed(parsed.positional[0], parsed.positional[1], env); });
}

} // namespace

CliCommand clitools::elevToGrayCommand() {
    return CliCommand{
        "elev-to-gray", "elev-to-gray IN OUT --factor K",
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
        runElevToGray};
}

CliCommand clitools::grayToElevCommand() {
    return CliCommand{"gray-to-elev", "gray-to-elev IN OUT",
                      clitools::helpWithStatus("Usage: orvantis-cli gray-to-elev IN OUT\n"
                                               "\n"
                                               "Converts a grayscale picture into an elevation file: every "
                                               "pixel's elevation is the sum of its blue,\n"
                                               "green and red bytes (0 to 765), the inverse of the grey "
                                               "levels written by 'interpolate'. An OUT name\n"
                                               "ending in .yuv writes a YUV frame.\n"),
                      runGrayToElev};
}

CliCommand clitools::elevToColorCommand() {
    return CliCommand{
        "elev-to-color", "elev-to-color IN OUT --palette PAL.tga",
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
        runElevToColor};
}

CliCommand clitools::eliminateRedCommand() {
    return CliCommand{"eliminate-red", "eliminate-red IN OUT",
                      clitools::helpWithStatus("Usage: orvantis-cli eliminate-red IN OUT\n"
                                               "\n"
                                               "Turns every pure-red pixel (red not 0, green and blue 0) "
                                               "black and copies all other pixels. An OUT\n"
                                               "name ending in .yuv writes a YUV frame.\n"),
                      runEliminateRed};
}
