// orvantis-cli convolve, merge, mask: the tools that combine an image with a second file.

#include "cli/CmdTools.h"
#include "res/StringTable.h"
#include "tools/Convolution.h"
#include "tools/MaskTool.h"
#include "tools/Merge.h"

#include <cstdio>

namespace {

int runConvolve(const cli::Args& args) {
    if (!args.has("--kernel")) return cli::usageError("convolve", "--kernel KERNEL.tga is required");
    clitools::ToolRun run;
    return run.exit(Convolve(args.positional[0], args.positional[1], args.value("--kernel"), run.env));
}

bool parseBias(const cli::Args& args, const std::string& option, double& bias, int& status) {
    if (!args.has(option)) return true;
    if (!clitools::parseRealOption("merge", option, args.value(option), bias, status)) return false;
    if (bias < kMergeBiasMin || bias > kMergeBiasMax) {
        status = cli::usageError("merge", option + " must lie between -256 and 256");
        return false;
    }
    return true;
}

int runMerge(const cli::Args& args) {
    if (!args.has("--with")) return cli::usageError("merge", "--with FILE2 is required");
    const std::string modeName = args.value("--mode", "add");
    if (modeName != "add" && modeName != "multiply")
        return cli::usageError("merge", "--mode must be add or multiply, not '" + modeName + "'");
    const MergeMode mode = modeName == "add" ? MergeMode::Add : MergeMode::Multiply;
    double bias1 = 1.0, bias2 = 1.0;
    int status = 0;
    if (!parseBias(args, "--bias1", bias1, status) || !parseBias(args, "--bias2", bias2, status))
        return status;
    clitools::ToolRun run;
    return run.exit(
        Merge(args.positional[0], args.positional[1], args.value("--with"), mode, bias1, bias2, run.env));
}

int runMask(const cli::Args& args) {
    if (!args.has("--mask")) return cli::usageError("mask", "--mask MASK.tga is required");
    clitools::ToolRun run;
    bool mismatch = false;
    const ToolStatus result =
        MaskFile(args.positional[0], args.positional[1], args.value("--mask"), run.env, &mismatch);
    if (mismatch) run.console.print(LoadString(IDS_MASK_SIZE_MISMATCH));
    return run.exit(result);
}

} // namespace

CliCommand convolveCommand() {
    return {
        "convolve",
        "convolve IN OUT --kernel KERNEL.tga",
        clitools::helpWithStatus(
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
        {{{"--kernel"}}},
        runConvolve};
}

CliCommand mergeCommand() {
    return {
        "merge",
        "merge IN OUT --with FILE2 [--mode add|multiply] [--bias1 B] [--bias2 B]",
        clitools::helpWithStatus(
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
        {{{"--with"}, {"--mode"}, {"--bias1"}, {"--bias2"}}},
        runMerge};
}

CliCommand maskCommand() {
    return {"mask",
            "mask IN OUT --mask MASK.tga",
            clitools::helpWithStatus(
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
            {{{"--mask"}}},
            runMask};
}
