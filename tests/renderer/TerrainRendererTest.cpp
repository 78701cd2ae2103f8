#include "RendererSupport.h"

#include "app/Progress.h"
#include "renderer/TerrainRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace rtest;

namespace {

struct Scene {
    std::unique_ptr<CGelaende> terrain = RollingHills();
    std::unique_ptr<CTGAFile> texture = PatternTexture();
    Vector4 light = Vector4::Direction(-0.48, -0.6, 0.64);
    RenderCamera cam = MakeCamera(200, 150, Vector4::Point(-15, -10, 90), 40, -30, 150, 5, light);

    FrameInputs Inputs(CTGAFile& out, bool hq = true) const {
        FrameInputs in;
        in.camera = &cam;
        in.elevation = terrain.get();
        in.zScale = 0.01;
        in.texture = texture.get();
        in.output = &out;
        in.hq = hq;
        in.light = light;
        in.dust = 150;
        in.gridX = in.gridY = 48;
        in.mode = RenderMode::Final;
        return in;
    }
    std::vector<uint8_t> Render(bool hq = true) const {
        auto out = MakePicture(200, 150, 30);
        NullProgress none;
        RenderTerrainFrame(Inputs(*out, hq), none);
        return Bytes(*out);
    }
};

} // namespace

TEST(TerrainRenderer, SameFrameGivesSameBytesAgainAndInParallelThreads) {
    const Scene scene;
    const std::vector<uint8_t> first = scene.Render();
    const std::vector<uint8_t> background = Bytes(*MakePicture(200, 150, 30));
    ASSERT_NE(first, background); // something was drawn
    EXPECT_EQ(scene.Render(), first);

    // Two frames at once on the shared camera, terrain and texture.
    std::vector<uint8_t> a, b, c;
    std::thread t1([&] { a = scene.Render(); });
    std::thread t2([&] { b = scene.Render(); });
    std::thread t3([&] { c = scene.Render(false); });
    t1.join();
    t2.join();
    t3.join();
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, first);
    EXPECT_EQ(c, scene.Render(false));

    // A frame split by stored rows over two calls (in two threads) is the same frame.
    auto out = MakePicture(200, 150, 30);
    FrameInputs lower = scene.Inputs(*out), upper = scene.Inputs(*out);
    lower.endRow = 70;
    upper.firstRow = 70;
    NullProgress p1, p2;
    std::thread w1([&] { RenderTerrainFrame(lower, p1); });
    std::thread w2([&] { RenderTerrainFrame(upper, p2); });
    w1.join();
    w2.join();
    EXPECT_EQ(Bytes(*out), first);
}

TEST(TerrainRenderer, LevelGroundUnderLightStraightUpIsWhiteNearAndFar) {
    // Looking steeply down, so that no triangle is squeezed onto one screen line (those show the dust grey
    // alone). Dust 5 puts the view between three and seven dust distances, dust 1000 close to none.
    auto terrain = FlatTerrain(128, 128, 0);
    const Vector4 up = Vector4::Direction(0, 0, 1);
    RenderCamera cam = MakeCamera(160, 120, Vector4::Point(40, 40, 15), 45, -60, 100, 0, up);
    for (double dust : {5.0, 1000.0}) {
        auto out = MakePicture(160, 120, 40);
        FrameInputs in;
        in.camera = &cam;
        in.elevation = terrain.get();
        in.output = out.get();
        in.light = up;
        in.dust = dust;
        in.gridX = in.gridY = 64;
        NullProgress none;
        const FrameStats stats = RenderTerrainFrame(in, none);
        EXPECT_GT(stats.trianglesDrawn, 0);
        int white = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                const Bgr p = PixelOf(*out, x, y);
                if (p == Bgr{40, 40, 40}) continue;
                EXPECT_TRUE(p.b >= 254 && p.b == p.g && p.g == p.r) << x << "," << y << ": " << int(p.b);
                ++white;
            }
        }
        EXPECT_GT(white, 160 * 100) << "dust " << dust;
    }
}

TEST(TerrainRenderer, PreviewAndAGridWithoutCellsDrawNothing) {
    const Scene scene;
    auto out = MakePicture(200, 150, 30);
    const std::vector<uint8_t> before = Bytes(*out);
    NullProgress none;
    FrameInputs in = scene.Inputs(*out);
    in.mode = RenderMode::Preview;
    RenderTerrainFrame(in, none);
    in = scene.Inputs(*out);
    in.gridX = 0; // would otherwise be cells of infinite width
    EXPECT_EQ(RenderTerrainFrame(in, none).trianglesDrawn, 0);
    EXPECT_EQ(Bytes(*out), before);
}

TEST(TerrainRenderer, LeavingOutWhatCannotBeSeenChangesNoPixel) {
    // Cameras that put cells beside, behind, above and below the picture, and beyond the dust: the frame
    // with the cull is the frame without it, in every mode, shading and thread count.
    const Scene scene;
    const Vector4 light = scene.light;
    struct View {
        const char* what;
        RenderCamera cam;
        double dust;
    };
    const View views[] = {
        {"over the hills, narrow view",
         MakeCamera(200, 150, Vector4::Point(48, 20, 70), 20, -15, 400, 0, light), 150},
        {"far off, the terrain across the left edge",
         MakeCamera(200, 150, Vector4::Point(-300, 48, 120), 112, -14, 300, 0, light), 400},
        {"looking off the terrain", MakeCamera(200, 150, Vector4::Point(90, 90, 60), 45, -10, 150, 0, light),
         150},
        {"straight down", MakeCamera(200, 150, Vector4::Point(40, 50, 120), 0, -90, 150, 0, light), 150},
        {"from below the terrain", MakeCamera(200, 150, Vector4::Point(30, 30, -20), 60, 25, 150, 0, light),
         150},
        {"banked, short dust", MakeCamera(200, 150, Vector4::Point(-15, -10, 90), 40, -30, 150, 25, light),
         12},
        {"low between the hills, the near ones hiding the far ones",
         MakeCamera(200, 150, Vector4::Point(4, 6, 40), 40, -4, 150, 0, light), 400},
    };
    // Whether skipping what nearer terrain hides left out a good part of some frame (the view low between
    // the hills).
    bool muchHidden = false;
    for (const View& v : views) {
        for (RenderMode mode : {RenderMode::Final, RenderMode::Raw}) {
            for (bool deferred : {false, true}) {
                auto plainOut = MakePicture(200, 150, 30);
                FrameInputs plain = scene.Inputs(*plainOut);
                plain.camera = &v.cam;
                plain.dust = v.dust;
                plain.mode = mode;
                plain.deferShading = deferred;
                plain.viewCulling = false;
                plain.gridX = plain.gridY =
                    96; // a cell per pixel: blocks small enough to end at the picture's edges
                NullProgress none;
                const FrameStats all = RenderTerrainFrame(plain, none);
                for (int threads : {1, 2, 3, 7}) {
                    SCOPED_TRACE(::testing::Message() << v.what << ", mode " << static_cast<int>(mode) << ", "
                                                      << threads << " threads, deferred " << deferred);
                    auto out = MakePicture(200, 150, 30);
                    FrameInputs in = plain;
                    in.output = out.get();
                    in.threads = threads;
                    in.viewCulling = true;
                    const FrameStats culled = RenderTerrainFrame(in, none);
                    EXPECT_EQ(Bytes(*out), Bytes(*plainOut));
                    EXPECT_EQ(culled.pixelsWritten, all.pixelsWritten);
                    if (!deferred) continue;
                    // Walked near to far, leaving out blocks behind nearer terrain: still the same bytes.
                    auto nearFirst = MakePicture(200, 150, 30);
                    in.output = nearFirst.get();
                    in.skipHidden = true;
                    const FrameStats skipped = RenderTerrainFrame(in, none);
                    EXPECT_EQ(Bytes(*nearFirst), Bytes(*plainOut));
                    muchHidden = muchHidden || 4 * skipped.trianglesDrawn < 3 * culled.trianglesDrawn;
                }
            }
        }
    }
    EXPECT_TRUE(muchHidden);
}
