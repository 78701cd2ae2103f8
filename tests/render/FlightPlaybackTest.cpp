// The player's flight, pacing and profile: a frame shown out of order is the frame the run wrote, the
// frames follow the clock, and the profile holds what the recorder lists.
#include "render/FlightPlayback.h"
#include "RunTestSupport.h"
#include "render/FlightProfile.h"
#include "render/FramePacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;

// A curved flight round the hill: every frame's camera depends on all the steps before it.
CSceneParams curvedHillScene(const TempDir& dir, int total) {
    CSceneParams s = hillScene(dir, total);
    s.PathType = 1;
    s.ClearPathPoints();
    s.SetPathPoint(0, 6, 6);
    s.SetPathPoint(1, 27, 8);
    s.SetPathPoint(2, 26, 27);
    s.SetPathPoint(3, 7, 25);
    s.To = total - 2;
    s.FocalLengthA = 30;
    s.PitchA = -70;
    s.RollFactor = 30;
    s.AverageHeight = 40;
    s.UseRecorder = 1;
    return s;
}

class FlightPlaybackTest : public ::testing::Test, public RunSetup<> {};

} // namespace

TEST_F(FlightPlaybackTest, AnyFrameShownOutOfOrderIsTheFrameTheRunWrote) {
    const CSceneParams scene = curvedHillScene(out, 8);
    RunOptions final;
    const RunResult run = runScene(scene, final);
    ASSERT_EQ(run.outcome, RunOutcome::Completed);
    ASSERT_EQ(run.written.size(), 7u);

    auto playback = FlightPlayback::Load(scene, platform, 10);
    ASSERT_TRUE(playback);
    ASSERT_EQ(playback->frameCount(), 7);
    CTGAFile shown(platform);
    NullProgress progress;
    // Last, first and a middle frame, in that order: no state is carried from one shown frame to the next.
    for (int position : {6, 0, 3}) {
        playback->RenderShaded(position, 1.0, shown, 2, progress);
        const std::string written = TempDir::read(run.written[static_cast<size_t>(position)]);
        const std::string pixels(reinterpret_cast<const char*>(shown.pixelAt(0, 0)),
                                 static_cast<size_t>(shown.GetWidth()) * shown.GetHeight() * 3);
        EXPECT_EQ(written.substr(18), pixels) << "frame " << position;
    }

    // The wire model of a frame is the Preview's, and a smaller shaded frame sees the same view.
    RecordingObserver preview;
    RunOptions previewOptions;
    previewOptions.mode = RenderMode::Preview;
    ASSERT_EQ(runScene(scene, previewOptions, &preview).outcome, RunOutcome::Completed);
    ASSERT_EQ(preview.wires.size(), 7u);
    EXPECT_EQ(playback->WireFrame(4), preview.wires[4]);
    EXPECT_DOUBLE_EQ(playback->FitScale(16, 100), 0.5);
    CTGAFile full(platform), half(platform);
    playback->RenderShaded(2, 1.0, full, 1, progress);
    playback->RenderShaded(2, 0.5, half, 1, progress);
    ASSERT_EQ(half.GetWidth(), 16);
    ASSERT_EQ(half.GetHeight(), 12);
    // The same view, halved: about the same share of the picture shows sky (the background's grey).
    auto skyShare = [](const CTGAFile& p) {
        const uint8_t* sky = p.pixelAt(0, p.GetHeight() - 1);
        int count = 0;
        for (int y = 0; y < p.GetHeight(); ++y)
            for (int x = 0; x < p.GetWidth(); ++x) count += std::memcmp(p.pixelAt(x, y), sky, 3) == 0;
        return double(count) / (p.GetWidth() * p.GetHeight());
    };
    EXPECT_GT(skyShare(full), 0.1);
    EXPECT_LT(skyShare(full), 0.9);
    EXPECT_NEAR(skyShare(half), skyShare(full), 0.1);
}

TEST(FramePacer, FramesFollowTheClockPauseHoldsAndSeekGoesOnFromThere) {
    auto now = std::chrono::steady_clock::time_point{} + 1h;
    FramePacer pacer(50, 25.0, [&] { return now; });
    pacer.play();
    now += 39ms;
    EXPECT_FALSE(pacer.advance());
    EXPECT_EQ(pacer.position(), 0);
    now += 1ms;
    EXPECT_TRUE(pacer.advance());
    EXPECT_EQ(pacer.position(), 1);
    // A slow frame: the frames it took the time of are skipped, not played late.
    now += 200ms;
    EXPECT_TRUE(pacer.advance());
    EXPECT_EQ(pacer.position(), 6);

    pacer.pause();
    now += 10s;
    EXPECT_FALSE(pacer.advance());
    EXPECT_EQ(pacer.position(), 6);
    pacer.play(); // from where it paused, not from the time it has been paused
    now += 40ms;
    pacer.advance();
    EXPECT_EQ(pacer.position(), 7);

    pacer.seek(30);
    EXPECT_EQ(pacer.position(), 30);
    now += 80ms;
    pacer.advance();
    EXPECT_EQ(pacer.position(), 32);

    // The end stops play; play again starts from the first frame.
    now += 1h;
    pacer.advance();
    EXPECT_EQ(pacer.position(), 49);
    EXPECT_FALSE(pacer.playing());
    pacer.play();
    EXPECT_EQ(pacer.position(), 0);
    EXPECT_TRUE(pacer.playing());
}

TEST(FlightProfile, SeriesHoldTheRecorderValuesAndOddInputsGiveFiniteNumbers) {
    std::vector<ProfileSample> samples;
    for (int i = 0; i < 5; ++i) {
        RecorderRow row;
        row.altitude = 100 + 10 * i;
        row.relativeAltitude = i == 2 ? 0.0 : 30.0; // touches the ground at frame 12
        row.pitch = -5 + i;
        row.roll = 20 - 10 * i;
        samples.push_back({10 + i, row});
    }
    const PlotPicture pic = LayoutProfile(samples, 800, 500);
    auto series = [&](const std::string& key) -> const PlotLine& {
        for (const PlotLine& l : pic.lines)
            if (l.series == key) return l;
        throw std::runtime_error("no series " + key);
    };
    for (const std::string& key : ProfileSeriesKeys()) {
        ASSERT_EQ(series(key).points.size(), 5u) << key;
        // Frames run from left to right.
        EXPECT_LT(series(key).points.front().x, series(key).points.back().x) << key;
    }
    const PlotLine& altitude = series("altitude");
    const PlotLine& ground = series("ground");
    EXPECT_LT(altitude.points[0].y, ground.points[0].y); // above the ground (smaller y is higher)
    EXPECT_DOUBLE_EQ(altitude.points[2].y, ground.points[2].y);
    EXPECT_LT(series("roll").points[0].y, series("roll").points[4].y); // roll falls over the frames

    const std::string svg = ProfileSvg(pic);
    for (const std::string& key : ProfileSeriesKeys())
        EXPECT_NE(svg.find("id=\"" + key + "\""), std::string::npos) << key;
    // No frames, one frame, a flat series: still a picture with finite numbers.
    for (size_t n : {0u, 1u}) {
        const std::string odd = ProfileSvg(LayoutProfile({samples.begin(), samples.begin() + n}, 300, 200));
        EXPECT_EQ(odd.find("nan"), std::string::npos) << n;
        EXPECT_EQ(odd.find("inf"), std::string::npos) << n;
        EXPECT_NE(odd.find("</svg>"), std::string::npos) << n;
    }
}
