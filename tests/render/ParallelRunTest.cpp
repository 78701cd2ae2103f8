// A run that renders several frames at once: the observer, the files, the messages and a stop behave as in
// a run that renders one frame after the other.

#include "RunTestSupport.h"
#include "app/Settings.h"
#include "image/TGAFile.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

namespace {

class ParallelRunTest : public ::testing::Test, public RunSetup<> {
protected:
    RunResult run(const CSceneParams& scene, int frameThreads, RenderMode mode = RenderMode::Final,
                  RenderObserver* watcher = nullptr) {
        RunOptions options;
        options.mode = mode;
        options.frameThreads = frameThreads;
        return runScene(scene, options, watcher);
    }
};

} // namespace

TEST_F(ParallelRunTest, FramesComeOutInOrderWithTheirNamesAndThePictureHoldsTheLast) {
    CSceneParams s = hillScene(out, 7);
    s.Offset = 3;
    s.UseRecorder = 1;
    const RunResult r = run(s, 3);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.framesDrawn, 7);
    EXPECT_EQ(observer.started, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(r.written.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        const std::string name = out.path("frame00" + std::to_string(i + 3) + ".tga");
        EXPECT_EQ(observer.names[static_cast<size_t>(i)], name);
        EXPECT_EQ(r.written[static_cast<size_t>(i)], name);
    }
    EXPECT_EQ(observer.written, r.written);
    // The window's picture shows the last frame, under its name.
    EXPECT_EQ(picture.pathName(), r.written.back());
    CTGAFile last(platform);
    ASSERT_TRUE(last.OpenImage(r.written.back()));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(last.GetPixel(x, y), picture.GetPixel(x, y)) << x << "," << y;
    // One recorder row per frame, after the header.
    const std::string recorder = TempDir::read(out.path("OVRECORD.XLS"));
    EXPECT_EQ(std::count(recorder.begin(), recorder.end(), '\n'), 8);
    EXPECT_EQ(jobFilesLeft(), 0);
    // The progress ends every frame at 100 %, on the calling thread.
    EXPECT_EQ(std::count(progress.reports.begin(), progress.reports.end(), 100), 7);
}

TEST_F(ParallelRunTest, SaveQuestionsAreAskedOneAfterTheOtherInFrameOrder) {
    CSceneParams s = hillScene(out, 4);
    s.OutputFileName = out.path("missing/frame%03d.tga"); // a folder that does not exist
    const RunResult r = run(s, 4);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.framesDrawn, 4);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(r.writeFailures, 4);
    // Each frame's question (answered No) names its own file, in frame order.
    std::vector<std::string> named;
    for (const auto& text : platform.texts())
        for (int i = 0; i < 4; ++i)
            if (text.find("frame00" + std::to_string(i) + ".tga") != std::string::npos) named.push_back(text);
    ASSERT_GE(named.size(), 4u);
    for (size_t k = 1; k < named.size(); ++k) EXPECT_LE(named[k - 1], named[k]);
}

TEST_F(ParallelRunTest, StopDuringTheFirstFrameWritesNothingAndClosesTheWindow) {
    CSceneParams s = hillScene(out, 6);
    s.UseRecorder = 1;
    progress.stopAfterReports = 1; // the first thing the run shows: the first frame's progress
    const RunResult r = run(s, 3);
    EXPECT_EQ(r.outcome, RunOutcome::Stopped);
    EXPECT_TRUE(r.closeWindow);
    EXPECT_EQ(r.framesDrawn, 1);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(observer.started, std::vector<int>{0});
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(fs::exists(out.path("frame00" + std::to_string(i) + ".tga")));
    // As in a run of one frame at a time, the stopped frame's recorder row is written.
    const std::string recorder = TempDir::read(out.path("OVRECORD.XLS"));
    EXPECT_EQ(std::count(recorder.begin(), recorder.end(), '\n'), 2);
    EXPECT_EQ(jobFilesLeft(), 0);
    EXPECT_EQ(observer.ended, 1);
}

TEST_F(ParallelRunTest, PreviewStaysOneFrameAfterTheOther) {
    CSceneParams s = hillScene(out, 3);
    const RunResult r = run(s, 4, RenderMode::Preview);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.framesDrawn, 3);
    EXPECT_EQ(observer.wires.size(), 3u);
    EXPECT_EQ(observer.started, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(r.written.empty());
}

TEST_F(ParallelRunTest, StopAfterSomeFramesKeepsTheWrittenOnesAndWritesNoneAfterThem) {
    // More frames than threads are in flight; a stop that comes while frame 2 is written must leave the
    // frames queued behind it unwritten, and the frames before it complete.
    class StopOnThirdFile : public RecordingObserver {
    public:
        explicit StopOnThirdFile(RecordingProgress& p) : progress(p) {}
        void frameWritten(const std::string& path) override {
            RecordingObserver::frameWritten(path);
            if (written.size() == 3) progress.stopped = true;
        }

    private:
        RecordingProgress& progress;
    } stopper(progress);
    CSceneParams s = hillScene(out, 12);
    s.UseRecorder = 1;
    const RunResult r = run(s, 2, RenderMode::Final, &stopper);
    EXPECT_EQ(r.outcome, RunOutcome::Stopped);
    EXPECT_TRUE(r.closeWindow);
    ASSERT_EQ(r.written.size(), 3u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(fs::exists(out.path("frame00" + std::to_string(i) + ".tga")), i < 3) << i;
    EXPECT_EQ(std::vector<int>(stopper.started.begin(), stopper.started.begin() + 3),
              (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(jobFilesLeft(), 0);
}

TEST_F(ParallelRunTest, AnErrorKeepsTheFramesBeforeItAndWritesNoneAfterIt) {
    // Memory runs out as frame 2 comes in: the frames in flight behind it are told to stop, and none of
    // them may be written (a frame that was never rendered would show only the background).
    class FailOnThirdFrame : public RecordingObserver {
    public:
        void frameStarting(int index, const std::string& name) override {
            if (index == 2) throw std::bad_alloc();
            RecordingObserver::frameStarting(index, name);
        }
    } failing;
    CSceneParams s = hillScene(out, 8);
    s.UseRecorder = 1;
    const RunResult r = run(s, 2, RenderMode::Final, &failing);
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
    EXPECT_EQ(platform.texts(), std::vector<std::string>{"Not enough memory to render this scene."});
    EXPECT_EQ(r.written, (std::vector<std::string>{out.path("frame000.tga"), out.path("frame001.tga")}));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(fs::exists(out.path("frame00" + std::to_string(i) + ".tga")), i < 2) << i;
    // The recorder holds the rows of the written frames.
    const std::string recorder = TempDir::read(out.path("OVRECORD.XLS"));
    EXPECT_EQ(std::count(recorder.begin(), recorder.end(), '\n'), 3);
    EXPECT_EQ(jobFilesLeft(), 0);
}
