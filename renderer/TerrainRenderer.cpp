#include "renderer/TerrainRenderer.h"

#include "app/Progress.h"
#include "image/Gelaende.h"
#include "renderer/GridFrame.h"
#include "renderer/TriangleRasterizer.h"
#include "renderer/TriangleShader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// One thread's share of the frame: the whole traversal, writing only the rows of `rows`.
FrameStats RenderPart(const FrameInputs& in, const RowSelection& rows, Progress& progress) {
    TriangleShader shader(*in.camera, in.texture, in.hq, in.light, in.texture ? in.sampler : nullptr);
    TriangleRasterizer rasterizer(*in.camera, shader, *in.output, rows);
    rasterizer.SetDeferred(in.deferShading);
    GridFrame frame(*in.camera, *in.elevation, in.zScale, in.gridX, in.gridY, in.dust, in.mode, rasterizer,
                    progress);
    frame.Run();
    rasterizer.Finish(progress);
    FrameStats stats;
    stats.trianglesDrawn = rasterizer.TrianglesDrawn();
    stats.pixelsWritten = rasterizer.PixelsWritten();
    return stats;
}

// The other threads' progress: nothing shown, and the stop request as the calling thread has seen it.
class SharedStop : public Progress {
public:
    explicit SharedStop(const std::atomic<bool>& flag) : stop(flag) {}
    bool stopRequested() const override { return stop.load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>& stop;
};

// The calling thread's progress: the caller's own, passing a stop request on to the other threads.
class CallerProgress : public Progress {
public:
    CallerProgress(Progress& outer_, std::atomic<bool>& flag) : outer(outer_), stop(flag) {}
    void report(int percent) override { outer.report(percent); }
    void pump() override { outer.pump(); }
    bool stopRequested() const override {
        if (outer.stopRequested()) stop.store(true, std::memory_order_relaxed);
        return stop.load(std::memory_order_relaxed);
    }

private:
    Progress& outer;
    std::atomic<bool>& stop;
};

} // namespace

FrameStats RenderTerrainFrame(const FrameInputs& in, Progress& progress) {
    if (!in.camera || !in.elevation || !in.output || !in.output->hasImage()) return {};
    if (in.mode == RenderMode::Preview) return {};

    const int count = std::max(1, std::min(in.threads, 64));
    if (count == 1) return RenderPart(in, RowSelection{in.firstRow, in.endRow}, progress);

    auto rowsOf = [&](int index) {
        return RowSelection{in.firstRow, in.endRow, kRowBandHeight, count, index};
    };
    std::atomic<bool> stop{false};
    std::vector<FrameStats> stats(static_cast<size_t>(count));
    std::mutex mutex;
    std::condition_variable finished;
    int running = 0;
    std::vector<std::thread> threads;
    std::vector<int> leftOver; // parts no thread could be started for
    SharedStop shared(stop);
    // A stop already requested reaches every thread before its first row.
    CallerProgress caller(progress, stop);
    caller.stopRequested();
    for (int k = 1; k < count; ++k) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++running;
        }
        try {
            threads.emplace_back([&, k] {
                stats[static_cast<size_t>(k)] = RenderPart(in, rowsOf(k), shared);
                std::lock_guard<std::mutex> lock(mutex);
                --running;
                finished.notify_one();
            });
        } catch (const std::system_error&) {
            std::lock_guard<std::mutex> lock(mutex);
            --running;
            leftOver.push_back(k);
        }
    }

    stats[0] = RenderPart(in, rowsOf(0), caller);
    for (int k : leftOver) stats[static_cast<size_t>(k)] = RenderPart(in, rowsOf(k), caller);

    // The window stays responsive (and the stop request reaches the others) while they finish.
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0) {
            if (finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return running <= 0; })) break;
            lock.unlock();
            caller.pump();
            caller.stopRequested();
            lock.lock();
        }
    }
    for (std::thread& t : threads) t.join();

    FrameStats total;
    total.trianglesDrawn = stats[0].trianglesDrawn;
    for (const FrameStats& s : stats) total.pixelsWritten += s.pixelsWritten;
    return total;
}
