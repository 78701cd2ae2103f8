// Video writer benchmark: one iteration writes a whole 72-frame 640 x 360 flight into an MP4 or WebM file,
// from open() to finish(), so that it can be set beside the render of the same frames. The frames are the
// bundled demo's (curved000.tga ... curved071.tga of `make run`, from the folder ORVANTIS_DEMO_FRAMES,
// default out/demo; the cases are skipped when they are missing), read before the clock starts.
//
// Arguments: container (0 MP4, 1 WebM) and preset (index into ultrafast ... medium; 2 is the default,
// veryfast). Counters: frames per second and the file size.

#include "video/VideoWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 360, kFrames = 72;
const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium"};

struct Frame {
    std::vector<uint8_t> pixels; // as the program's TGA files hold them: rows bottom first, unpadded
    bool bottomUp = true;
};

// The demo frames; empty when one is missing or not a 640 x 360 24-bit TGA.
const std::vector<Frame>& flight() {
    static const std::vector<Frame> frames = [] {
        const char* folder = std::getenv("ORVANTIS_DEMO_FRAMES");
        std::vector<Frame> f;
        for (int i = 0; i < kFrames; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/curved%03d.tga", i);
            std::ifstream in(std::string(folder ? folder : "out/demo") + name, std::ios::binary);
            const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
            const size_t start = 18 + (b.empty() ? 0 : b[0]), size = 3ull * kWidth * kHeight;
            if (b.size() < start + size || (b[12] | b[13] << 8) != kWidth ||
                (b[14] | b[15] << 8) != kHeight || b[2] != 2 || b[16] != 24)
                return std::vector<Frame>();
            f.push_back(
                Frame{std::vector<uint8_t>(b.begin() + start, b.begin() + start + size), !(b[17] & 0x20)});
        }
        return f;
    }();
    return frames;
}

void EncodeFlight(benchmark::State& state) {
    const auto& frames = flight();
    if (frames.empty()) {
        state.SkipWithError("no demo frames (run `make run`, or set ORVANTIS_DEMO_FRAMES)");
        return;
    }
    const bool webm = state.range(0) == 1;
    const std::string path =
        (std::filesystem::temp_directory_path() / (webm ? "orvantis-bench.webm" : "orvantis-bench.mp4"))
            .string();
    video::VideoSettings settings;
    settings.preset = kPresets[state.range(1)];
    for (auto _ : state) {
        video::VideoWriter writer;
        std::string error = writer.open(path, kWidth, kHeight, settings);
        for (const auto& frame : frames)
            if (error.empty()) error = writer.addFrame({frame.pixels.data(), 3LL * kWidth, frame.bottomUp});
        if (error.empty()) error = writer.finish();
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
    std::error_code ec;
    state.counters["bytes"] = double(std::filesystem::file_size(path, ec));
    std::filesystem::remove(path, ec);
    state.SetLabel(std::string(webm ? "webm " : "mp4 ") + settings.preset);
}

} // namespace

BENCHMARK(EncodeFlight)
    ->ArgNames({"webm", "preset"})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({0, 3})
    ->Args({0, 5})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
