#include "scene/SceneParams.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sys/wait.h>

namespace {

struct RunResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr
};

RunResult runCli(const std::string& args, const TempDir& dir) {
    std::string errFile = dir.path("stderr.txt");
    std::string command = std::string("'") + ORVANTIS_CLI + "' " + args + " 2>'" + errFile + "'";
    RunResult r;
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = TempDir::read(errFile);
    return r;
}

// A valid new scene with its elevation file beside it, referenced relatively.
CSceneParams sceneBesideElevation(const TempDir& dir) {
    TempDir::write(dir.path("alps.tga"), "x");
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = "alps.tga";
    return s;
}

// Writes the scene without running the check (as a hand-edited or older file would be).
std::string writeScene(const CSceneParams& s, const TempDir& dir, const std::string& name = "scene.ovs") {
    std::string path = dir.path(name);
    EXPECT_TRUE(s.WriteJobValues(path));
    return "'" + path + "'";
}

} // namespace

TEST(CliCheck, ValidSceneIsOkWithNamesRelativeToTheSceneFolder) {
    TempDir dir;
    std::string scene = writeScene(sceneBesideElevation(dir), dir);
    // Run from another folder: alps.tga must be found beside the scene.
    RunResult r = runCli("check " + scene, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "OK\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliCheck, PrintsTheFirstFailedRulesMessage) {
    TempDir dir;
    struct Case {
        void (*change)(CSceneParams&);
        std::string message;
    } cases[] = {
        {[](CSceneParams& s) { s.PathType = 1, s.Total = 2, s.AverageHeight = s.PreviewRange = 1; },
         "Total frame count has to be greater than 2 in curved paths."},
        {[](CSceneParams& s) { s.LightX = 0, s.LightY = 0, s.LightZ = -0.0; },
         "Incident light vector has to contain at least one non-zero value in x, y or z."},
        {[](CSceneParams& s) { s.OutputFileName = "frame%4d.tga"; },
         "Output file name template has to contain a valid C/C++ number format string."},
        {[](CSceneParams& s) { s.OutputFileName = "frame%s%d.tga"; },
         "Output file name template has to contain a valid C/C++ number format string."},
        {[](CSceneParams& s) { s.OutputFileName = "frame%d_%03d.tga"; },
         "Output file name template has to contain a valid C/C++ number format string."},
        {[](CSceneParams& s) { s.Smoothness = 1.000001; }, "0.0 <= Smoothness <= 1.0"},
        {[](CSceneParams& s) { s.Total = 16385; }, "The fotal frame count cannot exceed 16384."},
        {[](CSceneParams& s) { s.ElevationFileName = "gone.tga"; }, "Cannot open file '@/gone.tga'."},
        // Written as "nan" and "inf", read back as such: the render would loop on them.
        {[](CSceneParams& s) { s.YA = std::nan(""); }, "Please enter a number."},
        {[](CSceneParams& s) {
             s.PathType = 1, s.Total = 3, s.AverageHeight = s.PreviewRange = 1;
             for (int i = 0; i < 5; ++i) s.SetPathPoint(i, 150, 150);
         },
         "The points of a curved flight path cannot all be at the same place."},
        {[](CSceneParams& s) { s.FocalLengthE = HUGE_VAL; },
         "Focal length in last frame has to be greater than zero."},
    };
    for (const Case& c : cases) {
        CSceneParams s = sceneBesideElevation(dir);
        c.change(s);
        RunResult r = runCli("check " + writeScene(s, dir), dir);
        std::string expected = c.message;
        if (size_t at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, dir.path());
        EXPECT_EQ(r.status, 1) << expected;
        EXPECT_EQ(r.err, expected + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliCheck, NonScenesAndBadUsage) {
    TempDir dir;
    TempDir::write(dir.path("text.ovs"), "[Param]\r\nBeobYA=1\r\n");
    RunResult r = runCli("check '" + dir.path("text.ovs") + "'", dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file '" + dir.path("text.ovs") + "'.\n");
    r = runCli("check '" + dir.path("missing.ovs") + "'", dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot open file '" + dir.path("missing.ovs") + "'.\n");
    r = runCli("check '" + dir.path() + "'", dir);
    EXPECT_EQ(r.status, 1);

    EXPECT_EQ(runCli("check", dir).status, 2);
    EXPECT_EQ(runCli("check a.ovs b.ovs", dir).status, 2);
    EXPECT_EQ(runCli("check --frobnicate a.ovs", dir).status, 2);
    r = runCli("check --help", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: orvantis-cli check SCENE.ovs\n", 0), 0u);
}
