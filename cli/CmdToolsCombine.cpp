// orvantis-cli convolve, merge, mask: the tools that combine an image with a second file.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/Convolution.h"
#include "tools/MaskTool.h"
#include "tools/Merge.h"

#include <cstdio>

namespace {

int runConvolve(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("convolve", args, {"--kernel"}, {}, 2, parsed, status)) return status;
    if (!parsed.has("--kernel")) return cli::usageError("convolve", "--kernel KERNEL.tga is required");
    return clitools::runTool([&](const ToolEnv& env) {
        return Convolve(parsed.positional[0], parsed.positional[1], parsed.value("--kernel"), env);
    });
}

bool parseBias(const clitools::ParsedArgs& parsed, const std::string& option, double& bias, int& status) {
    if (!parsed.has(option)) return true;
    if (!clitools::parseRealOption("merge", option, parsed.value(option), bias, status)) return false;
    if (bias < kMergeBiasMin || bias > kMergeBiasMax) {
        status = cli::usageError("merge", option + " must lie between -256 and 256");
        return false;
    }
    return true;
}

int runMerge(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("merge", args, {"--with", "--mode", "--bias1", "--bias2"}, {}, 2, parsed,
                             status))
        return status;
    if (!parsed.has("--with")) return cli::usageError("merge", "--with FILE2 is required");
    const std::string modeName = parsed.value("--mode", "add");
    if (modeName != "add" && modeName != "multiply")
        return cli::usageError("merge", "--mode must be add or multiply, not '" + modeName + "'");
    const MergeMode mode = modeName == "add" ? MergeMode::Add : MergeMode::Multiply;
    double bias1 = 1.0, bias2 = 1.0;
    if (!parseBias(parsed, "--bias1", bias1, status) || !parseBias(parsed, "--bias2", bias2, status))
        return status;
    return clitools::runTool([&](const ToolEnv& env) {
        return Merge(parsed.positional[0], parsed.positional[1], parsed.value("--with"), mode, bias1, bias2,
                     env);
    });
}

int runMask(const std::vector<std::string>& args) {
    clitools::ParsedArgs parsed;
    int status = 0;
    if (!clitools::parseArgs("mask", args, {"--mask"}, {}, 2, parsed, status)) return status;
    if (!parsed.has("--mask")) return cli::usageError("mask", "--mask MASK.tga is required");
    return clitools::runTool([&](const ToolEnv& env) {
        bool mismatch = false;
        ToolStatus result =
            MaskFile(parsed.positional[0], parsed.positional[1], parsed.value("--mask"), env, &mismatch);
        if (mismatch) env.platform.message(LoadString(IDS_MASK_SIZE_MISMATCH), MsgIcon::Stop, MsgButtons::Ok);
        return result;
    });
}

} // namespace

CliCommand clitools::convolveCommand() {
    return {
        "convolve", "convolve IN OUT --kernel KERNEL.tga",
        helpWithStatus(
            "Usage: orvantis-cli convolve IN OUT --kernel KERNEL.tga\n"
            "\n"
            "Convolves an image with a value matrix: KERNEL.tga holds one coefficient per byte (byte - 128, "
            "so\n"
            "128 is 0), one kernel per colour channel, centred at (width / 2, height / 2) counted from the\n"
            "lower left. Every channel is divided by the sum of its coefficients (integer division; a sum of "
            "0\n"
            "divides by nothing) and its low 8 bits are stored. A border as wide as the kernel's half stays\n"
            "black. An OUT name ending in .yuv writes a YUV frame.\n"
            "\n"
            "Options:\n"
            "  --kernel KERNEL.tga   the value matrix (required)\n"),
        runConvolve};
}

CliCommand clitools::mergeCommand() {
    return {
        "merge", "merge IN OUT --with FILE2 [--mode add|multiply] [--bias1 B] [--bias2 B]",
        helpWithStatus(
            "Usage: orvantis-cli merge IN OUT --with FILE2 [--mode add|multiply] [--bias1 B] [--bias2 B]\n"
            "\n"
            "Merges two images channel by channel into an image of IN's size:\n"
            "  add:       color1 * B1 + color2 * B2\n"
            "  multiply:  (color1 + B1) * (color2 + B2) / 255\n"
            "Results below 0 give 0, above 255 give 255. Where FILE2 is smaller than IN its pixels count as\n"
            "white. An OUT name ending in .yuv writes a YUV frame.\n"
            "\n"
            "Options:\n"
            "  --with FILE2      the second image (required)\n"
            "  --mode MODE       add (the default) or multiply\n"
            "  --bias1 B         B1, between -256 and 256 (default 1.0)\n"
            "  --bias2 B         B2, between -256 and 256 (default 1.0)\n"),
        runMerge};
}

CliCommand clitools::maskCommand() {
    return {"mask", "mask IN OUT --mask MASK.tga",
            helpWithStatus(
                "Usage: orvantis-cli mask IN OUT --mask MASK.tga\n"
                "\n"
                "Masks an image with a mask of the same size. Three pixels of the mask control the masking:\n"
                "pixel (0, 0) (lower left corner) defines full transparency, pixel (1, 0) an increase in "
                "brightness\n"
                "(+64), pixel (2, 0) a decrease in brightness (-64); colours not equal to one of these three "
                "are\n"
                "opaque and replace the image's pixel. An OUT name ending in .yuv writes a YUV frame.\n"
                "\n"
                "Options:\n"
                "  --mask MASK.tga   the mask (required; it must have IN's size)\n"),
            runMask};
}
