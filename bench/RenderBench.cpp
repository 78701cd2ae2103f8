// Renderer benchmarks, one frame per iteration.
//
// RenderFrame: a fixed synthetic terrain, a 512 x 512 height field of a few sines with a generated 512 x 512
// texture, seen obliquely from outside one corner so that the whole terrain is in view and the far side
// fades into the dust.
// LargeFrame: the large-terrain benchmark's 8192 x 8192 terrain and texture (bench/large-terrain writes them
// into BUILD_DIR/bench-data; ORVANTIS_BENCH_DATA names that folder), its camera and 1920 x 1080 picture, as
// orvantis-cli renders a frame of a flight: deferred shading, hidden terrain left out, the elevation
// pyramid made once beforehand. The frame alone, without reading the files.
// DemoFrame: the bundled demo's terrain and texture (examples/generated, made by scripts/run-demo; the
// cases are left out when they are missing), seen from the first camera of demo-straight.ovs, at
// 1920 x 1080 with grid 256 x 256 and the exact texture lookup.
//
// Arguments: deferred shading (0 off: every pixel write shaded, as the desktop application draws; 1 on: each
// pixel shaded once, as orvantis-cli renders) and the threads sharing the frame by rows. Counters per frame:
// triangles that reached the picture's rows, pixel writes, and the overdraw (pixel writes per picture pixel).

#include "app/Platform.h"
#include "app/Progress.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "renderer/ElevationPyramid.h"
#include "renderer/RenderCamera.h"
#include "renderer/TerrainRenderer.h"
#include "renderer/TextureSampler.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int kSize = 512;

struct World {
    SilentPlatform platform;
    CGelaende terrain{platform, 1.0, 1.0, true};
    CTGAFile texture{platform};

    World() {
        terrain.CreateImage(kSize, kSize);
        texture.CreateImage(kSize, kSize);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const double h = 6000 + 2500 * std::sin(x * 0.021) * std::cos(y * 0.017) +
                                 1200 * std::sin((x + 2 * y) * 0.045) + 400 * std::cos((3 * x - y) * 0.11);
                const uint32_t e = static_cast<uint32_t>(h);
                uint8_t* p = terrain.pixelAt(x, y);
                p[0] = static_cast<uint8_t>(e);
                p[1] = static_cast<uint8_t>(e >> 8);
                p[2] = static_cast<uint8_t>(e >> 16);
                uint8_t* t = texture.pixelAt(x, y);
                const bool check = ((x / 32) + (y / 32)) % 2 == 0;
                t[0] = static_cast<uint8_t>(60 + (x * 3) % 140);
                t[1] = static_cast<uint8_t>(check ? 170 : 90);
                t[2] = static_cast<uint8_t>(60 + (y * 5) % 150);
            }
        }
    }
};

const World& TheWorld() {
    static const World world;
    return world;
}

// An elevation file and its texture, read once from the folder the environment variable `folder` names
// (else `fallback`).
struct Terrain {
    SilentPlatform platform;
    CGelaende terrain{platform, 1.0, 1.0, true};
    CTGAFile texture{platform};
    bool ok = false;

    Terrain(const char* folder, const char* fallback, const char* elevationName, const char* textureName) {
        const char* env = std::getenv(folder);
        const std::string path = env ? env : fallback;
        ok = terrain.OpenImage(path + "/" + elevationName) && texture.OpenImage(path + "/" + textureName);
    }
};

// The demo's, from examples/generated.
const Terrain& TheDemo() {
    static const Terrain demo("ORVANTIS_DEMO_DATA", "examples/generated", "jacksboro-elev.tga",
                              "jacksboro-texture.tga");
    return demo;
}

// The large-terrain benchmark's, from BUILD/bench-data.
const Terrain& TheLarge() {
    static const Terrain large("ORVANTIS_BENCH_DATA", "build/bench-data", "elevation-8192.tga",
                               "texture-8192.tga");
    return large;
}

struct Case {
    const CGelaende* terrain;
    const CTGAFile* texture; // nullptr: none
    bool hq;
    int width, height;
    double grid, zScale, dust;
    Vector4 eye, light;
    double heading, pitch, focal;
    const ElevationPyramid* pyramid = nullptr; // none: each frame makes its own
    bool skipHidden = false;
};

void Render(benchmark::State& state, const Case& c, bool deferred, int threads) {
    RenderCamera camera(c.light, c.width, c.height, c.width / 2, -(c.height / 2));
    camera.Set(c.eye, c.heading, c.pitch, c.focal, 0);

    SilentPlatform platform;
    CTGAFile output(platform);
    output.CreateImage(c.width, c.height);

    FrameInputs in;
    in.camera = &camera;
    in.elevation = c.terrain;
    in.zScale = c.zScale;
    in.texture = c.texture;
    std::optional<TextureSampler> sampler;
    if (c.texture) sampler.emplace(*c.texture, 10); // the texture's antialiasing is the document's default
    in.sampler = sampler ? &*sampler : nullptr;
    in.output = &output;
    in.hq = c.hq;
    in.light = c.light;
    in.dust = c.dust;
    in.gridX = in.gridY = c.grid;
    in.mode = RenderMode::Final;
    in.deferShading = deferred;
    in.threads = threads;
    in.pyramid = c.pyramid;
    in.skipHidden = c.skipHidden;

    NullProgress progress;
    FrameStats stats;
    for (auto _ : state) {
        output.FillGray(160);
        stats = RenderTerrainFrame(in, progress);
        benchmark::DoNotOptimize(output.pixelData());
    }
    state.counters["triangles"] = static_cast<double>(stats.trianglesDrawn);
    state.counters["pixels"] = static_cast<double>(stats.pixelsWritten);
    state.counters["overdraw"] =
        static_cast<double>(stats.pixelsWritten) / (static_cast<double>(c.width) * c.height);
}

// Arguments: width, height, grid divisions, texture (0 none, 1 quick lookup, 2 exact lookup), deferred
// shading, threads.
void RenderFrame(benchmark::State& state) {
    const World& world = TheWorld();
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int texture = static_cast<int>(state.range(3));
    const Case c{&world.terrain,
                 texture ? &world.texture : nullptr,
                 texture == 2,
                 width,
                 height,
                 static_cast<double>(state.range(2)),
                 0.02,
                 500,
                 Vector4::Point(-60, -60, 260),
                 Vector4::Direction(-0.48, -0.6, 0.64),
                 45,
                 -22,
                 0.8 * width};
    Render(state, c, state.range(4) != 0, static_cast<int>(state.range(5)));
}

// Arguments: deferred shading, threads.
void DemoFrame(benchmark::State& state) {
    const Terrain& demo = TheDemo();
    if (!demo.ok) {
        state.SkipWithError("demo data missing: run scripts/run-demo first (or set ORVANTIS_DEMO_DATA)");
        return;
    }
    // demo-straight.ovs, first frame, at three times its width: the focal length scales with the picture.
    const Vector4 light = Vector4::Direction(-0.6, 0.8, 2.0);
    const Case c{&demo.terrain,
                 &demo.texture,
                 true,
                 1920,
                 1080,
                 256,
                 0.04,
                 700,
                 Vector4::Point(40, 30, 110),
                 light / Length3(light),
                 40,
                 -22,
                 3 * 420.0};
    Render(state, c, state.range(0) != 0, static_cast<int>(state.range(1)));
}

// Arguments: threads.
void LargeFrame(benchmark::State& state) {
    const Terrain& large = TheLarge();
    if (!large.ok) {
        state.SkipWithError(
            "large terrain missing: run bench/large-terrain first (or set ORVANTIS_BENCH_DATA)");
        return;
    }
    // The scene bench/large-terrain writes: over one corner, looking across the terrain.
    const Vector4 light = Vector4::Direction(-0.6, 0.8, 2.0);
    Case c{&large.terrain,
           &large.texture,
           true,
           1920,
           1080,
           8192,
           0.04,
           4000,
           Vector4::Point(300, 300, 1100),
           light / Length3(light),
           45,
           -8,
           1260};
    // The pyramid made once, as a run makes it for all its frames.
    static const ElevationPyramid pyramid(large.terrain);
    c.pyramid = &pyramid;
    c.skipHidden = true;
    Render(state, c, true, static_cast<int>(state.range(0)));
}

void FrameCases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "grid", "tex", "deferred", "threads"});
    for (int deferred : {0, 1}) {
        for (int grid : {64, 128, 256})
            for (int tex : {0, 1, 2}) b->Args({640, 480, grid, tex, deferred, 1});
        b->Args({1920, 1080, 256, 0, deferred, 1});
        b->Args({1920, 1080, 256, 2, deferred, 1});
    }
}

void DemoCases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"deferred", "threads"});
    for (int deferred : {0, 1})
        for (int threads : {1, 2}) b->Args({deferred, threads});
}

} // namespace

BENCHMARK(RenderFrame)->Apply(FrameCases)->Unit(benchmark::kMillisecond);
// Wall time: with threads the CPU time of the calling thread alone says nothing.
BENCHMARK(DemoFrame)->Apply(DemoCases)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LargeFrame)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
