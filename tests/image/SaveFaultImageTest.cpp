// Saving images onto a full disk and into a read-only folder: the retry questions are asked with the file's
// name, "No" ends the save with failure, "Yes" tries again once the fault is gone, and the file that was
// there before is intact in every case (no cut file, no temporary file left behind).

#include "image/TGAFile.h"

#include "fuzz/FaultFolder.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

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

// A picture whose pixels all differ from those of the previous file.
void paint(CTGAFile& doc, int w, int h) {
    ASSERT_TRUE(doc.CreateImage(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = doc.pixelAt(x, y);
            p[0] = static_cast<uint8_t>(x * 7);
            p[1] = static_cast<uint8_t>(y * 3);
            p[2] = 200;
        }
}

std::string previousTga() {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 1;
    bytes[14] = 1;
    bytes[16] = 24;
    return bytes + "\x01\x02\x03";
}

} // namespace

TEST(SaveFaultImage, FullDiskAsksToRetryAndKeepsThePreviousFile) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string tga = folder.path("frame.tga"), yuv = folder.path("frame.yuv");
    ASSERT_TRUE(FaultFolder::write(tga, previousTga()));
    ASSERT_TRUE(FaultFolder::write(yuv, "previous yuv"));
    ASSERT_TRUE(folder.fill());

    HookPlatform platform;
    CTGAFile doc(platform);
    paint(doc, 64, 48);
    EXPECT_FALSE(doc.SaveImageAs(tga, 2)); // TGA first, then YUV: both asked, both answered No
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "Couldn't save TGA file\n'" + tga + "'.\nRetry?");
    EXPECT_EQ(platform.shown[1].text, "Couldn't save YUV file\n'" + yuv + "'.\nRetry?");
    for (const auto& s : platform.shown) {
        EXPECT_EQ(s.icon, MsgIcon::Stop);
        EXPECT_EQ(s.buttons, MsgButtons::YesNo);
    }
    EXPECT_EQ(platform.waitCursorDepth, 0);
    EXPECT_EQ(FaultFolder::read(tga), previousTga());
    EXPECT_EQ(FaultFolder::read(yuv), "previous yuv");
    EXPECT_EQ(folder.names().size(), 2u); // no temporary file left

    // Yes after space has been made: the same save goes through, and the file is complete.
    platform.shown.clear();
    platform.answers = {MsgAnswer::Yes};
    platform.beforeAnswer = [&] { folder.release(); };
    EXPECT_TRUE(doc.SaveImage(tga));
    EXPECT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(FaultFolder::read(tga).size(), 18u + 64 * 48 * 3);
    CTGAFile back(platform);
    ASSERT_TRUE(back.OpenImage(tga));
    EXPECT_EQ(back.GetPixel(5, 7), (Bgr{35, 21, 200}));
    EXPECT_FALSE(doc.isModified());
}

TEST(SaveFaultImage, ReadOnlyFolderAsksToRetryTheOpen) {
    FaultFolder folder;
    if (!folder.ready()) GTEST_SKIP() << folder.why();
    const std::string tga = folder.path("map.tga"), fresh = folder.path("new.tga");
    ASSERT_TRUE(FaultFolder::write(tga, previousTga()));
    ASSERT_TRUE(folder.setReadOnly(true));

    HookPlatform platform;
    CTGAFile doc(platform);
    paint(doc, 9, 5);
    platform.answers = {MsgAnswer::Yes, MsgAnswer::No}; // one retry that fails again, then give up
    EXPECT_FALSE(doc.SaveImage(tga));
    EXPECT_FALSE(doc.SaveImage(fresh));
    ASSERT_EQ(platform.shown.size(), 3u);
    EXPECT_EQ(platform.shown[0].text, "Couldn't open TGA file\n'" + tga + "'.\nRetry?");
    EXPECT_EQ(platform.shown[1].text, platform.shown[0].text);
    EXPECT_EQ(platform.shown[2].text, "Couldn't open TGA file\n'" + fresh + "'.\nRetry?");
    EXPECT_EQ(FaultFolder::read(tga), previousTga());
    EXPECT_EQ(folder.names(), std::vector<std::string>{"map.tga"});

    // The YUV writer asks its own question with the name it writes.
    platform.shown.clear();
    EXPECT_FALSE(doc.SaveImageAs(tga, 1));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "Couldn't open YUV file\n'" + folder.path("map.yuv") + "'.\nRetry?");

    // Writable again while the question is open: Yes saves.
    platform.shown.clear();
    platform.answers = {MsgAnswer::Yes};
    platform.beforeAnswer = [&] { folder.setReadOnly(false); };
    EXPECT_TRUE(doc.SaveImage(tga));
    EXPECT_EQ(FaultFolder::read(tga).size(), 18u + 9 * 5 * 3);
}
