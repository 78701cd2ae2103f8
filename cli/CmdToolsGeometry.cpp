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
    return {
        "interpolate",
        "interpolate IN OUT",
        clitools::helpWithStatus(
            "Usage: orvantis-cli interpolate IN OUT\n"
            "\n"
            "Reconstructs a surface from isocontour lines painted in pure red (red not 0, green and blue 0; "
            "the\n"
            "red byte is the contour's level): every pixel of a row gets the value interpolated linearly\n"
            "between the contour pixels of that row (flat beyond the first and last), at most 254. The "
            "result\n"
            "is grey with a third of a level of extra precision in green and blue; 'gray-to-elev' turns it "
            "into\n"
            "an elevation file. Rows without any contour pixel are black. An OUT name ending in .yuv writes\n"
            "a YUV frame.\n"),
        {},
        runInterpolate};
}

CliCommand resampleCommand() {
    return {"resample",
            "resample IN OUT --factor 2|3|4",
            clitools::helpWithStatus(
                "Usage: orvantis-cli resample IN OUT --factor 2|3|4\n"
                "\n"
                "Reduces an elevation file by the factor n in both directions: every output elevation "
                "is the SUM\n"
                "of the n x n elevations of its block (n * n times their average), kept to 24 bits. "
                "Blocks cut by\n"
                "the right or upper edge are dropped. An OUT name ending in .yuv writes a YUV frame.\n"
                "\n"
                "Options:\n"
                "  --factor N   the reduction 1 : N, N being 2, 3 or 4 (required)\n"),
            {{{"--factor"}}},
            runResample};
}

CliCommand rectifyCommand() {
    return {
        "rectify",
        "rectify IN OUT --src X1,Y1,X2,Y2,X3,Y3,X4,Y4 --dst X1,Y1,X2,Y2,X3,Y3,X4,Y4 [--force]",
        clitools::helpWithStatus(
            "Usage: orvantis-cli rectify IN OUT --src X1,Y1,...,X4,Y4 --dst X1,Y1,...,X4,Y4 [--force]\n"
            "\n"
            "Corrects a distorted picture by the bilinear transform that takes four points of the output to\n"
            "where they appear in the input:\n"
            "  x' = a11*x + a12*y + a13*x*y + a14\n"
            "  y' = a21*x + a22*y + a23*x*y + a24\n"
            "x counts pixel columns from the left, y pixel rows from the bottom as height - row. Every "
            "output\n"
            "pixel is the input's Gaussian-filtered sample at (x', y'); near and beyond the input's edges "
            "it\n"
            "is white. The output has the input's size. An OUT name ending in .yuv writes a YUV frame.\n"
            "\n"
            "Options:\n"
            "  --src X1,Y1,...   the four points as they appear in the distorted input (required)\n"
            "  --dst X1,Y1,...   where the four points must lie in the output (required)\n"
            "  --force           go on when the points make a system without a unique solution (coinciding\n"
            "                    or collinear points); without it such points fail with the message\n"),
        {{{"--src"}, {"--dst"}, {"--force", false}}},
        runRectify};
}
