#include "scene/SceneParams.h"

#include "RenderCliSupport.h"
#include "support/TempDir.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A 33 x 33 hill, stored beside the scene.
void writeHill(const std::string& path) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = bytes[14] = 33;
    bytes[16] = 24;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 33; ++x) {
            const int h = std::max(0, 400 - ((x - 16) * (x - 16) + (y - 16) * (y - 16)));
            bytes += static_cast<char>(h & 0xFF);
            bytes += static_cast<char>(h >> 8);
            bytes += '\0';
        }
    TempDir::write(path, bytes);
}

// A straight fly-over of `frames` frames with relative file names.
std::string writeScene(const TempDir& dir, int frames, int grid = 32, int width = 48, int height = 32) {
    writeHill(dir.path("hill.tga"));
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = "hill.tga";
    s.OutputFileName = "shot%02d.tga";
    s.SizeX = width;
    s.SizeY = height;
    s.Total = frames;
    s.To = frames - 1;
    s.XA = -20, s.YA = -20, s.ZA = 80;
    s.XE = -10, s.YE = -15, s.ZE = 70;
    s.HeadingA = s.HeadingE = 45;
    s.PitchA = s.PitchE = -25;
    s.FocalLengthA = s.FocalLengthE = 40;
    s.GridX = s.GridY = grid;
    s.UseRecorder = 1;
    const std::string path = dir.path("scene.ovs");
    EXPECT_TRUE(s.WriteJobValues(path));
    return path;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

int jobFilesIn(const TempDir& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind("ORVA", 0) == 0) ++n;
    return n;
}

} // namespace

TEST(CliRender, WritesTheFramesIntoTheOutputFolderAndTheSameBytesTwice) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 3);
    CliRun r = runRender({"render", scene, "--output-dir", dir.path("out"), "--quiet"}, tmp);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{dir.path("out/shot00.tga"), dir.path("out/shot01.tga"),
                                                      dir.path("out/shot02.tga")}));
    EXPECT_EQ(TempDir::read(dir.path("out/shot00.tga")).size(), 18u + 48 * 32 * 3);
    // The recorder file goes with the frames: a header and three rows.
    EXPECT_EQ(lines(TempDir::read(dir.path("out/OVRECORD.XLS"))).size(), 4u);
    EXPECT_EQ(jobFilesIn(tmp), 0);

    // Rendering again gives identical files; by default they go beside the scene.
    CliRun again = runRender({"render", scene, "--mode", "final"}, tmp);
    ASSERT_EQ(again.status, 0) << again.err;
    for (const char* f : {"shot00.tga", "shot01.tga", "shot02.tga"})
        EXPECT_EQ(TempDir::read(dir.path(f)), TempDir::read(dir.path(std::string("out/") + f))) << f;

    // Raw draws fewer cells, so its frame differs from the final one.
    CliRun raw = runRender(
        {"render", scene, "--mode=raw", "--from", "1", "--to", "1", "--output-dir", dir.path("raw")}, tmp);
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(lines(raw.out), std::vector<std::string>{dir.path("raw/shot01.tga")});
    EXPECT_NE(TempDir::read(dir.path("raw/shot01.tga")), TempDir::read(dir.path("shot01.tga")));
}

TEST(CliRender, BadUsageAndFailedChecks) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 3);
    EXPECT_EQ(runRender({"render", scene, "--mode", "preview"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--from", "x"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--bogus"}, tmp).status, 2);
    for (const char* jobs : {"0", "x", "-2", "257"})
        EXPECT_EQ(runRender({"render", scene, "--jobs", jobs}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--jobs"}, tmp).status, 2);
    for (const char* k : {"0", "5", "2x"})
        EXPECT_EQ(runRender({"render", scene, "--supersample", k}, tmp).status, 2);

    // --to is checked like the scene's own value.
    CliRun late = runRender({"render", scene, "--to", "3"}, tmp);
    EXPECT_EQ(late.status, 1);
    EXPECT_EQ(late.err, "The last frame number has to be less than the total frame count.\n");
    CliRun order = runRender({"render", scene, "--from", "2", "--to", "1"}, tmp);
    EXPECT_EQ(order.err, "Last frame number has to be greater than or equal first frame number.\n");

    CliRun missing = runRender({"render", dir.path("none.ovs")}, tmp);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Cannot open file '" + dir.path("none.ovs") + "'.\n");
    EXPECT_FALSE(fs::exists(dir.path("shot00.tga")));
    EXPECT_EQ(jobFilesIn(tmp), 0);
}

TEST(CliRender, SupersampleOverridesTheScenesFactorEitherWay) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 1);
    CSceneParams s;
    ASSERT_TRUE(s.LoadScript(scene));
    s.Supersampling = 3;
    ASSERT_TRUE(s.WriteJobValues(dir.path("k3.ovs")));
    auto frame = [&](const std::string& file, std::vector<std::string> options, const std::string& folder) {
        std::vector<std::string> args{"render", file, "--quiet", "--output-dir", dir.path(folder)};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun r = runRender(args, tmp);
        EXPECT_EQ(r.status, 0) << r.err;
        return TempDir::read(dir.path(folder + "/shot00.tga"));
    };
    const std::string plain = frame(scene, {}, "plain");
    const std::string three = frame(dir.path("k3.ovs"), {}, "three");
    EXPECT_EQ(three.size(), plain.size()); // the output size stays
    EXPECT_NE(three, plain);
    EXPECT_EQ(frame(scene, {"--supersample", "3"}, "up"), three);
    EXPECT_EQ(frame(dir.path("k3.ovs"), {"--supersample", "1"}, "down"), plain);
}

TEST(CliRender, CtrlCLeavesTheFrameInProgressUnwrittenAndNoJobFile) {
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(std::string("--jobs ") + jobs);
        TempDir dir, tmp;
        // Far more frames than their names fill the output pipe: the run cannot end before the signal.
        const int total = 4000;
        const std::string scene = writeScene(dir, total, 100, 320, 240);
        CliRun r = runRender({"render", scene, "--quiet", "--jobs", jobs}, tmp, {SIGINT});
        EXPECT_EQ(r.status, 130) << r.err;
        const std::vector<std::string> written = lines(r.out);
        ASSERT_GE(written.size(), 1u);
        ASSERT_LT(written.size(), static_cast<size_t>(total));
        // Exactly the printed frames exist, the first ones in order; the one that was in progress does not.
        int frames = 0;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.path().filename().string().rfind("shot", 0) == 0) ++frames;
        EXPECT_EQ(frames, static_cast<int>(written.size()));
        for (size_t i = 0; i < written.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "shot%02zu.tga", i);
            EXPECT_EQ(written[i], dir.path(name));
        }
        EXPECT_EQ(TempDir::read(written.back()).size(), 18u + 320 * 240 * 3);
        // The recorder file was closed with one row per drawn frame at most.
        EXPECT_LE(lines(TempDir::read(dir.path("OVRECORD.XLS"))).size(), written.size() + 2);
        EXPECT_EQ(jobFilesIn(tmp), 0);
    }
}

// A scheduler's SIGTERM, a lost terminal's SIGHUP, a reader that goes away (`render ... | head -1`) and a
// second Ctrl+C during the clean-up all end the run the way one Ctrl+C does: exit 128 + the signal, only
// complete frames, no temporary file and no job file left.
TEST(CliRender, EveryStopCleansUp) {
    const struct {
        const char* name;
        StopAfterFirstLine stop;
        int status;
    } stops[] = {{"SIGTERM", {SIGTERM}, 143},
                 {"SIGHUP", {SIGHUP}, 129},
                 {"closed output", {0, 1, true}, 141},
                 {"Ctrl+C twice", {SIGINT, 2}, 130}};
    for (const auto& s : stops) {
        SCOPED_TRACE(s.name);
        TempDir dir, tmp;
        const std::string scene = writeScene(dir, 4000, 100, 160, 120);
        CliRun r = runRender({"render", scene, "--quiet", "--jobs", "2"}, tmp, s.stop);
        EXPECT_EQ(r.status, s.status) << r.err;
        int frames = 0;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name == "scene.ovs" || name == "hill.tga" || name == "OVRECORD.XLS") continue;
            EXPECT_EQ(name.rfind("shot", 0), 0u) << name << " was left behind";
            EXPECT_EQ(fs::file_size(e.path()), 18u + 160 * 120 * 3) << name;
            ++frames;
        }
        EXPECT_GE(frames, 1);
        EXPECT_LT(frames, 4000);
        EXPECT_EQ(jobFilesIn(tmp), 0);
    }
}

TEST(CliRender, ARecorderFileThatCannotBeWrittenFailsTheRunAndKeepsThePreviousOne) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    TempDir dir, tmp;
    // The frames go beside the scene (absolute names); the recorder goes to the full disk.
    const std::string scene = writeScene(dir, 2);
    CSceneParams s;
    ASSERT_TRUE(s.LoadScript(scene));
    s.OutputFileName = dir.path("shot%02d.tga");
    ASSERT_TRUE(s.WriteJobValues(scene));
    const std::string recorder = folder.path("OVRECORD.XLS");
    ASSERT_TRUE(FaultFolder::write(recorder, "previous flight\r\n"));
    ASSERT_TRUE(folder.fill());

    // The child inherits this process's mounts, the small file system included.
    CliRun r = runRender({"render", scene, "--output-dir", folder.path(), "--quiet"}, tmp);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "Couldn't write the flight recorder file\n'" + recorder + "'.\n");
    EXPECT_EQ(lines(r.out).size(), 2u);
    EXPECT_EQ(FaultFolder::read(recorder), "previous flight\r\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"OVRECORD.XLS"});
}

TEST(CliRender, AnOutputThatWouldReplaceAnInputIsRefusedBeforeTheFirstFrame) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 3);
    const std::string hill = TempDir::read(dir.path("hill.tga"));
    const std::string sceneText = TempDir::read(scene);

    // Frame 1 of "hill%d.tga" is the elevation file (named beside the scene, the frames in the same folder).
    CSceneParams s;
    ASSERT_TRUE(s.LoadScript(scene));
    s.ElevationFileName = "hill1.tga";
    s.OutputFileName = "hill%d.tga";
    ASSERT_TRUE(s.WriteJobValues(scene));
    TempDir::write(dir.path("hill1.tga"), hill);
    CliRun elevation = runRender({"render", scene, "--quiet"}, tmp);
    EXPECT_EQ(elevation.status, 1);
    EXPECT_EQ(elevation.err, "The output file\n'" + dir.path("hill1.tga") +
                                 "'\nwould replace the input file\n'" + dir.path("hill1.tga") +
                                 "'.\nNothing was written.\n");
    EXPECT_EQ(TempDir::read(dir.path("hill1.tga")), hill);
    EXPECT_FALSE(fs::exists(dir.path("hill0.tga")));

    // The last frame's name in --output-dir is a link to the scene file itself.
    TempDir::write(scene, sceneText);
    fs::create_directory(dir.path("out"));
    fs::create_symlink(scene, dir.path("out/shot02.tga"));
    CliRun link = runRender({"render", scene, "--output-dir", dir.path("out"), "--quiet"}, tmp);
    EXPECT_EQ(link.status, 1);
    EXPECT_EQ(link.err, "The output file\n'" + dir.path("out/shot02.tga") +
                            "'\nwould replace the input file\n'" + scene + "'.\nNothing was written.\n");
    EXPECT_EQ(TempDir::read(scene), sceneText);
    EXPECT_FALSE(fs::exists(dir.path("out/shot00.tga")));
    EXPECT_FALSE(fs::exists(dir.path("out/OVRECORD.XLS")));
    EXPECT_EQ(jobFilesIn(tmp), 0);
}

TEST(CliRender, AFailedRunRemovesTheEmptyOutputFolderItMadeAndNamesMayNotLeaveIt) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 2);
    fs::remove(dir.path("hill.tga"));
    CliRun failed = runRender({"render", scene, "--output-dir", dir.path("new/out"), "--quiet"}, tmp);
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(fs::exists(dir.path("new")));

    writeHill(dir.path("hill.tga"));
    CSceneParams s;
    ASSERT_TRUE(s.LoadScript(scene));
    s.OutputFileName = "../shot%d.tga";
    ASSERT_TRUE(s.WriteJobValues(scene));
    CliRun up = runRender({"render", scene, "--output-dir", dir.path("out"), "--quiet"}, tmp);
    EXPECT_EQ(up.status, 1);
    EXPECT_EQ(up.err, "The output file name '../shot%d.tga' leads out of the output folder\n'" +
                          dir.path("out") + "'.\nNothing was written.\n");
    EXPECT_FALSE(fs::exists(dir.path("shot0.tga")));
    EXPECT_FALSE(fs::exists(dir.path("out")));
    EXPECT_EQ(jobFilesIn(tmp), 0);
}

TEST(CliRender, ProfileIsWrittenAfterTheFramesAndAProfileThatCannotBeWrittenFailsTheRun) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 3);
    CliRun r = runRender({"render", scene, "--quiet", "--profile", dir.path("flight.svg")}, tmp);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(lines(r.out).size(), 4u);
    EXPECT_EQ(lines(r.out).back(), dir.path("flight.svg"));
    const std::string svg = TempDir::read(dir.path("flight.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    for (const char* series : {"altitude", "ground", "relative", "pitch", "roll"})
        EXPECT_NE(svg.find(std::string("id=\"") + series + "\""), std::string::npos) << series;

    CliRun bad = runRender({"render", scene, "--quiet", "--profile", dir.path("no/such/folder/f.svg")}, tmp);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Couldn't write the flight profile"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(dir.path("no")));
    // A part holds only some of the frames: no profile of it.
    EXPECT_EQ(runRender({"render", scene, "--part", "0/2", "--profile", dir.path("part.svg")}, tmp).status,
              2);
    EXPECT_FALSE(fs::exists(dir.path("part.svg")));
}
