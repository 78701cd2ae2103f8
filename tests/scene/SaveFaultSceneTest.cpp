// Saving scene scripts and writing single keys onto a full disk and into a read-only folder: the save
// reports that it failed (the form then shows "Failed to save document."), and the script that was there
// before is intact, byte for byte, with no temporary file left beside it.

#include "scene/ProfileFile.h"
#include "scene/SceneParams.h"

#include "fuzz/FaultFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const std::string kPrevious = "[Param]\r\nBeobXA=1.000000\r\nHDateiname=old.tga\r\n";

CSceneParams validScene(const TempDir& inputs) {
    TempDir::write(inputs.path("hill.tga"), std::string(18, '\0'));
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = inputs.path("hill.tga");
    s.OutputFileName = inputs.path("nn%03d.tga");
    s.SetPathPoint(0, 5, 6);
    return s;
}

} // namespace

TEST(SaveFaultScene, FullDiskOrReadOnlyFolderKeepsThePreviousScript) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    TempDir inputs;
    const CSceneParams scene = validScene(inputs);
    const std::string script = folder.path("flight.ovs"), fresh = folder.path("fresh.ovs");
    ASSERT_TRUE(FaultFolder::write(script, kPrevious));

    ASSERT_TRUE(folder.fill());
    SaveOutcome full = scene.SaveScript(script);
    EXPECT_EQ(full.result, SaveResult::WriteFailed);
    EXPECT_TRUE(full.check.ok); // the check passed: the failure is the write alone
    EXPECT_EQ(scene.SaveScript(fresh).result, SaveResult::WriteFailed);
    EXPECT_FALSE(scene.WriteJobValues(script));
    EXPECT_FALSE(CopySceneKeys(script, fresh));
    EXPECT_EQ(FaultFolder::read(script), kPrevious);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"flight.ovs"});

    folder.release();
    ASSERT_TRUE(folder.setReadOnly(true));
    EXPECT_EQ(scene.SaveScript(script).result, SaveResult::WriteFailed);
    EXPECT_FALSE(scene.WriteJobValues(fresh));
    EXPECT_EQ(FaultFolder::read(script), kPrevious);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"flight.ovs"});

    // Once the folder takes files again the same scene saves, and loads back.
    ASSERT_TRUE(folder.setReadOnly(false));
    ASSERT_TRUE(scene.SaveScript(script).ok());
    CSceneParams back;
    ASSERT_TRUE(back.LoadScript(script));
    EXPECT_EQ(back.ElevationFileName, scene.ElevationFileName);
    EXPECT_EQ(back.lastIndex, 0);
}

TEST(SaveFaultScene, ProfileKeyWritesFailWithoutDamage) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string script = folder.path("job.ovs");
    ASSERT_TRUE(FaultFolder::write(script, kPrevious));
    ProfileFile profile(script);

    ASSERT_TRUE(folder.fill());
    EXPECT_FALSE(profile.WriteString("HDateiname", std::string(5000, 'n'))); // a long value needs new blocks
    EXPECT_FALSE(profile.WriteInt("Bildanzahl", 7));
    profile.deferWrites();
    EXPECT_TRUE(profile.WriteReal("BeobYA", 2.5)); // kept in memory
    EXPECT_FALSE(profile.flush());
    EXPECT_EQ(FaultFolder::read(script), kPrevious);
    EXPECT_EQ(profile.ReadString("HDateiname"), "old.tga");

    folder.release();
    ASSERT_TRUE(folder.setReadOnly(true));
    EXPECT_FALSE(profile.WriteInt("Bildanzahl", 7));
    EXPECT_FALSE(profile.DeleteKey("BeobXA"));
    EXPECT_EQ(FaultFolder::read(script), kPrevious);
    EXPECT_EQ(profile.ReadInt("Bildanzahl"), 0);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"job.ovs"});
}
