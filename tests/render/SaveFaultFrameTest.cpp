// Frame writes of a render run onto a full disk and into a read-only folder: every frame asks its retry
// question with the frame's name, "No" skips that file and the run goes on to its end, and the frame files
// that were there before are intact.

#include "RunTestSupport.h"
#include "app/Settings.h"
#include "image/TGAFile.h"
#include "support/ScriptedPlatform.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// Answers like ScriptedPlatform, and runs a hook before each answer (to clear the fault).
class HookPlatform : public ScriptedPlatform {
public:
    std::function<void()> beforeAnswer;
    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override {
        if (beforeAnswer) beforeAnswer();
        return ScriptedPlatform::message(text, icon, buttons);
    }
};

// The job file itself goes to an ordinary folder (the set-up's own).
class FrameFaultTest : public ::testing::Test, public RunSetup<HookPlatform> {
protected:
    void SetUp() override {
        if (!folder.ready()) GTEST_SKIP() << folder.why();
        scene = hillScene(inputs, 2);
        scene.OutputFileName = folder.path("frame%03d.tga");
        ASSERT_TRUE(FaultFolder::write(folder.path("frame000.tga"), "previous frame 0"));
        ASSERT_TRUE(FaultFolder::write(folder.path("frame001.yuv"), "previous frame 1"));
    }
    RunResult run() {
        RunOptions options;
        options.mode = RenderMode::Raw;
        return runScene(scene, options);
    }
    void expectPreviousFramesIntact() {
        EXPECT_EQ(FaultFolder::read(folder.path("frame000.tga")), "previous frame 0");
        EXPECT_EQ(FaultFolder::read(folder.path("frame001.yuv")), "previous frame 1");
        EXPECT_EQ(folder.names().size(), 2u) << "no temporary or cut files";
    }

    FaultFolder folder;
    TempDir inputs;
    CSceneParams scene;
};

} // namespace

TEST_F(FrameFaultTest, FullDiskAsksForEveryFileAndKeepsThePreviousFrames) {
    scene.OutputFileFormat = 2; // TGA and YUV
    ASSERT_TRUE(folder.fill());
    RunResult r = run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.framesDrawn, 2);
    EXPECT_EQ(r.writeFailures, 4);
    EXPECT_TRUE(r.written.empty());
    const std::vector<std::string> expected = {
        "Couldn't save TGA file\n'" + folder.path("frame000.tga") + "'.\nRetry?",
        "Couldn't save YUV file\n'" + folder.path("frame000.yuv") + "'.\nRetry?",
        "Couldn't save TGA file\n'" + folder.path("frame001.tga") + "'.\nRetry?",
        "Couldn't save YUV file\n'" + folder.path("frame001.yuv") + "'.\nRetry?",
    };
    EXPECT_EQ(platform.texts(), expected);
    for (const auto& s : platform.shown) EXPECT_EQ(s.buttons, MsgButtons::YesNo);
    expectPreviousFramesIntact();
}

TEST_F(FrameFaultTest, ReadOnlyFolderAsksToRetryTheOpenAndYesWritesOnceItIsWritable) {
    ASSERT_TRUE(folder.setReadOnly(true));
    RunResult r = run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.writeFailures, 2);
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{
                                    "Couldn't open TGA file\n'" + folder.path("frame000.tga") + "'.\nRetry?",
                                    "Couldn't open TGA file\n'" + folder.path("frame001.tga") + "'.\nRetry?",
                                }));
    expectPreviousFramesIntact();

    // The user makes the folder writable while the question is open and answers Yes: the frame is written.
    platform.shown.clear();
    platform.answers = {MsgAnswer::Yes};
    platform.beforeAnswer = [this] { folder.setReadOnly(false); };
    scene.Total = 1;
    scene.To = 0;
    r = run();
    EXPECT_EQ(r.writeFailures, 0);
    EXPECT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(r.written, std::vector<std::string>{folder.path("frame000.tga")});
    EXPECT_EQ(FaultFolder::read(folder.path("frame000.tga")).size(), 18u + 32 * 24 * 3);
}
