#include "renderer/ElevationPyramid.h"

#include "image/Gelaende.h"
#include "renderer/Shares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kBlockShift = 3; // the finest blocks are 8 x 8 cells
// Rectangles over at most this many pixels are answered from the pixels.
constexpr double kExactPixels = 64.0;

// Widens [lowest, highest] to hold the elevations of the `count` pixels of a row from p on (count >= 1).
void WidenByRun(const uint8_t* p, int count, uint32_t& lowest, uint32_t& highest) {
    // (Every pixel but the last has another after it in the row: it is read with one load.)
    for (int c = 1; c < count; ++c, p += 3) {
        const uint32_t e = ElevationLookup::decodeFollowed(p);
        lowest = std::min(lowest, e);
        highest = std::max(highest, e);
    }
    const uint32_t e = ElevationLookup::decode(p);
    lowest = std::min(lowest, e);
    highest = std::max(highest, e);
}

} // namespace

ElevationPyramid::ElevationPyramid(const CGelaende& elevation_, int threads)
    : elevation(elevation_), pixels(elevation_.pixelData()),
      stride(static_cast<size_t>(elevation_.stride())) {
    const int w = elevation.GetWidth(), h = elevation.GetHeight();
    if (!pixels || w < 2 || h < 2) return;
    cellsX = w - 1;
    cellsY = h - 1;
    Level first;
    first.width = ((cellsX - 1) >> kBlockShift) + 1;
    first.height = ((cellsY - 1) >> kBlockShift) + 1;
    first.lowHigh.resize(2 * static_cast<size_t>(first.width) * static_cast<size_t>(first.height));
    for (size_t i = 0; i < first.lowHigh.size(); i += 2) {
        first.lowHigh[i] = std::numeric_limits<uint32_t>::max();
        first.lowHigh[i + 1] = 0;
    }
    // Each thread makes a share of the block rows, the calling thread the first.
    const int count = std::clamp(threads, 1, std::max(1, first.height / 64));
    auto share = [&first, count](int k) { return first.height * k / count; };
    RunShares(static_cast<size_t>(count), [&](size_t k) {
        MakeFinest(first, share(static_cast<int>(k)), share(static_cast<int>(k) + 1));
    });
    levels.push_back(std::move(first));
    while (levels.back().width > 1 || levels.back().height > 1) {
        const Level& fine = levels.back();
        Level coarse;
        coarse.width = (fine.width + 1) / 2;
        coarse.height = (fine.height + 1) / 2;
        coarse.lowHigh.resize(2 * static_cast<size_t>(coarse.width) * static_cast<size_t>(coarse.height));
        for (int j = 0; j < coarse.height; ++j) {
            for (int i = 0; i < coarse.width; ++i) {
                uint32_t low = std::numeric_limits<uint32_t>::max(), high = 0;
                for (int dj = 0; dj < 2; ++dj) {
                    for (int di = 0; di < 2; ++di) {
                        const int fi = std::min(2 * i + di, fine.width - 1),
                                  fj = std::min(2 * j + dj, fine.height - 1);
                        const uint32_t* b =
                            &fine.lowHigh[2 *
                                          (static_cast<size_t>(fj) * static_cast<size_t>(fine.width) + fi)];
                        low = std::min(low, b[0]);
                        high = std::max(high, b[1]);
                    }
                }
                uint32_t* b =
                    &coarse.lowHigh[2 * (static_cast<size_t>(j) * static_cast<size_t>(coarse.width) + i)];
                b[0] = low;
                b[1] = high;
            }
        }
        levels.push_back(std::move(coarse));
    }
}

void ElevationPyramid::MakeFinest(Level& first, int low, int high) const {
    const int w = elevation.GetWidth(), h = elevation.GetHeight();
    // Block (i, j) holds cells [8i, 8i + 7] x [8j, 8j + 7], whose corners are pixels [8i, 8i + 8] x [8j, 8j +
    // 8]: neighbouring blocks share a row or column of pixels.
    std::vector<uint32_t> rowLowHigh(2 * static_cast<size_t>(first.width));
    const int lastRow = std::min(high << kBlockShift, h - 1);
    for (int r = low << kBlockShift; r <= lastRow; ++r) {
        const uint8_t* p = pixels + static_cast<size_t>(r) * stride;
        for (int i = 0; i < first.width; ++i) {
            const int c0 = i << kBlockShift, c1 = std::min(c0 + (1 << kBlockShift), w - 1);
            uint32_t lowest = std::numeric_limits<uint32_t>::max(), highest = 0;
            WidenByRun(p + 3 * static_cast<size_t>(c0), c1 - c0 + 1, lowest, highest);
            rowLowHigh[2 * static_cast<size_t>(i)] = lowest;
            rowLowHigh[2 * static_cast<size_t>(i) + 1] = highest;
        }
        auto merge = [&](int j) {
            if (j < low || j >= high) return;
            uint32_t* b = &first.lowHigh[2 * static_cast<size_t>(j) * static_cast<size_t>(first.width)];
            for (size_t k = 0; k < rowLowHigh.size(); k += 2) {
                b[k] = std::min(b[k], rowLowHigh[k]);
                b[k + 1] = std::max(b[k + 1], rowLowHigh[k + 1]);
            }
        };
        merge(r >> kBlockShift);
        if ((r & ((1 << kBlockShift) - 1)) == 0) merge((r >> kBlockShift) - 1);
    }
}

void ElevationPyramid::Range(double x0, double x1, double y0, double y1, double& low, double& high) const {
    const ElevationLookup& lookup = elevation.Lookup();
    const double ua = lookup.columnOf(x0), ub = lookup.columnOf(x1);
    const double va = lookup.rowOf(y0), vb = lookup.rowOf(y1);
    const double u0 = std::min(ua, ub), u1 = std::max(ua, ub), v0 = std::min(va, vb), v1 = std::max(va, vb);
    // Outside [0, w - 1) x [0, h - 1) (or not a number) the lookup answers 0.
    const bool outside = !(u0 >= 0.0 && u1 < cellsX && v0 >= 0.0 && v1 < cellsY);
    low = outside ? 0.0 : std::numeric_limits<double>::infinity();
    high = outside ? 0.0 : -std::numeric_limits<double>::infinity();
    if (levels.empty()) { // nothing known
        low = -std::numeric_limits<double>::infinity();
        high = std::numeric_limits<double>::infinity();
        return;
    }
    if (!(u1 >= 0.0 && u0 < cellsX && v1 >= 0.0 && v0 < cellsY)) return; // wholly outside: 0
    // A small rectangle is answered from the pixels themselves: a point between pixels interpolates the
    // pixels around it (a point on a pixel's row or column gives the others no weight).
    // (Floor and ceiling of values not negative here, through integers: cheaper than the library's.)
    auto down = [](double v) { return static_cast<double>(static_cast<int64_t>(v)); };
    auto up = [down](double v) { return down(v) < v ? down(v) + 1.0 : down(v); };
    if (const double cu = up(std::min(u1, static_cast<double>(cellsX))) - down(std::max(u0, 0.0)) + 1.0,
        cv = up(std::min(v1, static_cast<double>(cellsY))) - down(std::max(v0, 0.0)) + 1.0;
        cu * cv <= kExactPixels) {
        const int pc0 = static_cast<int>(std::max(u0, 0.0)), pr0 = static_cast<int>(std::max(v0, 0.0));
        const int pc1 = pc0 + static_cast<int>(cu) - 1, pr1 = pr0 + static_cast<int>(cv) - 1;
        uint32_t lowest = std::numeric_limits<uint32_t>::max(), highest = 0;
        for (int r = pr0; r <= pr1; ++r)
            WidenByRun(pixels + static_cast<size_t>(r) * stride + 3 * static_cast<size_t>(pc0), pc1 - pc0 + 1,
                       lowest, highest);
        low = std::min(low, static_cast<double>(lowest));
        high = std::max(high, static_cast<double>(highest));
        return;
    }
    const int c0 = static_cast<int>(std::max(u0, 0.0)), c1 = static_cast<int>(std::min(u1, cellsX - 1.0));
    const int r0 = static_cast<int>(std::max(v0, 0.0)), r1 = static_cast<int>(std::min(v1, cellsY - 1.0));
    int i0 = c0 >> kBlockShift, i1 = c1 >> kBlockShift, j0 = r0 >> kBlockShift, j1 = r1 >> kBlockShift;
    // The coarsest level needed to answer with at most 4 x 4 blocks (a coarser block only widens the range).
    size_t k = 0;
    while (k + 1 < levels.size() && (i1 - i0 > 3 || j1 - j0 > 3)) {
        ++k;
        i0 >>= 1, i1 >>= 1, j0 >>= 1, j1 >>= 1;
    }
    const Level& level = levels[k];
    uint32_t lowest = std::numeric_limits<uint32_t>::max(), highest = 0;
    for (int j = j0; j <= j1; ++j) {
        const uint32_t* b =
            &level.lowHigh[2 * (static_cast<size_t>(j) * static_cast<size_t>(level.width) + i0)];
        for (int i = i0; i <= i1; ++i, b += 2) {
            lowest = std::min(lowest, b[0]);
            highest = std::max(highest, b[1]);
        }
    }
    low = std::min(low, static_cast<double>(lowest));
    high = std::max(high, static_cast<double>(highest));
}

size_t ElevationPyramid::Bytes() const {
    size_t bytes = 0;
    for (const Level& level : levels) bytes += level.lowHigh.size() * sizeof(uint32_t);
    return bytes;
}
