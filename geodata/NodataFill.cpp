#include "geodata/NodataFill.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace geodata {
namespace {

// Relaxation sweeps per level: enough to smooth what the interpolation from the coarser level leaves,
// few enough that the finest level costs only a handful of passes over its hole rows.
constexpr int kSweeps = 4;

struct Level {
    int width = 0, height = 0;
    float* cells = nullptr;   // level 0: the caller's grid
    std::vector<float> owned; // coarser levels
    std::vector<uint64_t> hole;
    std::vector<uint8_t> rowHasHole;

    bool isHole(size_t i) const { return (hole[i >> 6] >> (i & 63)) & 1; }
    void markHoles() {
        const size_t n = static_cast<size_t>(width) * height;
        hole.assign((n + 63) / 64, 0);
        rowHasHole.assign(height, 0);
        for (int y = 0; y < height; ++y) {
            const float* row = cells + static_cast<size_t>(y) * width;
            for (int x = 0; x < width; ++x)
                if (std::isnan(row[x])) {
                    const size_t i = static_cast<size_t>(y) * width + x;
                    hole[i >> 6] |= uint64_t(1) << (i & 63);
                    rowHasHole[y] = 1;
                }
        }
    }
    bool anyHole() const { return std::find(rowHasHole.begin(), rowHasHole.end(), 1) != rowHasHole.end(); }
};

// The next coarser level: each cell the mean of the valid cells of its 2 x 2 block (NaN when none is).
Level coarser(const Level& fine) {
    Level c;
    c.width = (fine.width + 1) / 2;
    c.height = (fine.height + 1) / 2;
    c.owned.assign(static_cast<size_t>(c.width) * c.height, NAN);
    c.cells = c.owned.data();
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            double sum = 0;
            int count = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const int fx = 2 * x + dx, fy = 2 * y + dy;
                    if (fx >= fine.width || fy >= fine.height) continue;
                    const float v = fine.cells[static_cast<size_t>(fy) * fine.width + fx];
                    if (!std::isnan(v)) {
                        sum += v;
                        ++count;
                    }
                }
            if (count) c.cells[static_cast<size_t>(y) * c.width + x] = static_cast<float>(sum / count);
        }
    c.markHoles();
    return c;
}

// Gives the holes of fine the bilinear interpolation of coarse (which has none) at their centres.
void interpolateHoles(Level& fine, const Level& coarse) {
    for (int y = 0; y < fine.height; ++y) {
        if (!fine.rowHasHole[y]) continue;
        const double cy = std::clamp(y * 0.5 - 0.25, 0.0, coarse.height - 1.0);
        const int y0 = static_cast<int>(cy), y1 = std::min(y0 + 1, coarse.height - 1);
        const double fy = cy - y0;
        for (int x = 0; x < fine.width; ++x) {
            const size_t i = static_cast<size_t>(y) * fine.width + x;
            if (!fine.isHole(i)) continue;
            const double cx = std::clamp(x * 0.5 - 0.25, 0.0, coarse.width - 1.0);
            const int x0 = static_cast<int>(cx), x1 = std::min(x0 + 1, coarse.width - 1);
            const double fx = cx - x0;
            auto at = [&](int xx, int yy) {
                return coarse.cells[static_cast<size_t>(yy) * coarse.width + xx];
            };
            fine.cells[i] = static_cast<float>((1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x1, y0)) +
                                               fy * ((1 - fx) * at(x0, y1) + fx * at(x1, y1)));
        }
    }
}

// One Gauss-Seidel sweep: every hole cell becomes the mean of its neighbours inside the grid.
void relax(Level& level) {
    const int w = level.width, h = level.height;
    for (int y = 0; y < h; ++y) {
        if (!level.rowHasHole[y]) continue;
        float* row = level.cells + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            if (!level.isHole(static_cast<size_t>(y) * w + x)) continue;
            double sum = 0;
            int count = 0;
            if (x > 0) sum += row[x - 1], ++count;
            if (x + 1 < w) sum += row[x + 1], ++count;
            if (y > 0) sum += row[x - w], ++count;
            if (y + 1 < h) sum += row[x + w], ++count;
            if (count) row[x] = static_cast<float>(sum / count);
        }
    }
}

} // namespace

long long FillNodata(float* cells, int width, int height, const std::function<bool(double)>& step) {
    if (width <= 0 || height <= 0) return 0;
    std::vector<Level> levels(1);
    levels[0].width = width;
    levels[0].height = height;
    levels[0].cells = cells;
    levels[0].markHoles();
    long long holes = 0;
    for (uint64_t word : levels[0].hole) holes += std::popcount(word);
    if (holes == 0 || holes == static_cast<long long>(width) * height) return 0;

    while (levels.back().anyHole()) levels.push_back(coarser(levels.back()));

    // The finest level is the only costly one; its sweeps are the steps of the progress.
    for (size_t k = levels.size() - 1; k-- > 0;) {
        interpolateHoles(levels[k], levels[k + 1]);
        levels[k + 1] = Level{};
        for (int s = 0; s < kSweeps; ++s) {
            if (k == 0 && step && !step(static_cast<double>(s) / kSweeps)) return -1;
            relax(levels[k]);
        }
    }
    return holes;
}

} // namespace geodata
