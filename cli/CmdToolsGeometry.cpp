// orvantis-cli interpolate, resample, rectify.

#include "app/CFormat.h"
#include "app/IniSettings.h"
#include "app/SettingsDefaults.h"
#include "cli/CmdTools.h"
#include "tools/Rectify.h"
#include "tools/Resample.h"
#include "tools/SurfaceInterpolation.h"

namespace {

int runInterpolate(const cli::Args& args) {
    clitools::ToolRun run;
    return run.exit(SurfaceInterpolation(args.positional[0], args.positional[1], run.env));
}

int runResample(const cli::Args& args) {
    const std::string f = args.value("--factor");
    if (f != "2" && f != "3" && f != "4")
        return cli::usageError("resample", args.has("--factor")
                                               ? "--factor must be 2, 3 or 4, not '" + f + "'"
                                               : "--factor 2|3|4 is required");
    clitools::ToolRun run;
    return run.exit(Resample(args.positional[0], args.positional[1], f[0] - '0', run.env));
}

// Eight comma-separated numbers X1,Y1,...,X4,Y4.
bool parsePoints(const std::string& option, const std::string& text, double (&xs)[4], double (&ys)[4],
                 int& status) {
    double values[8];
    size_t start = 0;
    for (int i = 0; i < 8; ++i) {
        size_t comma = text.find(',', start);
        const bool last = i == 7;
        if ((comma == std::string::npos) != last) break;
        std::string item = text.substr(start, last ? std::string::npos : comma - start);
        if (!clitools::parseRealOption("rectify", option, item, values[i], status)) return false;
        if (last) {
            for (int k = 0; k < 4; ++k) {
                xs[k] = values[2 * k];
                ys[k] = values[2 * k + 1];
            }
            return true;
        }
        start = comma + 1;
    }
    status = cli::usageError("rectify", option + " needs eight numbers X1,Y1,X2,Y2,X3,Y3,X4,Y4");
    return false;
}

int runRectify(const cli::Args& args) {
    if (!args.has("--src") || !args.has("--dst"))
        return cli::usageError("rectify", "--src and --dst are required");
    RectifyCorners corners;
    int status = 0;
    if (!parsePoints("--src", args.value("--src"), corners.xs, corners.ys, status) ||
        !parsePoints("--dst", args.value("--dst"), corners.x, corners.y, status))
        return status;
    const bool force = args.has("--force");
    // The filtered sampler uses the user's "Antialiasing" option, as in the desktop application.
    clitools::ToolRun run(settings::ReadAntialiasing(IniSettings()));
    return run.exit(Rectify(args.positional[0], args.positional[1], corners, run.env, [&](RectifyAxis axis) {
        run.console.answered(RectifyIndefiniteText(axis), force ? MsgAnswer::Ok : MsgAnswer::Cancel);
        return force;
    }));
}

} // namespace

CliCommand interpolateCommand() {
    return {"interpolate", {}, runInterpolate};
}
CliCommand resampleCommand() {
    return {"resample", {{{"--factor"}}}, runResample};
}
CliCommand rectifyCommand() {
    return {"rectify", {{{"--src"}, {"--dst"}, {"--force", false}}}, runRectify};
}
