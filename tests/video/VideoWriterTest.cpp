#include "video/VideoWriter.h"

#include "VideoCheck.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace videotest;
using video::Unfinished;
using video::VideoSettings;
using video::VideoWriter;

namespace {

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Writes count terrain frames; returns the error of the first frame that fails.
std::string addFrames(VideoWriter& writer, int width, int height, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string error = writer.addFrame(terrainFrame(width, height, i).view());
        if (!error.empty()) return error;
    }
    return std::string();
}

// Every decoded frame against its source converted the same way, at the worst frame; lumaOnly compares
// the decoded luma with one computed here instead.
double worstPsnr(const DecodedVideo& decoded, int width, int height, bool lumaOnly = false) {
    video::BgrToYuv420 converter(width, height);
    double worst = 99.0;
    for (size_t i = 0; i < decoded.frames.size(); ++i) {
        TgaLikeFrame frame = terrainFrame(width, height, static_cast<int>(i));
        const double psnr = lumaOnly
                                ? psnrPlane(decoded.frames[i].y, bt709Luma(frame, width & ~1, height & ~1))
                                : psnr420(decoded.frames[i], converter.convert(frame.view()));
        worst = std::min(worst, psnr);
    }
    return worst;
}

} // namespace

// An odd-sized frame (the video loses its last column and bottom row) at the default quality: every frame
// arrives, in order, the right way up and in its colours, at the frame rate asked for, with the index at the
// front so that browsers start playing before the whole file is loaded.
TEST(VideoWriter, Mp4KeepsEveryFrameAtTheDefaultQuality) {
    TempDir dir;
    const std::string path = dir.path("flight.mp4");
    const int width = 323, height = 183, count = 30;
    VideoWriter writer;
    VideoSettings settings;
    settings.fps = 30;
    ASSERT_EQ(writer.open(path, width, height, settings), "");
    EXPECT_EQ(writer.videoWidth(), 322);
    EXPECT_EQ(writer.videoHeight(), 182);
    ASSERT_EQ(addFrames(writer, width, height, count), "");
    EXPECT_FALSE(std::filesystem::exists(path)) << "the target appears only when the video is complete";
    ASSERT_EQ(writer.finish(), "");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"flight.mp4"});

    const DecodedVideo decoded = decodeVideo(path);
    ASSERT_EQ(decoded.error, "");
    EXPECT_EQ(decoded.codec, "h264");
    EXPECT_EQ(decoded.width, 322);
    EXPECT_EQ(decoded.height, 182);
    EXPECT_EQ(av_q2d(decoded.frameRate), 30.0);
    EXPECT_EQ(decoded.colorSpace, AVCOL_SPC_BT709);
    ASSERT_EQ(decoded.frames.size(), static_cast<size_t>(count));
    EXPECT_GE(worstPsnr(decoded, width, height), 38.0);
    EXPECT_GE(worstPsnr(decoded, width, height, true), 38.0) << "upside down, cropped wrongly or off colour";

    const std::string bytes = TempDir::read(path);
    ASSERT_NE(bytes.find("moov"), std::string::npos);
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
}

TEST(VideoWriter, WebmKeepsEveryFrameAtTheDefaultQuality) {
    TempDir dir;
    const std::string path = dir.path("flight.WebM");
    VideoWriter writer;
    ASSERT_EQ(writer.open(path, 160, 96), "");
    ASSERT_EQ(addFrames(writer, 160, 96, 8), "");
    ASSERT_EQ(writer.finish(), "");

    const DecodedVideo decoded = decodeVideo(path);
    ASSERT_EQ(decoded.error, "");
    EXPECT_EQ(decoded.codec.find("vp9") != std::string::npos, true) << decoded.codec;
    EXPECT_EQ(av_q2d(decoded.frameRate), 25.0);
    ASSERT_EQ(decoded.frames.size(), 8u);
    EXPECT_GE(worstPsnr(decoded, 160, 96), 38.0);
}

// A render stopped half-way (an error, Ctrl+C) destroys the writer without finish(): by policy either no
// file at all (an earlier video under the name stays as it was) or a playable video of the frames so far.
TEST(VideoWriter, DestroyedWithoutFinishLeavesNoFileOrAPlayableOne) {
    TempDir dir;
    const std::string dropped = dir.path("dropped.mp4");
    TempDir::write(dropped, "the earlier video");
    {
        VideoWriter writer;
        ASSERT_EQ(writer.open(dropped, 96, 64), "");
        ASSERT_EQ(addFrames(writer, 96, 64, 5), "");
    }
    EXPECT_EQ(TempDir::read(dropped), "the earlier video");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"dropped.mp4"});

    const std::string kept = dir.path("kept.mp4");
    {
        VideoWriter writer;
        VideoSettings settings;
        settings.unfinished = Unfinished::KeepFramesSoFar;
        ASSERT_EQ(writer.open(kept, 96, 64, settings), "");
        ASSERT_EQ(addFrames(writer, 96, 64, 7), "");
    }
    const DecodedVideo decoded = decodeVideo(kept);
    ASSERT_EQ(decoded.error, "");
    EXPECT_EQ(decoded.frames.size(), 7u);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"dropped.mp4", "kept.mp4"}));
}

// Set-up faults are reported by open(), before any frame is rendered, and leave nothing behind.
TEST(VideoWriter, BadTargetsFailAtOpenWithAClearMessage) {
    TempDir dir;
    TempDir::write(dir.path("notes.txt"), "x");
    const struct {
        std::string path;
        std::string mentions;
        VideoSettings settings;
    } cases[] = {
        {dir.path("missing/flight.mp4"), "No such file or directory", {}},
        {dir.path("notes.txt/flight.mp4"), "Not a directory", {}},
        {dir.path("flight.avi"), ".mp4", {}},
        {dir.path("flight"), ".webm", {}},
        {dir.path("flight.mp4"), "veryfast", {25, -1, "quick", Unfinished::KeepFramesSoFar}},
    };
    for (const auto& c : cases) {
        VideoWriter writer;
        const std::string error = writer.open(c.path, 64, 48, c.settings);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.path << ": " << error;
        EXPECT_FALSE(writer.isOpen());
        EXPECT_NE(writer.addFrame(terrainFrame(64, 48, 0).view()), "");
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"notes.txt"});
}

// The disk fills up during a render (here: a file size limit): the writer reports it, and even the
// policy that keeps the frames so far leaves no cut video behind.
TEST(VideoWriter, AFullDiskLeavesNoBrokenFile) {
    TempDir dir;
    const std::string path = dir.path("flight.mp4");
    VideoWriter writer;
    VideoSettings settings;
    settings.unfinished = Unfinished::KeepFramesSoFar;
    ASSERT_EQ(writer.open(path, 320, 180, settings), "");

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // writes past the limit fail with EFBIG instead
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string frameError = addFrames(writer, 320, 180, 60);
    const std::string finishError = writer.finish();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_NE(finishError, "");
    EXPECT_TRUE(filesIn(dir.path()).empty());
}
