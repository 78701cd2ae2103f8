// The tool subcommands of orvantis-cli: help, exit statuses, messages, and output identical to the core.

#include "tools/Convolution.h"
#include "tools/DemImport.h"
#include "tools/ElevationConversions.h"
#include "tools/MaskTool.h"
#include "tools/Merge.h"
#include "tools/Rectify.h"
#include "tools/Resample.h"
#include "tools/SurfaceInterpolation.h"
#include "tools/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace tooltest;

namespace {

struct CliRun {
    int status = -1; // exit status; 128 + n when ended by signal n
    std::string out;
    std::string err;
};

// Runs orvantis-cli with args (settings in dir). With interruptOn, stderr joins stdout in one pipe and SIGINT
// is sent as soon as that text has arrived; nothing more is read before the signal is sent, so a command
// that writes more than the pipe holds cannot end before it.
CliRun cli(const std::vector<std::string>& args, const TempDir& dir, const std::string& interruptOn = "") {
    int outPipe[2];
    if (pipe(outPipe) != 0) return {};
    const std::string errFile = dir.path("cli-stderr.txt");
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        close(outPipe[0]);
        close(outPipe[1]);
        if (!interruptOn.empty())
            dup2(STDOUT_FILENO, STDERR_FILENO);
        else if (!std::freopen(errFile.c_str(), "w", stderr))
            _exit(126);
        setenv("ORVANTIS_INI", dir.path("orvantis.ini").c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(ORVANTIS_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(ORVANTIS_CLI, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    CliRun r;
    char buffer[4096];
    bool signalled = false;
    ssize_t n;
    while ((n = read(outPipe[0], buffer, sizeof buffer)) > 0) {
        r.out.append(buffer, static_cast<size_t>(n));
        if (!interruptOn.empty() && !signalled && r.out.find(interruptOn) != std::string::npos) {
            kill(pid, SIGINT);
            signalled = true;
        }
    }
    close(outPipe[0]);
    int raw = 0;
    waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    r.err = TempDir::read(errFile);
    return r;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

Picture varied(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.set(x, y, bgr((x * 37 + y * 11) % 256, (x * y) % 256, (y * 29 + x) % 256));
    return p;
}

// Runs the core function into core.tga and the command line into cli.tga; both must succeed and agree.
void expectSameOutput(const TempDir& dir, const std::vector<std::string>& args,
                      const std::function<ToolStatus(const std::string& to, const ToolEnv&)>& core) {
    Env e;
    ASSERT_EQ(ToolStatus::Done, core(dir.path("core.tga"), e.env));
    std::vector<std::string> full = args;
    full.insert(full.begin() + 2, dir.path("cli.tga"));
    CliRun r = cli(full, dir);
    ASSERT_EQ(0, r.status) << r.err;
    const std::string expected = TempDir::read(dir.path("core.tga"));
    EXPECT_FALSE(expected.empty());
    EXPECT_TRUE(expected == TempDir::read(dir.path("cli.tga"))) << args[0];
}

const std::vector<std::string> kTools = {"dem-import",    "elev-to-gray", "gray-to-elev", "elev-to-color",
                                         "eliminate-red", "interpolate",  "convolve",     "merge",
                                         "mask",          "resample",     "rectify"};

} // namespace

TEST(ToolsCli, HelpAndOverview) {
    TempDir dir;
    CliRun overview = cli({"--help"}, dir);
    ASSERT_EQ(0, overview.status);
    size_t last = 0;
    for (const std::string& name : kTools) {
        const size_t at = overview.out.find("orvantis-cli " + name + " ");
        ASSERT_NE(std::string::npos, at) << name;
        EXPECT_GT(at, last) << name << " is listed in menu order";
        last = at;
        CliRun help = cli({name, "--help"}, dir);
        EXPECT_EQ(0, help.status) << name;
        EXPECT_EQ(0u, help.out.find("Usage: orvantis-cli " + name + " ")) << name;
        EXPECT_TRUE(contains(help.out, "Exit status: 0 success, 1 failure")) << name;
    }
}

TEST(ToolsCli, BadUsageExitsWith2) {
    TempDir dir;
    writeTga(dir.path("in.tga"), Picture(4, 4));
    const std::string in = dir.path("in.tga"), out = dir.path("out.tga");
    const std::vector<std::vector<std::string>> mistakes = {
        {"gray-to-elev", in},
        {"gray-to-elev", in, out, "extra"},
        {"eliminate-red", in, out, "--bogus"},
        {"elev-to-gray", in, out},
        {"elev-to-gray", in, out, "--factor", "abc"},
        {"elev-to-gray", in, out, "--factor"},
        {"elev-to-color", in, out},
        {"convolve", in, out},
        {"merge", in, out},
        {"merge", in, out, "--with", in, "--mode", "divide"},
        {"merge", in, out, "--with", in, "--bias1", "300"},
        {"mask", in, out},
        {"resample", in, out},
        {"resample", in, out, "--factor", "5"},
        {"rectify", in, out, "--src", "1,2,3,4,5,6,7", "--dst", "1,2,3,4,5,6,7,8"},
        {"rectify", in, out, "--src", "1,2,3,4,5,6,7,8"},
        {"dem-import", in, out, "--recalibrate", "--no-recalibrate"},
    };
    for (const auto& args : mistakes) {
        CliRun r = cli(args, dir);
        EXPECT_EQ(2, r.status) << args[0] << " " << args.back();
        EXPECT_TRUE(contains(r.err, "orvantis-cli " + args[0] + ": ")) << r.err;
        EXPECT_FALSE(exists(out));
    }
}

TEST(ToolsCli, DemImportListingCountAndMessages) {
    TempDir dir;
    SynthHeader h;
    h.columns = 2;
    h.minElevation = -12.7;
    TempDir::write(dir.path("in.dem"), makeDem(h, {SynthProfile{1, {-12, 100, 612}}, SynthProfile{2, {0, 5}}},
                                               DemLayout::Records));

    CliRun r = cli({"dem-import", dir.path("in.dem"), dir.path("out.tga")}, dir);
    ASSERT_EQ(0, r.status) << r.err;
    DemReader reader(TempDir::read(dir.path("in.dem")));
    DemHeader header;
    ASSERT_TRUE(reader.readHeader(header));
    std::string expected;
    for (const std::string& line : DemListingLines(header)) expected += line + "\n";
    expected += "Total of non-zero elevations: 4\n";
    EXPECT_EQ(expected, r.out);
    EXPECT_TRUE(contains(r.err, "Suspicious elevation value 612 in (0/8).\n"));
    EXPECT_TRUE(contains(r.err, "There are regions below sea level."));
    EXPECT_FALSE(contains(r.err, "Total of non-zero"));
    Picture plain = readTga(dir.path("out.tga"));
    EXPECT_EQ(0xFFFFF4u, plain.elevation(0, 6)); // no recalibration by default

    CliRun recalibrated = cli({"dem-import", dir.path("in.dem"), dir.path("re.tga"), "--recalibrate"}, dir);
    ASSERT_EQ(0, recalibrated.status);
    EXPECT_EQ(0u, readTga(dir.path("re.tga")).elevation(0, 6));
    EXPECT_EQ(112u, readTga(dir.path("re.tga")).elevation(0, 7));

    // The same bytes as the core function with the same answers.
    Env e;
    e.platform.answers = {MsgAnswer::Yes};
    ASSERT_EQ(ToolStatus::Done, DemImport(dir.path("in.dem"), dir.path("core.tga"), e.env).status);
    EXPECT_TRUE(TempDir::read(dir.path("core.tga")) == TempDir::read(dir.path("re.tga")));
}

TEST(ToolsCli, DemImportFailures) {
    TempDir dir;
    CliRun missing = cli({"dem-import", dir.path("none.dem"), dir.path("out.tga")}, dir);
    EXPECT_EQ(1, missing.status);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_TRUE(contains(missing.err, "Cannot open file '" + dir.path("none.dem") + "'."));

    SynthHeader h;
    h.columns = 3;
    std::string dem =
        makeDem(h, {SynthProfile{1, {1}}, SynthProfile{2, {2}}, SynthProfile{3, {3}}}, DemLayout::Records);
    TempDir::write(dir.path("short.dem"), dem.substr(0, 3 * 1024));
    CliRun early = cli({"dem-import", dir.path("short.dem"), dir.path("out.tga")}, dir);
    EXPECT_EQ(1, early.status);
    EXPECT_TRUE(contains(early.err, "Only 2 of 3 profiles were read"));
    EXPECT_TRUE(contains(early.out, "Total of non-zero elevations: 2\n"));
    EXPECT_EQ(2u, readTga(dir.path("out.tga")).elevation(1, 5)); // what was read is written
}

TEST(ToolsCli, PixelToolsMatchTheCore) {
    TempDir dir;
    const std::string in = dir.path("in.tga");
    Picture picture = varied(23, 17);
    picture.set(3, 3, bgr(0, 0, 90));
    picture.set(15, 3, bgr(0, 0, 30));
    writeTga(in, picture);
    Picture palette(100, 1);
    for (int x = 0; x < 100; ++x) palette.set(x, 0, bgr(x, 2 * x, 255 - x));
    writeTga(dir.path("pal.tga"), palette);
    Picture kernel(3, 2);
    for (int i = 0; i < 3; ++i) kernel.set(i, 0, bgr(129 + i, 128, 126));
    kernel.set(1, 1, bgr(140, 131, 200));
    writeTga(dir.path("kernel.tga"), kernel);
    writeTga(dir.path("second.tga"), varied(20, 20));

    expectSameOutput(
        dir, {"elev-to-gray", in, "--factor", "0.0001"},
        [&](const std::string& to, const ToolEnv& env) { return ElevationToGray(in, to, 0.0001, env); });
    expectSameOutput(dir, {"gray-to-elev", in},
                     [&](const std::string& to, const ToolEnv& env) { return GrayToElevation(in, to, env); });
    expectSameOutput(dir, {"elev-to-color", in, "--palette", dir.path("pal.tga")},
                     [&](const std::string& to, const ToolEnv& env) {
                         return ElevationToColor(in, to, dir.path("pal.tga"), env);
                     });
    expectSameOutput(dir, {"eliminate-red", in},
                     [&](const std::string& to, const ToolEnv& env) { return EliminateRed(in, to, env); });
    expectSameOutput(dir, {"interpolate", in}, [&](const std::string& to, const ToolEnv& env) {
        return SurfaceInterpolation(in, to, env);
    });
    expectSameOutput(dir, {"convolve", in, "--kernel=" + dir.path("kernel.tga")},
                     [&](const std::string& to, const ToolEnv& env) {
                         return Convolve(in, to, dir.path("kernel.tga"), env);
                     });
    expectSameOutput(dir,
                     {"merge", in, "--with", dir.path("second.tga"), "--mode", "multiply", "--bias1", "-3.5",
                      "--bias2", "20"},
                     [&](const std::string& to, const ToolEnv& env) {
                         return Merge(in, to, dir.path("second.tga"), MergeMode::Multiply, -3.5, 20, env);
                     });
    expectSameOutput(dir, {"merge", in, "--with", dir.path("second.tga")},
                     [&](const std::string& to, const ToolEnv& env) {
                         return Merge(in, to, dir.path("second.tga"), MergeMode::Add, 1.0, 1.0, env);
                     });
}

TEST(ToolsCli, MaskResampleRectifyMatchTheCoreAndReportFailures) {
    TempDir dir;
    const std::string in = dir.path("in.tga");
    writeTga(in, varied(16, 12));
    Picture mask = varied(16, 12);
    mask.set(0, 0, bgr(0, 0, 0));
    mask.set(1, 0, bgr(1, 0, 0));
    mask.set(2, 0, bgr(2, 0, 0));
    writeTga(dir.path("mask.tga"), mask);
    expectSameOutput(dir, {"mask", in, "--mask", dir.path("mask.tga")},
                     [&](const std::string& to, const ToolEnv& env) {
                         return MaskFile(in, to, dir.path("mask.tga"), env);
                     });
    for (int factor : {2, 3, 4})
        expectSameOutput(
            dir, {"resample", in, "--factor", std::to_string(factor)},
            [&](const std::string& to, const ToolEnv& env) { return Resample(in, to, factor, env); });
    RectifyCorners c;
    const double dst[8] = {0, 0, 16, 0, 16, 12, 0, 12}, src[8] = {1, 0.5, 15, 1, 16.5, 11, -1, 12};
    for (int i = 0; i < 4; ++i) {
        c.x[i] = dst[2 * i];
        c.y[i] = dst[2 * i + 1];
        c.xs[i] = src[2 * i];
        c.ys[i] = src[2 * i + 1];
    }
    expectSameOutput(dir,
                     {"rectify", in, "--src", "1,0.5,15,1,16.5,11,-1,12", "--dst", "0,0,16,0,16,12,0,12"},
                     [&](const std::string& to, const ToolEnv& env) { return Rectify(in, to, c, env); });

    writeTga(dir.path("small.tga"), Picture(3, 3));
    CliRun mismatch = cli({"mask", in, dir.path("m.tga"), "--mask", dir.path("small.tga")}, dir);
    EXPECT_EQ(1, mismatch.status);
    EXPECT_EQ("Mask file and target file are not the same size.\n", mismatch.err);
    EXPECT_FALSE(exists(dir.path("m.tga")));

    CliRun tooSmall = cli({"resample", dir.path("small.tga"), dir.path("r.tga"), "--factor", "4"}, dir);
    EXPECT_EQ(1, tooSmall.status);
    EXPECT_TRUE(contains(tooSmall.err, "smaller than one block"));
    EXPECT_FALSE(exists(dir.path("r.tga")));

    const std::string zeros = "0,0,0,0,0,0,0,0";
    CliRun degenerate = cli({"rectify", in, dir.path("d.tga"), "--src", zeros, "--dst", zeros}, dir);
    EXPECT_EQ(1, degenerate.status);
    EXPECT_TRUE(contains(degenerate.err, "The equation has an indefinite solution for x."));
    EXPECT_FALSE(contains(degenerate.err, "for y."));
    EXPECT_FALSE(exists(dir.path("d.tga")));
    CliRun forced = cli({"rectify", in, dir.path("d.tga"), "--src", zeros, "--dst", zeros, "--force"}, dir);
    EXPECT_EQ(0, forced.status);
    EXPECT_TRUE(contains(forced.err, "The equation has an indefinite solution for y."));
    EXPECT_TRUE(exists(dir.path("d.tga")));

    CliRun missing = cli({"gray-to-elev", dir.path("none.tga"), dir.path("g.tga")}, dir);
    EXPECT_EQ(1, missing.status);
    EXPECT_TRUE(contains(missing.err, "none.tga"));
}

TEST(ToolsCli, SaturationOnStdoutAndYuvOutput) {
    TempDir dir;
    Picture in(4, 2);
    in.setElevation(1, 1, 3000);
    writeTga(dir.path("in.tga"), in);
    CliRun r = cli({"elev-to-gray", dir.path("in.tga"), dir.path("out.YUV"), "--factor", "0.1"}, dir);
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("One or more values are saturated in the output file.\nMaximum elevation: 300.00\n", r.out);
    EXPECT_EQ(4u * 2 + 2 * 2 * 1, TempDir::read(dir.path("out.YUV")).size());
    EXPECT_FALSE(exists(dir.path("out.tga")));
}

TEST(ToolsCli, CtrlCStopsWithoutWriting) {
    TempDir dir;
    SynthHeader h;
    h.columns = 3000;
    std::string dem = demHeaderRecord(h);
    // Each column holds a jump that is reported on stderr: 3000 reports are more than the pipe holds, so the
    // import cannot end before the signal sent at the first one.
    std::vector<int> elevations(1200, 7);
    elevations[1] = 600;
    const std::vector<std::string> records = demProfileRecords(SynthProfile{1, elevations});
    for (int c = 1; c <= h.columns; ++c)
        for (size_t k = 0; k < records.size(); ++k) {
            std::string record = records[k];
            if (k == 0) record.replace(6, 6, i6(c)); // the column id
            dem += record;
        }
    TempDir::write(dir.path("big.dem"), dem);
    CliRun r =
        cli({"dem-import", dir.path("big.dem"), dir.path("out.tga")}, dir, "Suspicious elevation value");
    EXPECT_EQ(130, r.status);
    EXPECT_FALSE(exists(dir.path("out.tga")));
    EXPECT_TRUE(contains(r.out, "Total of non-zero elevations: ")); // the count of what was read
}

TEST(ToolsCli, AnOutputThatIsAnInputIsRefused) {
    TempDir dir;
    writeTga(dir.path("in.tga"), varied(8, 8));
    writeTga(dir.path("kernel.tga"), varied(3, 3));
    const std::string in = TempDir::read(dir.path("in.tga")), kernel = TempDir::read(dir.path("kernel.tga"));
    symlink(dir.path("kernel.tga").c_str(), dir.path("link.tga").c_str());
    for (const std::string& out : {dir.path("in.tga"), dir.path("link.tga")}) {
        CliRun r = cli({"convolve", dir.path("in.tga"), out, "--kernel", dir.path("kernel.tga")}, dir);
        EXPECT_EQ(1, r.status);
        const std::string input = out == dir.path("in.tga") ? out : dir.path("kernel.tga");
        EXPECT_EQ(r.err, "The output file\n'" + out + "'\nwould replace the input file\n'" + input +
                             "'.\nNothing was written.\n");
    }
    EXPECT_EQ(in, TempDir::read(dir.path("in.tga")));
    EXPECT_EQ(kernel, TempDir::read(dir.path("kernel.tga")));
}

TEST(ToolsCli, DemHeadersWithoutColumnsOrWithAbsurdElevationsAreRefused) {
    TempDir dir;
    SynthHeader none;
    none.columns = 0;
    SynthHeader deep;
    deep.minElevation = -1e99;
    SynthHeader high;
    high.maxElevation = 1e7;
    for (const SynthHeader& h : {none, deep, high}) {
        TempDir::write(dir.path("in.dem"), makeDem(h, {SynthProfile{1, {-5}}}, DemLayout::Records));
        CliRun r = cli({"dem-import", dir.path("in.dem"), dir.path("out.tga"), "--recalibrate"}, dir);
        EXPECT_EQ(1, r.status);
        EXPECT_EQ(r.err, "The header of the DEM file '" + dir.path("in.dem") +
                             "' declares no columns of profiles, or a minimum or maximum elevation outside "
                             "-99999 ... 999999.\nNothing was converted.\n");
        EXPECT_FALSE(exists(dir.path("out.tga")));
    }
}
