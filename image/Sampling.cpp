#include "image/Sampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

FilterWeights::FilterWeights(int antialiasing) {
    const double a = antialiasing == 0 ? 1.0 : static_cast<double>(antialiasing);
    for (size_t i = 0; i < w.size(); ++i) w[i] = std::exp(-static_cast<double>(i) / a);
}

Bgr SamplePixel(const PixelView& view, double x, double y) {
    // Coordinates are truncated toward zero, so anything above -1 reaches column or row 0.
    if (!view.pixels || !(x > -1.0) || !(y > -1.0) || !(x < view.width) || !(y < view.height))
        return Bgr{view.outside[2], view.outside[1], view.outside[0]};
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    const uint8_t* p = view.pixels + static_cast<size_t>(iy) * view.stride + 3 * static_cast<size_t>(ix);
    return Bgr{p[0], p[1], p[2]};
}

Bgr SampleAverage5(const PixelView& view, const double (&points)[5][2]) {
    int b = 0, g = 0, r = 0;
    for (const auto& pt : points) {
        Bgr p = SamplePixel(view, pt[0], pt[1]);
        b += p.b;
        g += p.g;
        r += p.r;
    }
    return Bgr{static_cast<uint8_t>(b / 5), static_cast<uint8_t>(g / 5), static_cast<uint8_t>(r / 5)};
}

Bgr SampleFiltered(const PixelView& view, const FilterWeights& weights, double x, double y,
                   FilterCache& cache, const void* source, unsigned long long version) {
    const double x0 = x - 1.5, y0 = y - 1.5;
    // Here the outside colour comes back in its own byte order (o0, o1, o2 as blue, green, red).
    if (!view.pixels || !(x0 >= 0) || x0 >= view.width - 3.0 || !(y0 >= 0) || y0 >= view.height - 3.0)
        return Bgr{view.outside[0], view.outside[1], view.outside[2]};
    const double flx = std::floor(x0), fly = std::floor(y0);
    const int ix = static_cast<int>(flx), iy = static_cast<int>(fly);
    const double fx = x0 - flx, fy = y0 - fly;

    if (cache.keyX != ix || cache.keyY != iy || cache.source != source || cache.version != version) {
        for (int m = 0; m < 4; ++m) {
            const uint8_t* p =
                view.pixels + static_cast<size_t>(iy + m) * view.stride + 3 * static_cast<size_t>(ix);
            for (int k = 0; k < 4; ++k, p += 3)
                cache.cells[static_cast<size_t>(4 * m + k)] = Bgr{p[0], p[1], p[2]};
        }
        cache.keyX = ix;
        cache.keyY = iy;
        cache.source = source;
        cache.version = version;
    }

    double sumW = 0, sumB = 0, sumG = 0, sumR = 0;
    for (int m = 0; m < 4; ++m) {
        const double dy = m - 1 - fy;
        for (int k = 0; k < 4; ++k) {
            const double dx = k - 1 - fx;
            const double wgt =
                weights.w[static_cast<size_t>(1 + static_cast<int>(10.0 * (dx * dx + dy * dy)))];
            const Bgr& c = cache.cells[static_cast<size_t>(4 * m + k)];
            sumW += wgt;
            sumB += wgt * c.b;
            sumG += wgt * c.g;
            sumR += wgt * c.r;
        }
    }
    const double norm = sumW + 1e-8;
    // Rounded to the nearest level, so a flat area keeps its level.
    auto level = [norm](double sum) {
        const double v = sum / norm + 0.5;
        return static_cast<uint8_t>(v >= 255.0 ? 255 : static_cast<int>(v));
    };
    return Bgr{level(sumB), level(sumG), level(sumR)};
}

void ApplyMask(Image24& target, const PixelView& mask) {
    const Bgr transparent = SamplePixel(mask, 0, 0);
    const Bgr brighter = SamplePixel(mask, 1, 0);
    const Bgr darker = SamplePixel(mask, 2, 0);
    for (int y = 0; y < target.height(); ++y) {
        uint8_t* p = target.pixelAt(0, y);
        for (int x = 0; x < target.width(); ++x, p += 3) {
            const Bgr m = SamplePixel(mask, x, y);
            if (m == transparent) continue;
            if (m == brighter) {
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] < 192 ? p[c] + 64 : 255);
            } else if (m == darker) {
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] >= 64 ? p[c] - 64 : 0);
            } else {
                p[0] = m.b;
                p[1] = m.g;
                p[2] = m.r;
            }
        }
    }
}

void AverageBlocks(const PixelView& source, int k, Image24& target) {
    const int width = target.width(), height = target.height();
    if (!source.pixels || k < 1 || source.width < k * width || source.height < k * height) return;
    const unsigned area = static_cast<unsigned>(k * k);
    std::vector<unsigned> sums(3 * static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = k * y; row < k * y + k; ++row) {
            const uint8_t* p = source.pixels + static_cast<size_t>(row) * static_cast<size_t>(source.stride);
            for (int x = 0; x < width; ++x)
                for (int i = 0; i < k; ++i, p += 3)
                    for (int c = 0; c < 3; ++c) sums[3 * static_cast<size_t>(x) + c] += p[c];
        }
        uint8_t* out = target.pixelAt(0, y);
        for (size_t i = 0; i < sums.size(); ++i) out[i] = static_cast<uint8_t>((sums[i] + area / 2) / area);
    }
}
