// Tool outputs onto a full disk and into a read-only folder: the tool asks the retry question with the
// output's name, "No" ends the run as failed, and the output file that was there before is intact.

#include "app/AtomicFile.h"
#include "tools/DemImport.h"
#include "tools/ElevationConversions.h"
#include "tools/ToolTestSupport.h"

#include "fuzz/FaultFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tooltest;

namespace {

const std::string kPrevious = "previous output";

struct Inputs {
    TempDir dir;
    std::string picture = dir.path("in.tga");
    std::string dem = dir.path("in.dem");
    Inputs() {
        Picture p(12, 10, bgr(10, 20, 255));
        p.set(3, 3, bgr(1, 2, 3));
        writeTga(picture, p);
        SynthHeader h;
        h.columns = 3;
        TempDir::write(dem, makeDem(h, {{1, {5, 6}}, {2, {7}}, {3, {8, 9, 10}}}, DemLayout::Records));
    }
};

// Runs the conversions and the DEM import into out; every run must fail with the question given.
void expectEveryToolAsks(const std::string& out, const std::string& question) {
    Inputs in;
    const std::string expected = "Couldn't " + question + " TGA file\n'" + out + "'.\nRetry?";
    {
        Env e;
        EXPECT_EQ(EliminateRed(in.picture, out, e.env), ToolStatus::Failed);
        EXPECT_EQ(e.platform.texts(), std::vector<std::string>{expected});
        EXPECT_EQ(e.platform.shown.at(0).buttons, MsgButtons::YesNo);
    }
    {
        Env e;
        EXPECT_EQ(ElevationToGray(in.picture, out, 0.5, e.env), ToolStatus::Failed);
        EXPECT_EQ(e.platform.texts().at(0), expected);
    }
    {
        Env e;
        EXPECT_EQ(DemImport(in.dem, out, e.env).status, ToolStatus::Failed);
        // The question, then the count of non-zero elevations that ends every import.
        EXPECT_EQ(e.platform.texts(),
                  (std::vector<std::string>{expected, "Total of non-zero elevations: 6"}));
    }
}

} // namespace

TEST(SaveFaultTool, FullDiskAndReadOnlyFolderKeepThePreviousOutput) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string out = folder.path("out.tga");
    ASSERT_TRUE(FaultFolder::write(out, kPrevious));

    ASSERT_TRUE(folder.fill());
    expectEveryToolAsks(out, "save");
    EXPECT_EQ(FaultFolder::read(out), kPrevious);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.tga"});

    folder.release();
    ASSERT_TRUE(folder.setReadOnly(true));
    expectEveryToolAsks(out, "open");
    EXPECT_EQ(FaultFolder::read(out), kPrevious);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.tga"});

    // Writable again: the same run writes its output.
    ASSERT_TRUE(folder.setReadOnly(false));
    Inputs in;
    Env e;
    EXPECT_EQ(EliminateRed(in.picture, out, e.env), ToolStatus::Done);
    EXPECT_TRUE(e.platform.shown.empty());
    EXPECT_EQ(readTga(out).width, 12);
}

// A stop that arrives while the output is being saved (here: when the save shows its wait cursor, as Ctrl+C
// would during a long write) gives the save up: the previous output stays, a new one is never made.
TEST(SaveFaultTool, AStopDuringTheSaveLeavesNothingAndEndsAsCancelled) {
    struct StopAtSave : ScriptedPlatform {
        RecordingProgress* progress = nullptr;
        void beginWaitCursor() override { progress->stopped = true; }
    };
    Inputs in;
    const std::string previous = in.dir.path("previous.tga"), fresh = in.dir.path("fresh.tga");
    TempDir::write(previous, kPrevious);
    for (const std::string& to : {previous, fresh}) {
        StopAtSave platform;
        RecordingProgress progress;
        platform.progress = &progress;
        ToolEnv env{platform, progress};
        EXPECT_EQ(ToolStatus::Cancelled, GrayToElevation(in.picture, to, env).status) << to;
    }
    EXPECT_EQ(kPrevious, TempDir::read(previous));
    EXPECT_FALSE(exists(fresh));
    int files = 0; // no temporary file either
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(in.dir.path())) ++files;
    EXPECT_EQ(3, files);

    // A stop after the last byte, before the file takes its name.
    RecordingProgress progress;
    StopSavesOn stop(progress);
    AtomicFile file;
    ASSERT_TRUE(file.open(fresh));
    ASSERT_TRUE(file.write("complete"));
    progress.stopped = true;
    EXPECT_FALSE(file.write("more"));
    EXPECT_FALSE(file.commit());
    EXPECT_FALSE(exists(fresh));
}
