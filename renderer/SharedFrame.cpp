#include "renderer/SharedFrame.h"

#include "app/Progress.h"
#include "renderer/FrameFill.h"
#include "renderer/GridFrame.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
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
// Units are built in pieces of at most this many cells, and at most about kTrianglesAhead prepared
// triangles wait: what the threads pass on to each other stays in the processor's cache.
constexpr int64_t kPieceCells = 256;
constexpr double kTrianglesAhead = 16384.0;

// A piece of a unit: cells [first, end), the first at coordinate v.
struct Piece {
    size_t unit;
    int64_t first, end;
    double v;
};

// The triangles of a piece, built once and filled by every thread that has rows they reach. The slots
// are a ring: piece p goes into slot p % window, which the window keeps free until every thread has
// filled the piece before.
struct PieceSlot {
    std::vector<PreparedTriangle> triangles;
    std::vector<std::vector<uint32_t>> reaching; // per thread: the triangles that reach its rows
    int64_t reachingAny = 0;                     // the triangles that reach a row of the frame
    std::atomic<size_t> ready{SIZE_MAX};         // the piece whose triangles the slot holds
};

class SharedFrame {
public:
    SharedFrame(const FrameInputs& in_, int threads, Progress& progress, size_t unitsAhead_)
        : in(in_), bandCount(threads), unitsAhead(unitsAhead_), caller(progress),
          plan(PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode)),
          unitPercents(UnitPercents(plan)) {
        if (in.viewCulling && in.pyramid) cull.emplace(FrameCull(in, plan));
    }

    FrameStats Render();

private:
    // One thread's share: the bands it fills (its own, and those of threads that could not be started).
    struct Worker {
        std::vector<int> bands;
        std::vector<RowSelection> rows; // of its bands, within the picture
        std::atomic<size_t> next{0};    // the first piece it has not filled yet
        std::exception_ptr failure;
        FrameStats stats;
    };

    RowSelection RowsOf(int band) const {
        return RowSelection{in.firstRow, in.endRow, kRowBandHeight, bandCount, band};
    }
    void CutIntoPieces();
    void Run(Worker& w, size_t index);
    void RunGuarded(Worker& w, size_t index);
    bool BuildNextPiece(CellWalker& walker, TriangleCollector& collector);
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
    const std::vector<double> unitPercents; // the calling thread replays each unit's progress from these
    std::optional<ViewCull> cull;           // shared by the threads' walkers (it is only read)

    std::vector<Piece> pieces;
    size_t pieceCount = 0;
    size_t window = 0; // pieces built ahead of the slowest thread at most (bounds the memory)
    size_t lead = 0;   // pieces the other threads may fill ahead of the calling thread (immediate shading)
    std::unique_ptr<PieceSlot[]> slots;
    std::atomic<size_t> nextToBuild{0};
    std::vector<std::unique_ptr<Worker>> workers;

    std::mutex mutex;
    std::condition_variable unitReady;
};

void SharedFrame::CutIntoPieces() {
    // The cells of a unit are u.from + u.step + u.step ... (made once for the rows of a quadrant).
    UnitCoordinates coordinates;
    size_t longest = 1;
    for (size_t k = 0; k < plan.units.size(); ++k) {
        const WalkUnit& u = plan.units[k];
        const int64_t count = (u.cells + kPieceCells - 1) / kPieceCells;
        longest = std::max(longest, static_cast<size_t>(std::max<int64_t>(count, 1)));
        if (u.cells == 0) {
            pieces.push_back({k, 0, 0, u.from}); // (its progress is still replayed)
            continue;
        }
        const std::vector<double>& along = coordinates.Of(u);
        for (int64_t p = 0; p < count; ++p)
            pieces.push_back({k, p * kPieceCells, std::min((p + 1) * kPieceCells, u.cells),
                              along[static_cast<size_t>(p * kPieceCells)]});
    }
    pieceCount = pieces.size();
    // Up to about kTrianglesAhead triangles waiting; unitsAhead, when given, counts whole units (as many
    // pieces as the longest unit has, per unit).
    window = unitsAhead > 0 ? unitsAhead * longest
                            : static_cast<size_t>(std::max(1.0, kTrianglesAhead / (2.0 * kPieceCells)));
    window = std::max(window, static_cast<size_t>(bandCount));
    lead = kLeadOverCaller * longest;
}

FrameStats SharedFrame::Render() {
    // A stop already requested reaches every thread before its first unit.
    PassOnStop();
    CutIntoPieces();
    slots = std::make_unique<PieceSlot[]>(window);

    for (int k = 0; k < bandCount; ++k) workers.push_back(std::make_unique<Worker>());
    workers[0]->bands.push_back(0);

    // The other threads wait at the gate until it is known which bands every thread fills.
    bool open = false;
    std::vector<std::thread> threads;
    for (int k = 1; k < bandCount; ++k) {
        Worker& w = *workers[static_cast<size_t>(k)];
        w.bands.push_back(k);
        try {
            threads.emplace_back([this, &w, &open, k] {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    unitReady.wait(lock, [&] { return open; });
                }
                RunGuarded(w, static_cast<size_t>(k));
            });
        } catch (const std::system_error&) {
            // No thread to be had: the calling thread fills this band too.
            w.bands.clear();
            workers[0]->bands.push_back(k);
        }
    }
    const int imageHeight = in.output->GetHeight();
    for (auto& w : workers)
        for (int band : w->bands) w->rows.push_back(RowsOf(band).ClampedTo(imageHeight));
    for (size_t k = 0; k < window; ++k) slots[k].reaching.resize(workers.size());
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
    }
    unitReady.notify_all();

    RunGuarded(*workers[0], 0);
    for (std::thread& t : threads) t.join();

    FrameStats total;
    total.trianglesDrawn = workers[0]->stats.trianglesDrawn;
    for (const auto& w : workers) {
        if (w->failure) std::rethrow_exception(w->failure);
        total.pixelsWritten += w->stats.pixelsWritten;
    }
    return total;
}

void SharedFrame::RunGuarded(Worker& w, size_t index) {
    try {
        Run(w, index);
    } catch (...) {
        // (Running out of memory, say.) Everyone stops; the calling thread passes the failure on.
        w.failure = std::current_exception();
        failed.store(true);
        AnnounceReady();
    }
    // A thread that has left reads no more pieces: it must not hold back the building of the next ones.
    w.next.store(pieceCount, std::memory_order_release);
}

void SharedFrame::Run(Worker& w, size_t index) {
    if (w.bands.empty()) return;
    const bool isCaller = index == 0;
    std::deque<FrameFill> fills; // one per band
    for (int band : w.bands) fills.emplace_back(in, RowsOf(band));
    // The walk: this thread's own, for the pieces it builds; the calling thread also replays each unit's
    // progress reports and pumps.
    TriangleCollector collector(*in.camera);
    CellWalker walker(plan, *in.elevation, in.zScale, in.dust, collector);
    if (cull) walker.SetCull(&*cull);
    WalkProgress replay(caller, plan.increment, false);

    // A picture shaded as it is filled is on show while it grows: the other threads keep within a few
    // units of the calling thread, so that it grows evenly even while the calling thread is held (a menu
    // or a question open in the window). They may still build pieces ahead.
    const bool keepNearCaller = !isCaller && !in.deferShading;
    auto mayFill = [&](size_t piece) {
        return slots[piece % window].ready.load(std::memory_order_acquire) == piece &&
               (!keepNearCaller || piece < workers[0]->next.load(std::memory_order_acquire) + lead);
    };

    size_t next = 0;
    bool fillUnit = false; // whether the unit of the next piece is filled (decided at its first piece)
    while (next < pieceCount && !failed.load(std::memory_order_relaxed)) {
        if (mayFill(next)) {
            const PieceSlot& slot = slots[next % window];
            const Piece& piece = pieces[next];
            const WalkUnit& unit = plan.units[piece.unit];
            if (piece.first == 0) {
                // After a stop request the passes that look at it are left out, as one thread leaves them.
                fillUnit =
                    !(unit.Stoppable() && (isCaller ? PassOnStop() : stop.load(std::memory_order_relaxed)));
                if (fillUnit && isCaller) replay.Replay(unit, unitPercents[piece.unit]);
            }
            if (fillUnit) {
                if (isCaller) w.stats.trianglesDrawn += slot.reachingAny;
                for (FrameFill& fill : fills)
                    for (uint32_t t : slot.reaching[index]) fill.Rasterizer().DrawPrepared(slot.triangles[t]);
            }
            w.next.store(++next, std::memory_order_release);
            if (isCaller && !in.deferShading) AnnounceReady(); // (for threads keeping near it)
            continue;
        }
        if (BuildNextPiece(walker, collector)) continue;
        // The piece is being built by another thread, the slowest thread is too far behind, or this thread
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
        w.stats.pixelsWritten += stats.pixelsWritten;
    }
}

size_t SharedFrame::SlowestReader() const {
    size_t slowest = pieceCount;
    for (const auto& w : workers)
        if (!w->bands.empty()) slowest = std::min(slowest, w->next.load(std::memory_order_acquire));
    return slowest;
}

bool SharedFrame::BuildNextPiece(CellWalker& walker, TriangleCollector& collector) {
    size_t p = nextToBuild.load(std::memory_order_relaxed);
    do {
        if (p >= pieceCount || p >= SlowestReader() + window) return false;
    } while (!nextToBuild.compare_exchange_weak(p, p + 1, std::memory_order_relaxed));
    // Every thread has filled the piece this slot held before (the window above).
    PieceSlot& slot = slots[p % window];
    const Piece& piece = pieces[p];
    const WalkUnit& unit = plan.units[piece.unit];
    slot.triangles.clear();
    collector.CollectInto(&slot.triangles);
    if (!(unit.Stoppable() && stop.load(std::memory_order_relaxed)))
        walker.WalkCells(unit, piece.first, piece.end, piece.v);
    // Which threads' rows each triangle reaches: each thread then reads only its own.
    const int screenHeight = in.camera->Height();
    for (auto& mine : slot.reaching) mine.clear();
    slot.reachingAny = 0;
    for (size_t t = 0; t < slot.triangles.size(); ++t) {
        bool any = false;
        for (size_t k = 0; k < workers.size(); ++k)
            for (const RowSelection& rows : workers[k]->rows)
                if (ReachesRows(slot.triangles[t], screenHeight, rows)) {
                    slot.reaching[k].push_back(static_cast<uint32_t>(t));
                    any = true;
                    break;
                }
        slot.reachingAny += any;
    }
    slot.ready.store(p, std::memory_order_release);
    AnnounceReady();
    return true;
}

void SharedFrame::AnnounceReady() {
    { std::lock_guard<std::mutex> lock(mutex); }
    unitReady.notify_all();
}

// ---------------------------------------------------------------------------------------------------------
// A frame shared by ranges of rows

// The calling thread's progress in a frame shared by ranges: the caller's own, which also raises the flag
// the other threads look at.
class PassingStop : public Progress {
public:
    PassingStop(Progress& outer_, std::atomic<bool>& flag_) : outer(outer_), flag(flag_) {}
    void report(int percent) override { outer.report(percent); }
    void pump() override { outer.pump(); }
    bool stopRequested() const override {
        if (outer.stopRequested()) flag.store(true, std::memory_order_relaxed);
        return flag.load(std::memory_order_relaxed);
    }

private:
    Progress& outer;
    std::atomic<bool>& flag;
};

// The calling thread's progress over the ranges it renders: each range's walk runs from 0 to 100 %; the
// whole frame's percentage counts the ranges finished by any thread and the current one's share.
class RangesProgress : public Progress {
public:
    RangesProgress(Progress& outer_, const std::atomic<int>& finished_, int ranges_)
        : outer(outer_), finished(finished_), ranges(ranges_) {}
    void report(int percent) override {
        const int whole = static_cast<int>(
            (finished.load(std::memory_order_relaxed) * 100LL + std::clamp(percent, 0, 100)) / ranges);
        shown = std::max(shown, std::min(whole, 100));
        outer.report(shown);
    }
    void pump() override { outer.pump(); }
    bool stopRequested() const override { return outer.stopRequested(); }

private:
    Progress& outer;
    const std::atomic<int>& finished;
    const int ranges;
    int shown = 0;
};

// How much work a range holds is known only once its walk has left out what nearer terrain hides, so the
// threads take the ranges in turn, busiest-looking first, and one that finishes early takes the next: at
// least kRangesPerThread per thread, so that the last ones taken are short. Without an estimate of the
// work per row, ranges of about kRangeRows rows.
constexpr int kRangesPerThread = 4;
constexpr int kRangeRows = 32;
// A cut makes the ranges on both sides test the blocks of cells across it: about this many rows' work
// where it lies (measured on a large terrain seen across, where the blocks per row range from a few
// hundred near the eye to tens of thousands below the horizon).
constexpr double kCutRows = 2.5;

std::vector<int> EvenCut(int first, int end, int count) {
    std::vector<int> bounds;
    for (int k = 0; k <= count; ++k)
        bounds.push_back(first + static_cast<int>(int64_t{end - first} * k / count));
    return bounds;
}

// Per range of `bounds`: the blocks that may reach its rows (all 0 when unknown).
std::vector<double> BlocksOfRanges(const std::vector<int>& bounds, const std::vector<int>& blocksPerRow) {
    std::vector<double> busy(bounds.size() - 1, 0.0);
    if (!blocksPerRow.empty())
        for (size_t r = 0; r < busy.size(); ++r)
            for (int row = bounds[r]; row < bounds[r + 1]; ++row)
                busy[r] += blocksPerRow[static_cast<size_t>(row)];
    return busy;
}

// The ranges the busiest first, by their blocks (BlocksOfRanges); of equal ones, the first first.
std::vector<int> BusiestFirst(const std::vector<double>& busy) {
    std::vector<int> order(busy.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return busy[static_cast<size_t>(a)] > busy[static_cast<size_t>(b)];
    });
    return order;
}

// The estimate of a range's work is off by up to a fifth, so the ranges the threads take last should be
// short. They are the least busy, near the eye, where few blocks reach and a cut costs little: each range
// that holds less than an eighth of a thread's share is halved over its rows with work (not into halves of
// fewer than kRangeRows / 2 rows).
std::vector<int> HalveTheLeastBusy(const std::vector<int>& bounds, int low, int high, int threads,
                                   const std::vector<int>& blocksPerRow) {
    const std::vector<double> busy = BlocksOfRanges(bounds, blocksPerRow);
    const double share = std::accumulate(busy.begin(), busy.end(), 0.0) / threads;
    std::vector<int> halved{bounds.front()};
    for (size_t r = 0; r + 1 < bounds.size(); ++r) {
        const int from = std::max(bounds[r], low), to = std::min(bounds[r + 1], high);
        if (busy[r] < share / 8 && to - from >= kRangeRows) halved.push_back(from + (to - from) / 2);
        halved.push_back(bounds[r + 1]);
    }
    return halved;
}

// The bounds of the ranges for CutRows, before the longest are cut to mostRows.
std::vector<int> ChooseBounds(int first, int end, int threads, const std::vector<int>& blocksPerRow) {
    const int rows = end - first;
    const int fewest = std::min(rows, threads > 1 ? threads * kRangesPerThread : 1);
    if (blocksPerRow.empty()) return EvenCut(first, end, std::max(fewest, rows / kRangeRows));
    // Only the rows that blocks may reach hold work: the ranges are cut evenly over those, the empty rows
    // below and above going with the first and the last range.
    auto blocks = [&](int row) { return static_cast<double>(blocksPerRow[static_cast<size_t>(row)]); };
    int low = first, high = end;
    while (low < end && blocks(low) == 0.0) ++low;
    while (high > low && blocks(high - 1) == 0.0) --high;
    if (low == high) return EvenCut(first, end, fewest);
    // Of the counts from the fewest allowed up to ranges of 16 rows, the one whose ranges, taken busiest
    // first by whichever thread is free, end soonest by the blocks reaching their rows and their cuts.
    const int from = std::min(fewest, high - low), most = std::max(from, (high - low) / 16);
    std::vector<int> best;
    double soonest = HUGE_VAL;
    for (int count = from; count <= most; ++count) {
        std::vector<int> bounds = EvenCut(low, high, count);
        bounds.front() = first;
        bounds.back() = end;
        std::vector<double> work = BlocksOfRanges(bounds, blocksPerRow);
        const std::vector<int> order = BusiestFirst(work);
        for (size_t r = 1; r < work.size(); ++r) {
            const double across = kCutRows * std::min(blocks(bounds[r] - 1), blocks(bounds[r]));
            work[r - 1] += across / 2;
            work[r] += across / 2;
        }
        std::vector<double> busyUntil(static_cast<size_t>(std::max(threads, 1)), 0.0);
        for (int r : order)
            *std::min_element(busyUntil.begin(), busyUntil.end()) += work[static_cast<size_t>(r)];
        const double ends = *std::max_element(busyUntil.begin(), busyUntil.end());
        if (ends < soonest) {
            soonest = ends;
            best = std::move(bounds);
        }
    }
    return threads > 1 ? HalveTheLeastBusy(best, low, high, threads, blocksPerRow) : best;
}

} // namespace

RowRanges CutRows(int first, int end, int threads, const std::vector<int>& blocksPerRow, int mostRows) {
    RowRanges cut;
    if (end <= first) {
        cut.bounds = {first, std::max(first, end)};
        cut.order = {0};
        return cut;
    }
    const std::vector<int> chosen = ChooseBounds(first, end, threads, blocksPerRow);
    // A range of more rows than allowed is cut evenly.
    mostRows = std::max(mostRows, 1);
    cut.bounds.push_back(first);
    for (size_t r = 0; r + 1 < chosen.size(); ++r) {
        const int rows = chosen[r + 1] - chosen[r];
        const int pieces = (rows + mostRows - 1) / mostRows;
        for (int k = 1; k <= pieces; ++k)
            cut.bounds.push_back(chosen[r] + static_cast<int>(int64_t{rows} * k / pieces));
    }
    cut.order = BusiestFirst(BlocksOfRanges(cut.bounds, blocksPerRow));
    return cut;
}

FrameStats RenderRowRangeFrame(const FrameInputs& given, int threads, Progress& progress) {
    std::optional<ElevationPyramid> own;
    const FrameInputs in = WithPyramid(given, own);
    const WalkPlan plan = PlanWalk(*in.camera, *in.elevation, in.gridX, in.gridY, in.mode);
    const bool culled = in.viewCulling && in.pyramid;
    const int first = std::max(in.firstRow, 0), end = std::min(in.endRow, in.output->GetHeight());
    std::optional<BlockRows> blockRows;
    if (culled) blockRows.emplace(plan, FrameCull(in, plan), threads);
    // The pixel owners of one range at a time hold at most kOneRangePixels pixels.
    const RowRanges cut = CutRows(
        first, end, threads, blockRows ? blockRows->BlocksPerRow(in.output->GetHeight()) : std::vector<int>{},
        static_cast<int>(std::min<int64_t>(kOneRangePixels / std::max(in.output->GetWidth(), 1), INT_MAX)));
    const std::vector<int>& bounds = cut.bounds;
    const std::vector<int>& order = cut.order;
    const int ranges = static_cast<int>(bounds.size()) - 1;

    std::atomic<bool> stop{false};
    PassingStop callerStop(progress, stop);
    callerStop.stopRequested(); // a stop already requested reaches every thread before its first unit
    SharedStop othersStop(stop, nullptr);
    std::atomic<int> next{0}, finishedRanges{0};
    RangesProgress callerProgress(callerStop, finishedRanges, ranges);

    struct Share {
        FrameStats stats;
        std::exception_ptr failure;
        bool done = false;
    };
    std::vector<Share> shares(static_cast<size_t>(threads));
    std::mutex mutex;
    std::condition_variable finished;
    // Each thread takes the next range nobody has taken until none is left (or a stop is requested).
    auto render = [&](size_t k, Progress& p) {
        try {
            for (int taken; !stop.load(std::memory_order_relaxed) && (taken = next.fetch_add(1)) < ranges;) {
                const int r = order[static_cast<size_t>(taken)];
                FrameInputs part = in;
                part.firstRow = bounds[static_cast<size_t>(r)];
                part.endRow = bounds[static_cast<size_t>(r) + 1];
                FrameFill fill(part, RowSelection{part.firstRow, part.endRow});
                fill.Rasterizer().CountFrom(first);
                CellWalker walker(plan, *in.elevation, in.zScale, in.dust, fill.Rasterizer());
                std::optional<ViewCull> cull;
                if (culled) {
                    walker.SetCull(&cull.emplace(FrameCull(part, plan)));
                    walker.SetBlockRows(&*blockRows, part.firstRow, part.endRow - 1);
                }
                fill.Walk(part, plan, walker, cull.has_value(), p);
                const FrameStats stats = fill.Finish(p);
                shares[k].stats.trianglesDrawn += stats.trianglesDrawn;
                shares[k].stats.pixelsWritten += stats.pixelsWritten;
                finishedRanges.fetch_add(1, std::memory_order_relaxed);
            }
        } catch (...) {
            shares[k].failure = std::current_exception();
            stop.store(true);
        }
    };
    std::vector<std::thread> others;
    for (size_t k = 1; k < static_cast<size_t>(threads); ++k) {
        try {
            others.emplace_back([&, k] {
                render(k, othersStop);
                std::lock_guard<std::mutex> lock(mutex);
                shares[k].done = true;
                finished.notify_all();
            });
        } catch (const std::system_error&) {
            shares[k].done = true; // (the ranges are taken by the threads there are)
        }
    }
    render(0, callerProgress);
    {
        std::lock_guard<std::mutex> lock(mutex);
        shares[0].done = true;
    }
    // While the others finish, the calling thread goes on pumping messages and passing a stop on.
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex);
        if (finished.wait_for(lock, std::chrono::milliseconds(10), [&] {
                return std::all_of(shares.begin(), shares.end(), [](const Share& s) { return s.done; });
            }))
            break;
        lock.unlock();
        progress.pump();
        callerStop.stopRequested();
    }
    for (std::thread& t : others) t.join();

    FrameStats total;
    for (const Share& share : shares) {
        if (share.failure) std::rethrow_exception(share.failure);
        total.trianglesDrawn += share.stats.trianglesDrawn;
        total.pixelsWritten += share.stats.pixelsWritten;
    }
    return total;
}

FrameStats RenderSharedFrame(const FrameInputs& given, int threads, Progress& progress, size_t unitsAhead) {
    std::optional<ElevationPyramid> own;
    const FrameInputs in = WithPyramid(given, own);
    SharedFrame frame(in, threads, progress, unitsAhead);
    return frame.Render();
}
