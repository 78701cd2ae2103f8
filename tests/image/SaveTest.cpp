#include "image/TGAFile.h"

#include "ImageTestUtil.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imgtest;
namespace fs = std::filesystem;

namespace {

void put(CTGAFile& doc, int x, int y, Bgr c) {
    uint8_t* p = doc.pixelAt(x, y);
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

// Fills the 2 x 2 block whose top-left pixel is (x, t), t counted from the top of the picture.
void putBlock(CTGAFile& doc, int x, int t, Bgr c) {
    const int h = doc.GetHeight();
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) put(doc, x + dx, h - 1 - t - dy, c);
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<int> bytes(const std::string& s) {
    std::vector<int> v;
    for (char c : s) v.push_back(static_cast<unsigned char>(c));
    return v;
}

// Lowers the size a file of this process may grow to, for the lifetime of the object; writes beyond it
// fail (EFBIG) as they would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        set(limit);
    }
    ~FileSizeLimit() { lift(); }
    void lift() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    void set(rlim_t limit) {
        rlimit r = saved;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    rlimit saved{};
};

} // namespace

TEST(TGASave, YuvNamesAndSaveDispatch) {
    EXPECT_EQ(CTGAFile::YuvFileName("/out/shot0001.tga"), "/out/shot0001.yuv");
    EXPECT_EQ(CTGAFile::YuvFileName("/out.d/shot"), "/out.d/shot.yuv");
    EXPECT_EQ(CTGAFile::YuvFileName("a.tar.gz"), "a.tar.yuv");
    EXPECT_EQ(CTGAFile::YuvFileName("FRAME.YUV"), "FRAME.YUV");
    EXPECT_EQ(CTGAFile::FileExtension("/x.y/name"), "");
    EXPECT_EQ(CTGAFile::FileExtension("/x/Name.TGA"), ".TGA");

    ScriptedPlatform platform;
    TempDir dir;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(4, 2));
    doc.FillGray(128);
    doc.setModified(true);

    ASSERT_TRUE(doc.SaveImage(dir.path("caps.YUV")));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"caps.YUV"}));
    EXPECT_EQ(TempDir::read(dir.path("caps.YUV")).size(), 12u);
    fs::remove(dir.path("caps.YUV"));

    ASSERT_TRUE(doc.SaveImageAs(dir.path("both.tga"), 2));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"both.tga", "both.yuv"}));
    EXPECT_EQ(TempDir::read(dir.path("both.tga")).size(), 18u + 24u);
    EXPECT_EQ(TempDir::read(dir.path("both.yuv")).size(), 12u);
    EXPECT_FALSE(doc.isModified());

    ASSERT_TRUE(doc.SaveImageAs(dir.path("only.tga"), 1));
    EXPECT_FALSE(fs::exists(dir.path("only.tga")));
    EXPECT_TRUE(fs::exists(dir.path("only.yuv")));
    ASSERT_TRUE(doc.SaveImageAs(dir.path("plain.tga"), 0));
    EXPECT_FALSE(fs::exists(dir.path("plain.yuv")));
    EXPECT_TRUE(platform.shown.empty());
}

TEST(TGASave, YuvPlanesOfColourBlocks) {
    ScriptedPlatform platform;
    TempDir dir;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(6, 4));
    // Top block row: white, black, grey; bottom block row: red, green, blue.
    putBlock(doc, 0, 0, {255, 255, 255});
    putBlock(doc, 2, 0, {0, 0, 0});
    putBlock(doc, 4, 0, {128, 128, 128});
    putBlock(doc, 0, 2, {0, 0, 255});
    putBlock(doc, 2, 2, {0, 255, 0});
    putBlock(doc, 4, 2, {255, 0, 0});
    std::string file = dir.path("blocks.tga");
    ASSERT_TRUE(doc.WriteYuvFile(file));
    std::string yuv = TempDir::read(dir.path("blocks.yuv"));
    ASSERT_EQ(yuv.size(), 36u);
    std::vector<int> y = bytes(yuv.substr(0, 24)), u = bytes(yuv.substr(24, 6)), v = bytes(yuv.substr(30, 6));
    const std::vector<int> topRow = {234, 234, 16, 16, 125, 125}, bottomRow = {81, 81, 144, 144, 40, 40};
    EXPECT_EQ(std::vector<int>(y.begin(), y.begin() + 6), topRow);
    EXPECT_EQ(std::vector<int>(y.begin() + 6, y.begin() + 12), topRow);
    EXPECT_EQ(std::vector<int>(y.begin() + 12, y.begin() + 18), bottomRow);
    EXPECT_EQ(std::vector<int>(y.begin() + 18, y.end()), bottomRow);
    EXPECT_EQ(u, (std::vector<int>{128, 128, 128, 90, 53, 240}));
    EXPECT_EQ(v, (std::vector<int>{128, 128, 128, 240, 34, 109}));
}

TEST(TGASave, OddSizesPairWithTheOutsideColour) {
    ScriptedPlatform platform;
    TempDir dir;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(3, 3));
    doc.FillColor(0x000000FF); // outside colour red
    doc.FillGray(0);           // pixels black
    ASSERT_TRUE(doc.SaveImage(dir.path("odd.yuv")));
    std::string yuv = TempDir::read(dir.path("odd.yuv"));
    // H + 1 luma rows of W bytes, (H + 1) / 2 chroma rows of W / 2 bytes each.
    ASSERT_EQ(yuv.size(), 4u * 3u + 2u * 1u + 2u * 1u);
    EXPECT_EQ(bytes(yuv.substr(0, 9)), std::vector<int>(9, 16));
    EXPECT_EQ(bytes(yuv.substr(9, 3)), std::vector<int>(3, 81));
    EXPECT_EQ(bytes(yuv.substr(12, 2)), (std::vector<int>{128, 109})); // half black, half red
    EXPECT_EQ(bytes(yuv.substr(14, 2)), (std::vector<int>{128, 184}));

    CTGAFile wide(platform);
    ASSERT_TRUE(wide.CreateImage(5, 2));
    wide.FillGray(255);
    ASSERT_TRUE(wide.SaveImage(dir.path("wide.yuv")));
    EXPECT_EQ(TempDir::read(dir.path("wide.yuv")), std::string(10, char(234)) + std::string(4, char(128)));
}

TEST(TGASave, MissingFolderAsksTheOpenQuestion) {
    ScriptedPlatform platform;
    TempDir dir;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(2, 2));
    doc.setModified(true);
    platform.answers = {MsgAnswer::Yes};
    std::string file = dir.path("no/such/folder/x.tga");
    EXPECT_FALSE(doc.SaveImage(file));
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[1].text, "Couldn't open TGA file\n'" + file + "'.\nRetry?");
    EXPECT_EQ(platform.shown[1].icon, MsgIcon::Stop);
    EXPECT_EQ(platform.shown[1].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(doc.isModified());

    platform.shown.clear();
    EXPECT_FALSE(doc.SaveImageAs(dir.path("no/x.tga"), 1));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "Couldn't open YUV file\n'" + dir.path("no/x.yuv") + "'.\nRetry?");
    EXPECT_EQ(platform.waitCursorDepth, 0);
}

// A save into a folder that takes no new files asks the open question; No leaves the old file as it was.
TEST(TGASave, ReadOnlyFolderKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.path("old.tga");
    TempDir::write(file, "previous contents");
    ::chmod(dir.path().c_str(), 0555);
    auto attempt = [&]() -> int {
        ScriptedPlatform platform;
        CTGAFile doc(platform);
        if (!doc.CreateImage(2, 2)) return 10;
        if (doc.SaveImage(file)) return 11;
        if (platform.shown.size() != 1) return 12;
        if (platform.shown[0].text != "Couldn't open TGA file\n'" + file + "'.\nRetry?") return 13;
        return 0;
    };
    int result;
    if (::geteuid() == 0) {
        // Root may write anywhere: run the save as an unprivileged user.
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(20);
            ::_exit(attempt());
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    } else {
        result = attempt();
    }
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempDir::read(file), "previous contents");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"old.tga"}));
}

TEST(TGASave, WriteErrorKeepsTheOldFileOrRewritesFromTheStart) {
    TempDir dir;
    for (const char* name : {"frame.tga", "frame.yuv"}) {
        std::string file = dir.path(name);
        TempDir::write(file, "previous contents");
        ScriptedPlatform platform;
        CTGAFile doc(platform);
        ASSERT_TRUE(doc.CreateImage(40, 40));
        doc.FillGray(7);
        doc.setModified(true);
        {
            FileSizeLimit limit(1000);
            platform.answers = {MsgAnswer::Yes, MsgAnswer::No};
            EXPECT_FALSE(doc.SaveImage(file));
        }
        const std::string question = std::string("Couldn't save ") +
                                     (std::string(name).ends_with("yuv") ? "YUV" : "TGA") + " file\n'" +
                                     file + "'.\nRetry?";
        ASSERT_EQ(platform.shown.size(), 2u);
        EXPECT_EQ(platform.shown[0].text, question);
        EXPECT_EQ(platform.shown[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(TempDir::read(file), "previous contents");
        EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{name}));
        EXPECT_TRUE(doc.isModified());
        EXPECT_EQ(platform.waitCursorDepth, 0);
        fs::remove(file);
    }

    // The user frees space and answers Yes: the file holds exactly one complete image.
    struct FreeingPlatform : ScriptedPlatform {
        FileSizeLimit* limit = nullptr;
        MsgAnswer message(const std::string& t, MsgIcon i, MsgButtons b) override {
            ScriptedPlatform::message(t, i, b);
            limit->lift();
            return MsgAnswer::Yes;
        }
    } platform;
    CTGAFile doc(platform);
    ASSERT_TRUE(doc.CreateImage(40, 40));
    doc.FillGray(7);
    std::string file = dir.path("retried.tga");
    {
        FileSizeLimit limit(1000);
        platform.limit = &limit;
        EXPECT_TRUE(doc.SaveImage(file));
    }
    EXPECT_EQ(platform.shown.size(), 1u);
    std::vector<uint8_t> px(40 * 40 * 3, 7);
    EXPECT_EQ(TempDir::read(file), tgaFile(40, 40, px));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"retried.tga"}));
}

TEST(TGASave, ImagesTheFileCannotHoldAreNotWritten) {
    ScriptedPlatform platform;
    TempDir dir;
    CTGAFile empty(platform);
    EXPECT_FALSE(empty.SaveImage(dir.path("e.tga")));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, "Couldn't save TGA file\n'" + dir.path("e.tga") + "'.\nRetry?");

    CTGAFile wide(platform);
    ASSERT_TRUE(wide.CreateImage(70000, 1));
    EXPECT_FALSE(wide.SaveImage(dir.path("w.tga")));
    EXPECT_TRUE(entries(dir.path()).empty());
}
