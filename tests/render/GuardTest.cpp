// The guard of the renderer's output: a set of varied scenes (quick and exact texture lookup, a mask with
// YUV output, a raw frame, a curved flight with the recorder) rendered through the whole run and compared,
// file by file, with the hashes recorded from the plain single-threaded renderer. Every way of spreading the
// work over threads must write the same bytes. Each scene is also rendered the way earlier versions lit
// triangles whose corners project onto one line (the dust alone): those frames keep the hashes recorded
// before that mend, so the mend changed nothing else. A supersampled frame must be the box average of the
// frame rendered at the larger size.

#include "RunTestSupport.h"
#include "app/Settings.h"
#include "image/TGAFile.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// 64-bit FNV-1a.
uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// A 97 x 81 terrain of ridges and a flat basin at elevation 0.
void writeRidges(const std::string& path) {
    writeTga(path, 97, 81, [](int x, int y) {
        const double h = 900 + 600 * std::sin(x * 0.11) * std::cos(y * 0.07) +
                         350 * std::sin((x + 2 * y) * 0.09) -
                         1400 * std::exp(-((x - 70) * (x - 70) + (y - 20) * (y - 20)) / 90.0);
        return static_cast<uint32_t>(h > 0 ? h : 0);
    });
}

// A texture with detail at every scale: stripes, a checkerboard and a gradient.
void writeTexture(const std::string& path, int w, int h) {
    writeTga(path, w, h, [](int x, int y) {
        const uint32_t b = static_cast<uint32_t>(40 + (x * 7) % 180);
        const uint32_t g = ((x / 6 + y / 6) % 2) ? 200u : 70u;
        const uint32_t r = static_cast<uint32_t>(30 + (y * 3 + x) % 200);
        return b | (g << 8) | (r << 16);
    });
}

CSceneParams baseScene(const TempDir& dir, int frames) {
    writeRidges(dir.path("ridges.tga"));
    writeTexture(dir.path("texture.tga"), 97, 81);
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = dir.path("ridges.tga");
    s.TextureFileName = dir.path("texture.tga");
    s.OutputFileName = dir.path("frame%03d.tga");
    s.SizeX = 120;
    s.SizeY = 90;
    s.Total = frames;
    s.From = 0;
    s.To = frames - 1;
    s.XA = -15, s.YA = -10, s.ZA = 70;
    s.XE = 30, s.YE = 5, s.ZE = 45;
    s.HeadingA = 40, s.HeadingE = 55;
    s.PitchA = -20, s.PitchE = -28;
    s.FocalLengthA = 90, s.FocalLengthE = 110;
    s.RollA = 0, s.RollE = 6;
    s.LightX = -0.5, s.LightY = 0.6, s.LightZ = 0.62;
    s.DustA = 150, s.DustE = 90;
    s.Smoothness = 0.2;
    s.ElevScaleX = s.ElevScaleY = 1.0;
    s.ElevScaleZA = 0.02, s.ElevScaleZE = 0.03;
    s.GridX = 64;
    s.GridY = 54;
    s.UseRecorder = 1;
    return s;
}

// Low over the textured terrain with the exact lookup: the near texels are magnified (the 4 x 4 filter),
// the far ones averaged, the sky shows the background colour.
CSceneParams lowTexturedScene(const TempDir& dir, int frames) {
    CSceneParams s = baseScene(dir, frames);
    s.UseTextureFile = 1;
    s.HQ = 1;
    s.ZA = 30, s.ZE = 26;
    s.UseBackgroundColor = 1;
    s.BackgroundColor = 0x00E6BE96;
    return s;
}

// How a run spreads its work.
struct Spread {
    const char* name;
    int frameThreads;
    int rowThreads;
    bool deferShading;
};

class GuardTest : public ::testing::TestWithParam<Spread>, public RunSetup<ScriptedPlatform, NullProgress> {
protected:
    // Runs the scene and lists every file of the output folder with its hash, in name order.
    std::string render(const CSceneParams& scene, RenderMode mode,
                       CollinearShading collinear = CollinearShading::SumOfNormals) {
        RunOptions options = spreadOptions();
        options.collinear = collinear;
        options.mode = mode;
        const RunResult r = runScene(scene, options);
        EXPECT_EQ(r.outcome, RunOutcome::Completed);
        EXPECT_TRUE(platform.shown.empty());
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out.path()))
            if (e.path().filename() != "ridges.tga" && e.path().filename() != "texture.tga" &&
                e.path().filename() != "mask.tga")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string listing;
        for (const auto& n : names) {
            char line[128];
            std::snprintf(line, sizeof line, "%s %016llx\n", n.c_str(),
                          static_cast<unsigned long long>(Fnv1a(TempDir::read(out.path(n)))));
            listing += line;
        }
        // The files were announced in frame order.
        EXPECT_TRUE(std::is_sorted(r.written.begin(), r.written.end()));
        return listing;
    }
    RunOptions spreadOptions() const {
        RunOptions options;
        options.frameThreads = GetParam().frameThreads;
        options.rowThreads = GetParam().rowThreads;
        options.deferShading = GetParam().deferShading;
        return options;
    }
    // The listing now, and the one of earlier versions' collinear triangles.
    void expectListings(const CSceneParams& scene, RenderMode mode, const char* now, const char* earlier) {
        EXPECT_EQ(render(scene, mode, CollinearShading::ZeroNormal), earlier) << "earlier versions' frames";
        EXPECT_EQ(render(scene, mode), now);
    }
};

} // namespace

TEST_P(GuardTest, QuickTextureLookup) {
    CSceneParams s = baseScene(out, 4);
    s.UseTextureFile = 1;
    s.HQ = 0;
    expectListings(s, RenderMode::Final, /* now */
                   "OVRECORD.XLS e26e3c4f135150e6\n"
                   "frame000.tga 2d3251cd7b01d044\n"
                   "frame001.tga 100a79be334f8771\n"
                   "frame002.tga c9d27c79d14f0f7f\n"
                   "frame003.tga 7a175db823690af1\n",
                   /* earlier */
                   "OVRECORD.XLS e26e3c4f135150e6\n"
                   "frame000.tga b66ebed6f4745c9a\n"
                   "frame001.tga 7c9e1f4438e3ccde\n"
                   "frame002.tga 7e4622f0f3de13a1\n"
                   "frame003.tga 73fd6b92b9060019\n");
}

TEST_P(GuardTest, ExactTextureLookupNearAndFar) {
    const CSceneParams s = lowTexturedScene(out, 3);
    expectListings(s, RenderMode::Final, /* now */
                   "OVRECORD.XLS 18f92e9abd79cf58\n"
                   "frame000.tga c417f3a9824d90e0\n"
                   "frame001.tga 7cbd3a4968a0e2ec\n"
                   "frame002.tga d7b5b01737e239a9\n",
                   /* earlier */
                   "OVRECORD.XLS 18f92e9abd79cf58\n"
                   "frame000.tga d2ea6af14b33d630\n"
                   "frame001.tga a5e78c4deb6c7ef6\n"
                   "frame002.tga d7b5b01737e239a9\n");
}

TEST_P(GuardTest, MaskAndBothOutputFormats) {
    CSceneParams s = baseScene(out, 2);
    s.UseRecorder = 0;
    writeTga(out.path("mask.tga"), 120, 90, [](int x, int y) -> uint32_t {
        if (y == 0 && x < 3) return x == 0 ? 0x000000u : x == 1 ? 0x0000FFu : 0x00FF00u;
        if (x < 20) return 0x000000u;          // transparent
        if (x < 40) return 0x0000FFu;          // brighter
        if (y < 30) return 0x00FF00u;          // darker
        return y < 40 ? 0x123456u : 0x000000u; // opaque band
    });
    s.UseMaskFile = 1;
    s.MaskFileName = out.path("mask.tga");
    s.OutputFileFormat = 2;
    expectListings(s, RenderMode::Final, /* now */
                   "frame000.tga 3388f37e80e8f99d\n"
                   "frame000.yuv f5ec4fafc715f759\n"
                   "frame001.tga 8a2500d69dcfef2e\n"
                   "frame001.yuv b35ee10605879301\n",
                   /* earlier */
                   "frame000.tga 294cecdfe3fd41d1\n"
                   "frame000.yuv 45a3d8b30fad6125\n"
                   "frame001.tga dfefde0bc0ece04d\n"
                   "frame001.yuv 203e3fc966474d2b\n");
}

TEST_P(GuardTest, RawFramesWithoutTexture) {
    CSceneParams s = baseScene(out, 3);
    s.GridX = 97;
    s.GridY = 81;
    expectListings(s, RenderMode::Raw, /* now */
                   "OVRECORD.XLS 018585761561527c\n"
                   "frame000.tga 7f37b2058f0ce242\n"
                   "frame001.tga eee93a63c11d7d4e\n"
                   "frame002.tga 7e8c7bd4a98507b1\n",
                   /* earlier */
                   "OVRECORD.XLS 018585761561527c\n"
                   "frame000.tga f09012ce5708f82f\n"
                   "frame001.tga 649300c5a53f6775\n"
                   "frame002.tga 5ea07365767ff48e\n");
}

TEST_P(GuardTest, CurvedFlightWithRecorder) {
    CSceneParams s = baseScene(out, 7);
    s.PathType = 1;
    s.UseTextureFile = 1;
    s.HQ = 1;
    s.SetPathPoint(0, 30, 30);
    s.SetPathPoint(1, 65, 25);
    s.SetPathPoint(2, 70, 55);
    s.SetPathPoint(3, 35, 60);
    s.AverageHeight = 50;
    s.RollFactor = 6;
    s.PreviewRange = 3;
    s.FocalLengthA = 100;
    s.PitchA = -45;
    expectListings(s, RenderMode::Final, /* now */
                   "OVRECORD.XLS 5d87e3f4bbeb29e0\n"
                   "frame000.tga 1acc5463c210d4e4\n"
                   "frame001.tga f74132244b2a0678\n"
                   "frame002.tga 66ca0d65f5ff98d5\n"
                   "frame003.tga 1de521a807f3a129\n"
                   "frame004.tga aff639d0f3e352bc\n"
                   "frame005.tga a2d1c6a8887acb56\n",
                   /* earlier */
                   "OVRECORD.XLS 5d87e3f4bbeb29e0\n"
                   "frame000.tga 41c76bf52160ab35\n"
                   "frame001.tga f74132244b2a0678\n"
                   "frame002.tga 66ca0d65f5ff98d5\n"
                   "frame003.tga 1de521a807f3a129\n"
                   "frame004.tga aff639d0f3e352bc\n"
                   "frame005.tga a2d1c6a8887acb56\n");
}

TEST_P(GuardTest, SupersampledFramesAreTheBoxAverageOfTheFramesRenderedLarger) {
    // Ridges against the sky, texture detail and dust.
    CSceneParams s = lowTexturedScene(out, 2);
    auto frames = [&](CSceneParams scene, const std::string& prefix) {
        scene.OutputFileName = out.path(prefix + "%03d.tga");
        const RunResult r = runScene(scene, spreadOptions());
        EXPECT_EQ(r.outcome, RunOutcome::Completed);
        std::vector<std::string> files;
        for (const std::string& name : r.written) files.push_back(TempDir::read(name));
        return files;
    };
    const std::vector<std::string> plain = frames(s, "plain");
    const std::string plainRecorder = TempDir::read(out.path("OVRECORD.XLS"));
    // The same view at twice the size: twice the focal length.
    CSceneParams large = s;
    large.SizeX *= 2, large.SizeY *= 2;
    large.FocalLengthA *= 2, large.FocalLengthE *= 2;
    const std::vector<std::string> big = frames(large, "large");
    s.Supersampling = 2;
    const std::vector<std::string> smooth = frames(s, "smooth");
    // The recorder keeps the scene's camera.
    EXPECT_EQ(TempDir::read(out.path("OVRECORD.XLS")), plainRecorder);

    ASSERT_EQ(smooth.size(), 2u);
    ASSERT_EQ(big.size(), 2u);
    const size_t header = 18, w = 120, h = 90;
    for (size_t i = 0; i < smooth.size(); ++i) {
        ASSERT_EQ(big[i].size(), header + 4 * w * h * 3);
        // Each pixel, per channel, the mean of its 2 x 2 block rounded to nearest (rows bottom first in
        // both).
        std::string expected = plain[i].substr(0, header);
        for (size_t y = 0; y < h; ++y)
            for (size_t x = 0; x < w; ++x)
                for (size_t c = 0; c < 3; ++c) {
                    unsigned sum = 0;
                    for (size_t dy = 0; dy < 2; ++dy)
                        for (size_t dx = 0; dx < 2; ++dx)
                            sum += static_cast<uint8_t>(
                                big[i][header + ((2 * y + dy) * 2 * w + 2 * x + dx) * 3 + c]);
                    expected += static_cast<char>((sum + 2) / 4);
                }
        EXPECT_TRUE(smooth[i] == expected) << "frame " << i;
        EXPECT_NE(smooth[i], plain[i]) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Spreads, GuardTest,
                         ::testing::Values(Spread{"OneThread", 1, 1, false},
                                           Spread{"FramesInParallel", 3, 1, false},
                                           Spread{"RowsInParallel", 1, 3, false}, Spread{"Both", 2, 2, false},
                                           Spread{"Deferred", 1, 1, true},
                                           Spread{"DeferredFrames", 3, 1, true},
                                           Spread{"DeferredRows", 1, 2, true}),
                         [](const ::testing::TestParamInfo<Spread>& info) { return info.param.name; });
