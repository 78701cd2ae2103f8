// One Final frame of a fixed synthetic terrain: a 512 x 512 height field of a few sines with a generated
// 512 x 512 texture, seen obliquely from outside one corner so that the whole terrain is in view and the
// far side fades into the dust. Counters per frame: triangles that reached the fill, pixels written, and
// the overdraw (pixels written per picture pixel).

#include "app/Platform.h"
#include "app/Progress.h"
#include "image/Gelaende.h"
#include "image/TGAFile.h"
#include "renderer/RenderCamera.h"
#include "renderer/TerrainRenderer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

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

// Arguments: width, height, grid divisions, texture (0 none, 1 quick lookup, 2 exact lookup).
void RenderFrame(benchmark::State& state) {
    const World& world = TheWorld();
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const double grid = static_cast<double>(state.range(2));
    const int texture = static_cast<int>(state.range(3));

    const Vector4 light = Vector4::Direction(-0.48, -0.6, 0.64);
    RenderCamera camera(light, width, height, width / 2, -(height / 2));
    camera.Set(Vector4::Point(-60, -60, 260), 45, -22, 0.8 * width, 0);

    SilentPlatform platform;
    CTGAFile output(platform);
    output.CreateImage(width, height);

    FrameInputs in;
    in.camera = &camera;
    in.elevation = &world.terrain;
    in.zScale = 0.02;
    in.texture = texture ? &world.texture : nullptr;
    in.textureAntialiasing = 10; // the texture's (the document's default)
    in.output = &output;
    in.hq = texture == 2;
    in.light = light;
    in.dust = 500;
    in.gridX = in.gridY = grid;
    in.mode = RenderMode::Final;

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
        static_cast<double>(stats.pixelsWritten) / (static_cast<double>(width) * height);
}

void Cases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "grid", "tex"});
    for (int grid : {64, 128, 256})
        for (int tex : {0, 1, 2}) b->Args({640, 480, grid, tex});
    b->Args({1920, 1080, 256, 0});
    b->Args({1920, 1080, 256, 2});
}

} // namespace

BENCHMARK(RenderFrame)->Apply(Cases)->Unit(benchmark::kMillisecond);
