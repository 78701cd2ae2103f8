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
    return {"convolve", {{{"--kernel"}}}, runConvolve};
}
CliCommand mergeCommand() {
    return {"merge", {{{"--with"}, {"--mode"}, {"--bias1"}, {"--bias2"}}}, runMerge};
}
CliCommand maskCommand() {
    return {"mask", {{{"--mask"}}}, runMask};
}
