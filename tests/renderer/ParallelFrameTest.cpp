// A frame shared by threads (by picture rows) and the direct texture samplers: both must give exactly the
// bytes of the plain single-threaded frame through the image document's own samplers.

#include "RendererSupport.h"

#include "app/Progress.h"
#include "renderer/GridFrame.h"
#include "renderer/SharedFrame.h"
#include "renderer/TerrainRenderer.h"
#include "renderer/TextureSampler.h"
#include "renderer/TriangleRasterizer.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace rtest;

namespace {

struct Scene {
    std::unique_ptr<CGelaende> terrain = RollingHills();
    std::unique_ptr<CTGAFile> texture = PatternTexture();
    Vector4 light = Vector4::Direction(-0.48, -0.6, 0.64);
    // Low and close: near texels magnified (the filter), far ones averaged over the footprint.
    RenderCamera cam = MakeCamera(211, 157, Vector4::Point(-8, -6, 40), 40, -22, 150, 5, light);

    FrameInputs Inputs(CTGAFile& out, int texture_) const {
        FrameInputs in;
        in.camera = &cam;
        in.elevation = terrain.get();
        in.zScale = 0.01;
        in.texture = texture_ ? texture.get() : nullptr;
        in.output = &out;
        in.hq = texture_ == 2;
        in.light = light;
        in.dust = 150;
        in.gridX = in.gridY = 48;
        return in;
    }
};

} // namespace

TEST(ParallelFrame, RowSharesDeferredShadingAndDirectSamplersGiveTheBytesOfThePlainFrame) {
    const Scene scene;
    const TextureSampler sampler(*scene.texture, 10); // the texture's antialiasing (the default)
    for (RenderMode mode : {RenderMode::Final, RenderMode::Raw}) {
        for (int texture : {0, 1, 2}) {
            SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(mode) << " texture " << texture);
            auto plainOut = MakePicture(211, 157, 30);
            FrameInputs plain = scene.Inputs(*plainOut, texture);
            plain.mode = mode;
            NullProgress none;
            const FrameStats plainStats = RenderTerrainFrame(plain, none);
            ASSERT_GT(plainStats.pixelsWritten, 211 * 157 / 2);

            for (int threads : {1, 2, 3, 7})
                for (bool deferred : {false, true}) {
                    SCOPED_TRACE(::testing::Message() << threads << " threads, deferred " << deferred);
                    auto out = MakePicture(211, 157, 30);
                    FrameInputs in = scene.Inputs(*out, texture);
                    in.mode = mode;
                    in.threads = threads;
                    in.deferShading = deferred;
                    in.sampler = &sampler;
                    const FrameStats stats = RenderTerrainFrame(in, none);
                    EXPECT_EQ(Bytes(*out), Bytes(*plainOut));
                    EXPECT_EQ(stats.trianglesDrawn, plainStats.trianglesDrawn);
                    EXPECT_EQ(stats.pixelsWritten, plainStats.pixelsWritten);
                }
        }
    }
}

TEST(ParallelFrame, RowSharesKeepToTheirRowLimits) {
    const Scene scene;
    auto whole = MakePicture(211, 157, 30);
    NullProgress none;
    RenderTerrainFrame(scene.Inputs(*whole, 2), none);
    // Rows 40 to 99 only, by three threads: the rest keeps the background.
    auto part = MakePicture(211, 157, 30);
    FrameInputs in = scene.Inputs(*part, 2);
    in.firstRow = 40;
    in.endRow = 100;
    in.threads = 3;
    in.deferShading = true;
    RenderTerrainFrame(in, none);
    for (int y = 0; y < 157; ++y) {
        const bool inside = y >= 40 && y < 100;
        const uint8_t* a = whole->pixelAt(0, y);
        const uint8_t* b = part->pixelAt(0, y);
        for (int i = 0; i < 3 * 211; ++i) {
            ASSERT_EQ(b[i], inside ? a[i] : 30) << "row " << y << " byte " << i;
        }
    }
}

TEST(ParallelFrame, ProgressPumpAndStopStayOnTheCallingThread) {
    const Scene scene;
    RecordingProgress single, two;
    {
        auto out = MakePicture(211, 157, 30);
        RenderTerrainFrame(scene.Inputs(*out, 2), single);
    }
    {
        auto out = MakePicture(211, 157, 30);
        FrameInputs in = scene.Inputs(*out, 2);
        in.threads = 2;
        RenderTerrainFrame(in, two);
    }
    // The calling thread walks the frame as a single thread would (the recording progress is not
    // thread-safe: a call from another thread would show up here, or under the sanitizers).
    EXPECT_EQ(two.reports, single.reports);
    EXPECT_GE(two.pumps, single.pumps);

    // A stop seen by the calling thread ends the others' passes too. Requested from the start, it leaves
    // exactly what one thread leaves: the quadrants and the first strip end at once, the other strips
    // (which do not look at the request) are drawn.
    class AlwaysStop : public Progress {
    public:
        bool stopRequested() const override { return true; }
    } always;
    auto oneOut = MakePicture(211, 157, 30);
    const FrameStats oneStats = RenderTerrainFrame(scene.Inputs(*oneOut, 0), always);
    for (int threads : {2, 3})
        for (bool deferred : {false, true}) { // (deferred: the threads walk ranges of rows apart)
            auto out = MakePicture(211, 157, 30);
            FrameInputs in = scene.Inputs(*out, 0);
            in.threads = threads;
            in.deferShading = deferred;
            const FrameStats stats = RenderTerrainFrame(in, always);
            EXPECT_EQ(Bytes(*out), Bytes(*oneOut)) << threads << " threads, deferred " << deferred;
            EXPECT_EQ(stats.pixelsWritten, oneStats.pixelsWritten);
        }
    auto full = MakePicture(211, 157, 30);
    NullProgress none;
    EXPECT_LT(oneStats.pixelsWritten, RenderTerrainFrame(scene.Inputs(*full, 0), none).pixelsWritten / 2);
}

TEST(ParallelFrame, RowSelectionMeetsExactlyTheRangesHoldingOneOfItsRows) {
    for (int count : {1, 2, 3}) {
        for (int index = 0; index < count; ++index) {
            const RowSelection rows{5, 70, 4, count, index};
            for (int low = -3; low < 80; ++low) {
                for (int high = low - 1; high < 80; ++high) {
                    bool any = false;
                    for (int s = low; s <= high; ++s) any = any || rows.Contains(s);
                    ASSERT_EQ(rows.Meets(low, high), any)
                        << count << " " << index << " " << low << " " << high;
                }
            }
        }
    }
}

TEST(ParallelFrame, RangesOfRowsCoverEveryRowOnceAndCutOnlyWhereBlocksMayReach) {
    // Blocks reach the rows [300, 420) of 1000 only, most of them a band below the horizon: every row
    // still belongs to exactly one range, each range is handed out once, the cuts lie among the rows with
    // work, and no range is longer than allowed.
    std::vector<int> blocks(1000, 0);
    for (int row = 300; row < 420; ++row) blocks[static_cast<size_t>(row)] = row < 400 ? 50 : 3000;
    for (int threads : {1, 2, 3, 7}) {
        for (int mostRows : {1000, 150}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, at most " << mostRows << " rows");
            const RowRanges cut = CutRows(10, 1000, threads, blocks, mostRows);
            ASSERT_GE(cut.bounds.size(), 2u);
            EXPECT_EQ(cut.bounds.front(), 10);
            EXPECT_EQ(cut.bounds.back(), 1000);
            const int ranges = static_cast<int>(cut.bounds.size()) - 1;
            if (threads > 1) {
                EXPECT_GE(ranges, 4 * threads);
            }
            for (int r = 0; r < ranges; ++r) {
                EXPECT_LT(cut.bounds[r], cut.bounds[r + 1]);
                EXPECT_LE(cut.bounds[r + 1] - cut.bounds[r], mostRows);
                if (mostRows == 1000 && r > 0) {
                    EXPECT_GT(cut.bounds[r], 300);
                    EXPECT_LT(cut.bounds[r], 420);
                }
            }
            std::vector<int> order = cut.order;
            std::sort(order.begin(), order.end());
            for (int r = 0; r < ranges; ++r) EXPECT_EQ(order[static_cast<size_t>(r)], r);
        }
    }
    // Without an estimate, or without rows that blocks reach, the rows are cut evenly.
    const RowRanges even = CutRows(0, 100, 2, {}, 100);
    EXPECT_EQ(even.bounds, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_EQ(CutRows(0, 100, 2, std::vector<int>(100, 0), 100).bounds, even.bounds);
}

TEST(TextureSampler, GivesWhatTheDocumentsSamplersGive) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int antialiasing : {0, 3, 10}) {
        SCOPED_TRACE(::testing::Message() << "antialiasing " << antialiasing);
        CTGAFile texture(platform(), antialiasing);
        ASSERT_TRUE(texture.CreateImage(13, 9));
        texture.FillColor(0x00336699); // also makes it the outside colour
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) {
                uint8_t* p = texture.pixelAt(x, y);
                p[0] = static_cast<uint8_t>(x * 19 + y);
                p[1] = static_cast<uint8_t>(y * 27);
                p[2] = static_cast<uint8_t>((x * y * 7) & 0xFF);
            }
        const TextureSampler sampler(texture, antialiasing);
        FilterCache cache;
        for (double y = -2.3; y < 11; y += 0.37) {
            for (double x = -2.1; x < 15; x += 0.41) {
                EXPECT_EQ(sampler.Pixel(x, y), texture.GetPixel(x, y)) << x << "," << y;
                EXPECT_EQ(sampler.Filtered(x, y), texture.SampleFiltered(x, y, cache)) << x << "," << y;
                const double points[5][2] = {{x, y}, {x + 0.7, y}, {x, y - 1.2}, {x - 2, y + 0.5}, {y, x}};
                EXPECT_EQ(sampler.Average5(points), texture.SampleAverage5(points)) << x << "," << y;
            }
        }
        EXPECT_EQ(sampler.Pixel(nan, 1), texture.GetPixel(nan, 1));
        EXPECT_EQ(sampler.Filtered(nan, nan), texture.SampleFiltered(nan, nan, cache));
        EXPECT_EQ(sampler.Filtered(4, nan), texture.SampleFiltered(4, nan, cache));
        EXPECT_EQ(sampler.Filtered(1e300, 4), texture.SampleFiltered(1e300, 4, cache));
    }
}

TEST(TextureSampler, ATextureTooLargeForTheTableIsFilteredFromItsBytes) {
    const int side = 2049; // just over TextureSampler::kMaxTableTexels
    ASSERT_GT(static_cast<long long>(side) * side, TextureSampler::kMaxTableTexels);
    CTGAFile texture(platform(), 4);
    ASSERT_TRUE(texture.CreateImage(side, side));
    for (int y = 0; y < side; y += 1) {
        uint8_t* p = texture.pixelAt(0, y);
        for (int i = 0; i < 3 * side; ++i) p[i] = static_cast<uint8_t>(i * 7 + y * 13);
    }
    const TextureSampler sampler(texture, 4);
    FilterCache cache;
    for (double x : {1.5, 17.25, 1000.6, 2045.9})
        for (double y : {1.5, 300.3, 2045.4})
            EXPECT_EQ(sampler.Filtered(x, y), texture.SampleFiltered(x, y, cache)) << x << "," << y;
}

TEST(ParallelFrame, DeferredShadingThatRunsOutOfRoomShadesWhatItHasAndGoesOn) {
    // A limit of a few kept triangles makes the rasteriser shade and forget many times during the frame.
    const Scene scene;
    const TextureSampler sampler(*scene.texture, 10);
    auto plain = MakePicture(211, 157, 30);
    NullProgress none;
    RenderTerrainFrame(scene.Inputs(*plain, 2), none);
    for (size_t limit : {1, 7, 500}) {
        auto out = MakePicture(211, 157, 30);
        const FrameInputs in = scene.Inputs(*out, 2);
        TriangleShader shader(*in.camera, in.texture, in.hq, in.light, &sampler);
        TriangleRasterizer rasterizer(*in.camera, shader, *out);
        rasterizer.SetDeferred(true, limit);
        const WalkPlan plan = PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode);
        CellWalker walker(plan, *in.elevation, in.zScale, in.dust, rasterizer);
        WalkFrame(plan, walker, none);
        rasterizer.Finish(none);
        EXPECT_EQ(Bytes(*out), Bytes(*plain)) << "limit " << limit;
    }
}

TEST(ParallelFrame, ThreadsHeldBackByTheSlowestStillGiveTheBytesOfOneThread) {
    // Only as many units built ahead as there are threads: the quick threads keep waiting for the slowest
    // one (here the thread whose rows hold the most pixels), and the frame still comes out whole.
    const Scene scene;
    for (bool deferred : {false, true}) {
        auto one = MakePicture(211, 157, 30);
        FrameInputs plain = scene.Inputs(*one, 2);
        plain.deferShading = deferred;
        NullProgress none;
        const FrameStats alone = RenderTerrainFrame(plain, none);
        for (int threads : {2, 3, 5}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, deferred " << deferred);
            auto out = MakePicture(211, 157, 30);
            FrameInputs in = scene.Inputs(*out, 2);
            in.deferShading = deferred;
            const FrameStats shared = RenderSharedFrame(in, threads, none, 1);
            EXPECT_EQ(Bytes(*out), Bytes(*one));
            EXPECT_EQ(shared.trianglesDrawn, alone.trianglesDrawn);
            EXPECT_EQ(shared.pixelsWritten, alone.pixelsWritten);
        }
    }
}
