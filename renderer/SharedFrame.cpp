#include "renderer/SharedFrame.h"

#include "app/Progress.h"
#include "renderer/FrameFill.h"
#include "renderer/GridFrame.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Collects the triangles of a unit as the walk hands them over, culled, projected and sorted.
class TriangleCollector : public TriangleSink {
public:
    explicit TriangleCollector(const RenderCamera& camera_) : camera(camera_), eye(camera_.Eye()) {}
    void CollectInto(std::vector<PreparedTriangle>* out) { triangles = out; }

    void DrawTriangle(Corner& a, Corner& b, Corner& c, double f) override {
        if (PrepareTriangle(camera, eye, a, b, c, f, prepared)) triangles->push_back(prepared);
    }

private:
    const RenderCamera& camera;
    Vector4 eye;
    std::vector<PreparedTriangle>* triangles = nullptr;
    PreparedTriangle prepared;
};

// The stop request as a thread of the frame sees it while it shades (deferred shading): the flag the
// calling thread raises, and on the calling thread also the caller's own request.
class SharedStop : public Progress {
public:
    SharedStop(const std::atomic<bool>& flag, const Progress* outer_) : stop(flag), outer(outer_) {}
    bool stopRequested() const override {
        return (outer && outer->stopRequested()) || stop.load(std::memory_order_relaxed);
    }

private:
    const std::atomic<bool>& stop;
    const Progress* outer;
};

// How many units the other threads may fill ahead of the calling thread when the picture is shaded as it
// is filled.
constexpr size_t kLeadOverCaller = 4;

// A unit's triangles, built once and filled by every thread.
struct UnitSlot {
    std::vector<PreparedTriangle> triangles;
    std::atomic<bool> ready{false};
    std::atomic<int> readersLeft{0}; // the last thread to fill the unit releases its triangles
};

class SharedFrame {
public:
    SharedFrame(const FrameInputs& in_, int threads, Progress& progress, size_t unitsAhead_)
        : in(in_), bandCount(threads), unitsAhead(unitsAhead_), caller(progress),
          plan(PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode)) {}

    FrameStats Render();

private:
    // One thread's share: the bands it fills (its own, and those of threads that could not be started).
    struct Worker {
        std::vector<int> bands;
        std::atomic<size_t> next{0}; // the first unit it has not filled yet
        std::exception_ptr failure;
        FrameStats stats;
    };

    RowSelection RowsOf(int band) const {
        return RowSelection{in.firstRow, in.endRow, kRowBandHeight, bandCount, band};
    }
    void Run(Worker& w, bool isCaller);
    void RunGuarded(Worker& w, bool isCaller);
    bool BuildNextUnit(CellWalker& walker, TriangleCollector& collector);
    // The calling thread asks the caller for a stop request and passes one on to the other threads; true
    // once a stop has been requested.
    bool PassOnStop() {
        if (caller.stopRequested()) stop.store(true, std::memory_order_relaxed);
        return stop.load(std::memory_order_relaxed);
    }
    size_t SlowestReader() const;
    void AnnounceReady();

    const FrameInputs& in;
    const int bandCount;
    const size_t unitsAhead;
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    Progress& caller;
    const WalkPlan plan;

    std::unique_ptr<UnitSlot[]> slots;
    size_t unitCount = 0;
    size_t window = 0; // units built ahead of the slowest thread at most (bounds the memory)
    std::atomic<size_t> nextToBuild{0};
    std::vector<std::unique_ptr<Worker>> workers;
    int readers = 0;

    std::mutex mutex;
    std::condition_variable unitReady;
};

FrameStats SharedFrame::Render() {
    // A stop already requested reaches every thread before its first unit.
    PassOnStop();
    unitCount = plan.units.size();
    slots = std::make_unique<UnitSlot[]>(unitCount);
    // Up to about 2^18 triangles (some 80 MB) waiting; with a grid so fine that a few units hold more,
    // one unit per thread.
    const double cellsPerUnit = std::max(in.gridX, in.gridY) + 1.0;
    window = unitsAhead > 0 ? unitsAhead
                            : static_cast<size_t>(std::clamp(262144.0 / (2.0 * cellsPerUnit), 1.0, 4096.0));
    window = std::max(window, static_cast<size_t>(bandCount));

    for (int k = 0; k < bandCount; ++k) workers.push_back(std::make_unique<Worker>());
    workers[0]->bands.push_back(0);

    // The other threads wait at the gate until it is known how many threads read every unit.
    bool open = false;
    std::vector<std::thread> threads;
    for (int k = 1; k < bandCount; ++k) {
        Worker& w = *workers[static_cast<size_t>(k)];
        w.bands.push_back(k);
        try {
            threads.emplace_back([this, &w, &open] {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    unitReady.wait(lock, [&] { return open; });
                }
                RunGuarded(w, false);
            });
        } catch (const std::system_error&) {
            // No thread to be had: the calling thread fills this band too.
            w.bands.clear();
            workers[0]->bands.push_back(k);
        }
    }
    readers = 1 + static_cast<int>(threads.size());
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
    }
    unitReady.notify_all();

    RunGuarded(*workers[0], true);
    for (std::thread& t : threads) t.join();

    FrameStats total;
    total.trianglesDrawn = workers[0]->stats.trianglesDrawn;
    for (const auto& w : workers) {
        if (w->failure) std::rethrow_exception(w->failure);
        total.pixelsWritten += w->stats.pixelsWritten;
    }
    return total;
}

void SharedFrame::RunGuarded(Worker& w, bool isCaller) {
    try {
        Run(w, isCaller);
    } catch (...) {
        // (Running out of memory, say.) Everyone stops; the calling thread passes the failure on.
        w.failure = std::current_exception();
        failed.store(true);
        AnnounceReady();
    }
    // A thread that has left reads no more units: it must not hold back the building of the next ones.
    w.next.store(unitCount, std::memory_order_release);
}

void SharedFrame::Run(Worker& w, bool isCaller) {
    if (w.bands.empty()) return;
    std::deque<FrameFill> fills; // one per band
    for (int band : w.bands) fills.emplace_back(in, RowsOf(band));
    // The walk: this thread's own, for the units it builds; the calling thread also replays each unit's
    // progress reports and pumps.
    TriangleCollector collector(*in.camera);
    CellWalker walker(plan, *in.elevation, in.zScale, in.dust, collector);
    WalkProgress replay(caller, plan.increment, false);

    // A picture shaded as it is filled is on show while it grows: the other threads keep within a few
    // units of the calling thread, so that it grows evenly even while the calling thread is held (a menu
    // or a question open in the window). They may still build units ahead.
    const bool keepNearCaller = !isCaller && !in.deferShading;
    auto mayFill = [&](size_t unit) {
        return slots[unit].ready.load(std::memory_order_acquire) &&
               (!keepNearCaller || unit < workers[0]->next.load(std::memory_order_acquire) + kLeadOverCaller);
    };

    size_t next = 0;
    while (next < unitCount && !failed.load(std::memory_order_relaxed)) {
        UnitSlot& slot = slots[next];
        if (mayFill(next)) {
            // After a stop request the passes that look at it are left out, as one thread leaves them.
            const WalkUnit& unit = plan.units[next];
            if (!(unit.Stoppable() && (isCaller ? PassOnStop() : stop.load(std::memory_order_relaxed)))) {
                if (isCaller) replay.Replay(unit);
                for (FrameFill& fill : fills)
                    for (const PreparedTriangle& t : slot.triangles) fill.Rasterizer().DrawPrepared(t);
            }
            if (slot.readersLeft.fetch_sub(1, std::memory_order_acq_rel) == 1)
                std::vector<PreparedTriangle>().swap(slot.triangles);
            w.next.store(++next, std::memory_order_release);
            if (isCaller && !in.deferShading) AnnounceReady(); // (for threads keeping near it)
            continue;
        }
        if (BuildNextUnit(walker, collector)) continue;
        // The unit is being built by another thread, the slowest thread is too far behind, or this thread
        // is far enough ahead of the calling thread: wait.
        std::unique_lock<std::mutex> lock(mutex);
        unitReady.wait_for(lock, std::chrono::milliseconds(2),
                           [&] { return mayFill(next) || failed.load(); });
        lock.unlock();
        if (isCaller) {
            caller.pump();
            PassOnStop();
        }
    }
    SharedStop stopSeen(stop, isCaller ? &caller : nullptr);
    for (FrameFill& fill : fills) {
        const FrameStats stats = fill.Finish(stopSeen);
        if (&fill == &fills.front()) w.stats.trianglesDrawn = stats.trianglesDrawn;
        w.stats.pixelsWritten += stats.pixelsWritten;
    }
}

size_t SharedFrame::SlowestReader() const {
    size_t slowest = unitCount;
    for (const auto& w : workers)
        if (!w->bands.empty()) slowest = std::min(slowest, w->next.load(std::memory_order_acquire));
    return slowest;
}

bool SharedFrame::BuildNextUnit(CellWalker& walker, TriangleCollector& collector) {
    size_t u = nextToBuild.load(std::memory_order_relaxed);
    do {
        if (u >= unitCount || u >= SlowestReader() + window) return false;
    } while (!nextToBuild.compare_exchange_weak(u, u + 1, std::memory_order_relaxed));
    UnitSlot& slot = slots[u];
    const WalkUnit& unit = plan.units[u];
    collector.CollectInto(&slot.triangles);
    if (!(unit.Stoppable() && stop.load(std::memory_order_relaxed))) walker.Walk(unit);
    slot.readersLeft.store(readers, std::memory_order_relaxed);
    slot.ready.store(true, std::memory_order_release);
    AnnounceReady();
    return true;
}

void SharedFrame::AnnounceReady() {
    { std::lock_guard<std::mutex> lock(mutex); }
    unitReady.notify_all();
}

} // namespace

FrameStats RenderSharedFrame(const FrameInputs& in, int threads, Progress& progress, size_t unitsAhead) {
    SharedFrame frame(in, threads, progress, unitsAhead);
    return frame.Render();
}
