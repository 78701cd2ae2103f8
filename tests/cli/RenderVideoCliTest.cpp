// render --video: the frames of a run encoded into one video file, checked by decoding it with FFmpeg.
#ifdef ORVANTIS_HAVE_VIDEO

#include "RenderCliSupport.h"
#include "render/RunTestSupport.h"
#include "support/TempDir.h"
#include "video/VideoCheck.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> outputLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A frame file of the run in YUV 4:2:0, converted as the video writer converts the picture.
video::Yuv420Picture frameFile(const std::string& path, int width, int height) {
    const std::string bytes = TempDir::read(path);
    EXPECT_EQ(bytes.size(), 18u + 3u * width * height) << path;
    if (bytes.size() != 18u + 3u * width * height) return {};
    video::BgrToYuv420 converter(width, height);
    return converter.convert(
        video::BgrFrame{reinterpret_cast<const uint8_t*>(bytes.data()) + 18, 3LL * width, true});
}

// A straight flight over the hill, frames 160 x 120 named shotNN.tga beside the scene.
std::string writeScene(const TempDir& dir, int frames, int grid = 64) {
    CSceneParams s = hillScene(dir, frames);
    s.OutputFileName = dir.path("shot%02d.tga");
    s.SizeX = 160;
    s.SizeY = 120;
    s.GridX = s.GridY = grid;
    const std::string path = dir.path("scene.ovs");
    EXPECT_TRUE(s.WriteJobValues(path));
    return path;
}

} // namespace

TEST(CliRenderVideo, EncodesTheRangeInOrderAsTheFrameFilesShowIt) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 6);
    // --frames: the frame files too, the same pictures the video was made of.
    CliRun r = runRender({"render", scene, "--video", dir.path("fly.mp4"), "--frames", "--from", "1", "--to",
                          "4", "--jobs", "2", "--quiet"},
                         tmp);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(outputLines(r.out), (std::vector<std::string>{dir.path("shot01.tga"), dir.path("shot02.tga"),
                                                            dir.path("shot03.tga"), dir.path("shot04.tga"),
                                                            dir.path("fly.mp4")}));
    const videotest::DecodedVideo v = videotest::decodeVideo(dir.path("fly.mp4"));
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.codec, "h264");
    EXPECT_EQ(v.width, 160);
    EXPECT_EQ(v.height, 120);
    EXPECT_EQ(v.frameRate.num, 25);
    EXPECT_EQ(v.frameRate.den, 1);
    ASSERT_EQ(v.frames.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const std::string tga = dir.path("shot0" + std::to_string(i + 1) + ".tga");
        EXPECT_GE(videotest::psnr420(v.frames[i], frameFile(tga, 160, 120)), 38.0) << tga;
    }

    // Without --frames only the video is written; .webm is VP9, at the frame rate asked for.
    CliRun webm = runRender({"render", scene, "--video", dir.path("fly.webm"), "--fps", "12"}, tmp);
    ASSERT_EQ(webm.status, 0) << webm.err;
    EXPECT_EQ(outputLines(webm.out), std::vector<std::string>{dir.path("fly.webm")});
    EXPECT_FALSE(fs::exists(dir.path("shot00.tga")));
    const videotest::DecodedVideo w = videotest::decodeVideo(dir.path("fly.webm"));
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.codec.rfind("vp9", 0), 0u) << w.codec;
    EXPECT_EQ(w.frameRate.num, 12);
    EXPECT_EQ(w.frameRate.den, 1);
    EXPECT_EQ(w.frames.size(), 6u);
}

TEST(CliRenderVideo, TheScenesFrameRateAndQualityHoldUnlessTheCommandLineOverridesThem) {
    TempDir dir, tmp;
    CSceneParams s = hillScene(dir, 2);
    s.OutputFileName = dir.path("shot%02d.tga");
    s.SizeX = 160;
    s.SizeY = 120;
    s.GridX = s.GridY = 32;
    s.VideoFps = 10;
    s.VideoCrf = 55; // beyond H.264's top: the scene's own quality reaches the encoder
    const std::string scene = dir.path("scene.ovs");
    ASSERT_TRUE(s.WriteJobValues(scene));
    const CliRun refused = runRender({"render", scene, "--video", dir.path("a.mp4"), "--quiet"}, tmp);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("crf"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir.path("a.mp4")));

    const CliRun r =
        runRender({"render", scene, "--video", dir.path("a.mp4"), "--crf", "30", "--quiet"}, tmp);
    ASSERT_EQ(r.status, 0) << r.err;
    const videotest::DecodedVideo v = videotest::decodeVideo(dir.path("a.mp4"));
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.frameRate.num, 10);
    EXPECT_EQ(v.frames.size(), 2u);
    const CliRun f = runRender(
        {"render", scene, "--video", dir.path("b.mp4"), "--crf", "30", "--fps", "12", "--quiet"}, tmp);
    ASSERT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(videotest::decodeVideo(dir.path("b.mp4")).frameRate.num, 12);
}

TEST(CliRenderVideo, TheMergeOfPartsEncodesTheirFramesInOrder) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 5);
    for (const char* part : {"1/2", "0/2"})
        ASSERT_EQ(runRender({"render", scene, "--part", part, "--quiet"}, tmp).status, 0) << part;
    CliRun r = runRender({"render", scene, "--merge-parts", "2", "--video", dir.path("fly.mp4")}, tmp);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(outputLines(r.out), std::vector<std::string>{dir.path("fly.mp4")}); // no recorder in this scene
    const videotest::DecodedVideo v = videotest::decodeVideo(dir.path("fly.mp4"));
    ASSERT_EQ(v.error, "");
    ASSERT_EQ(v.frames.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const std::string tga = dir.path("shot0" + std::to_string(i) + ".tga");
        EXPECT_GE(videotest::psnr420(v.frames[i], frameFile(tga, 160, 120)), 38.0) << tga;
    }
}

TEST(CliRenderVideo, CtrlCLeavesAPlayableVideoOfTheFramesDone) {
    TempDir dir, tmp;
    // Far more frame names than the output pipe holds: the run cannot end before the signal.
    const std::string scene = writeScene(dir, 4000, 100);
    CliRun r =
        runRender({"render", scene, "--video", dir.path("fly.mp4"), "--frames", "--quiet", "--jobs", "2"},
                  tmp, StopAfterFirstLine{SIGINT});
    EXPECT_EQ(r.status, 130) << r.err;
    size_t frames = 0;
    for (const std::string& name : namesIn(dir.path()))
        if (name.rfind("shot", 0) == 0) ++frames;
    EXPECT_GE(frames, 1u);
    EXPECT_LT(frames, 4000u);
    // Every frame written as a file went into the video before it.
    const videotest::DecodedVideo v = videotest::decodeVideo(dir.path("fly.mp4"));
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.frames.size(), frames);
}

TEST(CliRenderVideo, AVideoThatCannotBeSetUpStopsTheRunBeforeTheFirstFrame) {
    TempDir dir, tmp;
    const std::string scene = writeScene(dir, 3);
    for (const std::string& target : {dir.path("fly.avi"), dir.path("missing/fly.mp4")}) {
        SCOPED_TRACE(target);
        CliRun r = runRender({"render", scene, "--video", target, "--frames"}, tmp);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(target), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"hill.tga", "scene.ovs"}));
    }
    EXPECT_NE(runRender({"render", scene, "--video", dir.path("fly.avi")}, tmp).err.find(".mp4"),
              std::string::npos);

    // The video's options alone, or out of range, are usage errors.
    EXPECT_EQ(runRender({"render", scene, "--frames"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--fps", "30"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--video", dir.path("fly.mp4"), "--fps", "0"}, tmp).status, 2);
    EXPECT_EQ(runRender({"render", scene, "--video", dir.path("fly.mp4"), "--mode", "preview"}, tmp).status,
              2);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"hill.tga", "scene.ovs"}));
}

#endif
