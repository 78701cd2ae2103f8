#include "RunTestSupport.h"
#include "app/ProcessTag.h"
#include "app/Settings.h"
#include "image/TGAFile.h"
#include "render/FlightRecorder.h"
#include "res/StringTable.h"
#include "scene/ProfileFile.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every test makes its job files in its own temporary folder so that leftovers can be counted.
class RenderRunTest : public ::testing::Test, public RunSetup<> {
protected:
    RunResult run(const CSceneParams& scene, RenderMode mode = RenderMode::Final, char separator = '.') {
        auto job = makeJob(scene);
        if (!job) return {};
        EXPECT_EQ(jobFilesLeft(), 1);
        RunOptions options;
        options.mode = mode;
        options.decimalSeparator = separator;
        return runJob(*job, options);
    }
};

} // namespace

TEST_F(RenderRunTest, CompletedRunWritesEveryFrameAndDeletesTheJob) {
    CSceneParams s = hillScene(out, 3);
    s.Offset = 10;
    RunResult r = run(s);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_FALSE(r.closeWindow);
    EXPECT_EQ(r.framesDrawn, 3);
    EXPECT_EQ(observer.planned, 3);
    EXPECT_EQ(observer.started, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(r.written.size(), 3u);
    EXPECT_EQ(r.written[0], out.path("frame010.tga"));
    EXPECT_EQ(r.written[2], out.path("frame012.tga"));
    EXPECT_EQ(observer.written, r.written);
    EXPECT_EQ(observer.ended, 1);
    EXPECT_EQ(jobFilesLeft(), 0);
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_FALSE(picture.isModified());
    EXPECT_FALSE(picture.isBusy());
    EXPECT_EQ(picture.GetWidth(), 32);
    EXPECT_EQ(picture.GetHeight(), 24);
    EXPECT_EQ(TempDir::read(r.written[0]).size(), 18u + 32 * 24 * 3);
    // The terrain was drawn: the frame is not a plain fill.
    const std::string bytes = TempDir::read(r.written[1]);
    EXPECT_NE(bytes.find_first_not_of(bytes[18], 18), std::string::npos);
    EXPECT_FALSE(fs::exists(out.path("OVRECORD.XLS")));
}

TEST_F(RenderRunTest, OutputFormatsTgaYuvAndBoth) {
    CSceneParams s = hillScene(out, 1);
    s.OutputFileFormat = 1;
    RunResult r = run(s);
    ASSERT_EQ(r.written.size(), 1u);
    EXPECT_EQ(r.written[0], out.path("frame000.yuv"));
    EXPECT_EQ(TempDir::read(r.written[0]).size(), 32u * 24 * 3 / 2);
    EXPECT_FALSE(fs::exists(out.path("frame000.tga")));
    s.OutputFileFormat = 2;
    r = run(s);
    EXPECT_EQ(r.written, (std::vector<std::string>{out.path("frame000.tga"), out.path("frame000.yuv")}));
}

TEST_F(RenderRunTest, StopDuringAFrameLeavesItUnwrittenAndClosesTheWindow) {
    CSceneParams s = hillScene(out, 4);
    progress.stopAfterPumps = 50; // during the first frame's cells
    RunResult r = run(s);
    EXPECT_EQ(r.outcome, RunOutcome::Stopped);
    EXPECT_TRUE(r.closeWindow);
    EXPECT_EQ(r.framesDrawn, 1);
    EXPECT_TRUE(r.written.empty());
    EXPECT_FALSE(fs::exists(out.path("frame000.tga")));
    EXPECT_EQ(jobFilesLeft(), 0);
}

TEST_F(RenderRunTest, SetUpFailuresEndTheRunWithTheirMessagesAndNoJobFile) {
    {
        SCOPED_TRACE("mask missing");
        CSceneParams s = hillScene(out, 2);
        s.UseMaskFile = 1;
        s.MaskFileName = out.path("nomask.tga");
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_FALSE(r.closeWindow);
        EXPECT_EQ(r.framesDrawn, 0);
        ASSERT_FALSE(platform.shown.empty());
        // One message, the loader's, which says what went wrong (here: the file cannot be opened).
        EXPECT_EQ(platform.texts(),
                  std::vector<std::string>{"Couldn't open TGA file\n'" + s.MaskFileName + "'.\nRetry?"});
        EXPECT_EQ(platform.shown.back().icon, MsgIcon::Stop);
        EXPECT_EQ(jobFilesLeft(), 0);
    }
    {
        SCOPED_TRACE("mask of the wrong size");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 2);
        writeTga(out.path("mask.tga"), 31, 24, [](int, int) { return 0u; });
        s.UseMaskFile = 1;
        s.MaskFileName = out.path("mask.tga");
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_TRUE(r.closeWindow);
        ASSERT_EQ(platform.texts(),
                  std::vector<std::string>{
                      "Mask file and target file are not the same size.\n\nChoose another mask."});
        EXPECT_EQ(jobFilesLeft(), 0);
    }
    {
        SCOPED_TRACE("elevation missing");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 2);
        s.ElevationFileName = out.path("gone.tga");
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_EQ(r.framesDrawn, 0);
        EXPECT_FALSE(platform.shown.empty()); // the loader's own message
        EXPECT_EQ(jobFilesLeft(), 0);
    }
    {
        SCOPED_TRACE("texture missing");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 2);
        s.UseTextureFile = 1;
        s.TextureFileName = out.path("gone.tga");
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_FALSE(platform.shown.empty());
        EXPECT_EQ(jobFilesLeft(), 0);
    }
    {
        SCOPED_TRACE("curve with two points");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 10);
        s.PathType = 1;
        s.SetPathPoint(0, 5, 5);
        s.SetPathPoint(1, 20, 20);
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_EQ(r.framesDrawn, 0);
        EXPECT_EQ(platform.texts(),
                  std::vector<std::string>{"A curved flight path needs at least three points."});
        EXPECT_EQ(jobFilesLeft(), 0);
    }
    EXPECT_EQ(observer.ended, 5);
    EXPECT_FALSE(fs::exists(out.path("frame000.tga")));
    {
        SCOPED_TRACE("mask that is not a TGA file");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 2);
        TempDir::write(out.path("mask.tga"), "not an image");
        s.UseMaskFile = 1;
        s.MaskFileName = out.path("mask.tga");
        EXPECT_EQ(run(s).outcome, RunOutcome::Failed);
        ASSERT_EQ(platform.texts(),
                  std::vector<std::string>{"Cannot open file '" + s.MaskFileName +
                                           "'.\nThe file is truncated: it holds 12 bytes, less "
                                           "than the 18 bytes of a TGA header."});
        EXPECT_EQ(platform.shown.back().icon, MsgIcon::Stop);
    }
    {
        SCOPED_TRACE("supersampling edited into the job by hand");
        platform.shown.clear();
        CSceneParams s = hillScene(out, 1);
        s.Supersampling = 5;
        EXPECT_EQ(run(s).outcome, RunOutcome::Failed);
        EXPECT_EQ(platform.texts(), std::vector<std::string>{"Supersampling has to be between 1 and 4."});
        // A mask fits the frames, not the larger picture they are rendered in.
        platform.shown.clear();
        s.Supersampling = 2;
        writeTga(out.path("mask.tga"), 32, 24, [](int, int) { return 0u; });
        s.UseMaskFile = 1;
        s.MaskFileName = out.path("mask.tga");
        EXPECT_EQ(run(s).outcome, RunOutcome::Completed);
        EXPECT_TRUE(platform.shown.empty());
    }
}

TEST_F(RenderRunTest, JobWithACameraThatIsNotFiniteFailsWithAMessage) {
    for (double bad : {std::nan(""), HUGE_VAL}) {
        platform.shown.clear();
        CSceneParams s = hillScene(out, 2);
        s.YA = bad;
        RunResult r = run(s);
        EXPECT_EQ(r.outcome, RunOutcome::Failed);
        EXPECT_EQ(r.framesDrawn, 0);
        EXPECT_EQ(platform.texts(), std::vector<std::string>{"The render job's value YA is not a number."});
        EXPECT_EQ(jobFilesLeft(), 0);
    }
}

TEST_F(RenderRunTest, MaskIsAppliedToWrittenFrames) {
    CSceneParams s = hillScene(out, 1);
    // Reference pixels: (0,0) transparent black, (1,0) brighter, (2,0) darker; everything else opaque green.
    writeTga(out.path("mask.tga"), 32, 24, [](int x, int y) -> uint32_t {
        if (y == 0 && x == 0) return 0x000000;
        if (y == 0 && x == 1) return 0x010101;
        if (y == 0 && x == 2) return 0x020202;
        return x < 16 ? 0x000000 : 0x00FF00;
    });
    s.UseMaskFile = 1;
    s.MaskFileName = out.path("mask.tga");
    RunResult r = run(s);
    ASSERT_EQ(r.written.size(), 1u);
    const std::string bytes = TempDir::read(r.written[0]);
    const size_t rightPixel = 18 + (10 * 32 + 20) * 3;
    EXPECT_EQ(static_cast<uint8_t>(bytes[rightPixel + 0]), 0x00);
    EXPECT_EQ(static_cast<uint8_t>(bytes[rightPixel + 1]), 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(bytes[rightPixel + 2]), 0x00);
}

TEST_F(RenderRunTest, BackgroundIsTheChosenColourOrTheLightGrey) {
    // Looking up into the sky: the frame is all background.
    CSceneParams s = hillScene(out, 1);
    s.PitchA = s.PitchE = 60;
    s.UseBackgroundColor = 1;
    s.BackgroundColor = 0x0000FF; // pure red
    RunResult r = run(s);
    ASSERT_EQ(r.written.size(), 1u);
    std::string bytes = TempDir::read(r.written[0]);
    EXPECT_EQ(bytes.substr(18, 6), std::string("\x00\x00\xFF\x00\x00\xFF", 6));

    s.UseBackgroundColor = 0;
    s.LightX = 0, s.LightY = 0, s.LightZ = 1; // straight up: grey 255
    r = run(s);
    bytes = TempDir::read(r.written[0]);
    EXPECT_EQ(bytes.substr(18, 3), std::string("\xFF\xFF\xFF", 3));
    s.LightX = 1, s.LightY = 1, s.LightZ = -1; // |z| = 0.57735: grey 147
    r = run(s);
    bytes = TempDir::read(r.written[0]);
    EXPECT_EQ(bytes.substr(18, 3), std::string("\x93\x93\x93", 3));
}

TEST_F(RenderRunTest, RecorderWritesRowsForDrawnFramesOnlyAlsoInPreview) {
    CSceneParams s = hillScene(out, 10);
    s.From = 2;
    s.To = 4;
    s.UseRecorder = 1;
    RunResult r = run(s, RenderMode::Preview, ',');
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.framesDrawn, 3);
    EXPECT_TRUE(r.written.empty()); // Preview writes no frames
    EXPECT_FALSE(fs::exists(out.path("frame002.tga")));
    const std::string text = TempDir::read(out.path("OVRECORD.XLS"));
    EXPECT_EQ(text.rfind("Pos.x\tPos.y\tAltitude\tRel. Alt.\tPitch\tRoll\tCurvature\r\n", 0), 0u);
    int rows = 0;
    for (size_t p = text.find("\r\n"); (p = text.find("\r\n", p + 2)) != std::string::npos;) ++rows;
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(text.find('.', 60), std::string::npos); // rows use the comma
    EXPECT_NE(text.find(','), std::string::npos);

    // A curved flight: the warm-up writes nothing; frames 0 ... 7 of Total 9 over three From/To frames.
    s.PathType = 1;
    s.Total = 9;
    s.From = 5;
    s.To = 8;
    s.AverageHeight = 30;
    s.PreviewRange = 3;
    s.SetPathPoint(0, 5, 5);
    s.SetPathPoint(1, 25, 8);
    s.SetPathPoint(2, 20, 28);
    r = run(s, RenderMode::Preview, '.');
    EXPECT_EQ(r.framesDrawn, 3);
    EXPECT_EQ(observer.planned, 3);
    const std::string curved = TempDir::read(out.path("OVRECORD.XLS"));
    int curvedRows = 0;
    for (size_t p = curved.find("\r\n"); (p = curved.find("\r\n", p + 2)) != std::string::npos;) ++curvedRows;
    EXPECT_EQ(curvedRows, 3); // the second run replaced the first file
}

TEST_F(RenderRunTest, PreviewGridAndWireModel) {
    EXPECT_DOUBLE_EQ(PreviewGridDivision(300), 25.0);
    EXPECT_DOUBLE_EQ(PreviewGridDivision(100), 10.0);
    EXPECT_DOUBLE_EQ(PreviewGridDivision(5), 0.5);
    WireModel half(33, 33, 0.5, 0.5);
    EXPECT_EQ(half.nodeCount(), 1u); // a cell twice the extent: one node at 0
    WireModel ten(33, 33, 10, 10);
    EXPECT_EQ(ten.nodeCount(), 121u);
    EXPECT_EQ(ten.nodePoints()[6 * 12 + 1], Vector4::Point(3.3 + 0.33, 3.3, 0));

    CSceneParams s = hillScene(out, 2);
    s.GridX = s.GridY = 100;
    RunResult r = run(s, RenderMode::Preview);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    ASSERT_EQ(observer.wires.size(), 2u);
    int stalks = 0;
    for (const WireSegment& w : observer.wires[0]) {
        if (w.kind == WireSegment::Stalk) ++stalks;
        EXPECT_GT(w.x0, -16384);
        EXPECT_LT(w.x0, 16384);
    }
    EXPECT_GT(stalks, 0);
    EXPECT_LE(observer.wires[0].size(), 121u * 3);
    // The picture stays white.
    EXPECT_EQ(picture.GetPixel(5, 5), (Bgr{255, 255, 255}));
    EXPECT_EQ(jobFilesLeft(), 0);
}

TEST_F(RenderRunTest, JobFileHoldsTheSceneAndExactlyItsPoints) {
    CSceneParams s = hillScene(out, 5);
    for (int i = 0; i < 5; ++i) s.SetPathPoint(i, i * 10, i);
    ASSERT_TRUE(s.SaveScript(out.path("scene.ovs")).ok());
    s.ClearPathPoints();
    for (int i = 0; i < 3; ++i) s.SetPathPoint(i, i * 7, i);
    s.FocalLengthA = 123.5;
    {
        auto job = JobFile::Create(s, out.path("scene.ovs"));
        ASSERT_TRUE(job);
        EXPECT_EQ(fs::path(job->path()).parent_path(), fs::path(tmp.path()));
        EXPECT_EQ(fs::path(job->path()).filename().string().rfind("ORVA", 0), 0u);
        ProfileFile p(job->path());
        EXPECT_EQ(p.ReadString("BrennA"), "123.500000");
        EXPECT_EQ(p.ReadInt("KannBerechnen"), 1);
        EXPECT_EQ(p.ReadString("Punkt02"), "14,2");
        EXPECT_FALSE(p.HasKey("Punkt03"));
        EXPECT_FALSE(p.HasKey("Punkt04"));
        // The scene file's key order is kept.
        const std::string text = TempDir::read(job->path());
        EXPECT_LT(text.find("BeobXA="), text.find("BrennA="));
        EXPECT_LT(text.find("Rundflug="), text.find("Recorder="));
    }
    EXPECT_EQ(jobFilesLeft(), 0);
    // A scene never saved gets a job too.
    auto fresh = JobFile::Create(s, "");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(ProfileFile(fresh->path()).ReadString("BrennA"), "123.500000");
}

// A run killed outright (SIGKILL) leaves its job file; the next process's first job removes it, but not the
// job of a process that still runs, nor files of other names.
TEST_F(RenderRunTest, JobFilesOfKilledRunsAreRemovedByTheNextProcess) {
    const std::string host = ThisHostTag();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string orphan = "ORVA" + std::to_string(child) + "." + host + ".a1B2c3";
    const std::string running = "ORVA" + std::to_string(::getppid()) + "." + host + ".d4E5f6";
    for (const std::string& name : {orphan, running, std::string("ORVAold123")})
        TempDir::write(tmp.path(name), "[Param]\r\n");
    ASSERT_TRUE(makeJob(hillScene(out, 1)));
    EXPECT_FALSE(std::filesystem::exists(tmp.path(orphan)));
    EXPECT_TRUE(std::filesystem::exists(tmp.path(running)));
    EXPECT_TRUE(std::filesystem::exists(tmp.path("ORVAold123")));
}

TEST_F(RenderRunTest, AnInputFileChangedDuringTheRunEndsItBeforeTheNextFrameIsWritten) {
    // (A texture whose rows need no padding is mapped from its file rather than read.)
    CSceneParams s = hillScene(out, 3);
    s.UseTextureFile = 1;
    s.TextureFileName = out.path("texture.tga");
    writeTga(s.TextureFileName, 32, 32, [](int x, int y) { return 0x304050u + 3u * x + 0x500u * y; });
    struct Rewriter : RecordingObserver {
        std::string texture;
        void frameWritten(const std::string& path) override {
            RecordingObserver::frameWritten(path);
            if (written.size() == 1) TempDir::write(texture, TempDir::read(texture) + "more");
        }
    } watcher;
    watcher.texture = s.TextureFileName;
    const RunResult r = runScene(s, RunOptions{}, &watcher);
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
    EXPECT_EQ(watcher.written, (std::vector<std::string>{out.path("frame000.tga")}));
    EXPECT_FALSE(fs::exists(out.path("frame001.tga")));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_NE(platform.shown[0].text.find(s.TextureFileName), std::string::npos);
    EXPECT_EQ(jobFilesLeft(), 0);
}
