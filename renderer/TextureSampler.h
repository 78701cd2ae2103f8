#pragma once
// TextureSampler: the texture lookups of the shader, read straight from the texture's pixels. The three
// samplers give exactly what the image document's GetPixel, SampleAverage5 and SampleFiltered give (the
// same tests, the same arithmetic in the same order), without a call, a cache or a copy per texel.
//
// A sampler is made once for a texture (a render run makes one for its whole run) and then only read, so
// every frame and every thread can share it. It keeps the texels also as doubles, in pairs (1, blue) and
// (green, red): the filter's sixteen weighted sums then take two packed multiplications and additions per
// texel, each lane doing exactly the scalar operation (the weight times 1 is the weight).

#include "image/TGAFile.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

class TextureSampler {
public:
    // antialiasing: the "Antialiasing" setting the texture document was made with (it fixes the weights of
    // the filter, as it does for the document's own SampleFiltered). The texture must not change while
    // the sampler is used.
    TextureSampler(const CTGAFile& texture, int antialiasing);

    // Nearest pixel, coordinates truncated toward zero; the outside colour (o2, o1, o0) outside.
    Bgr Pixel(double x, double y) const {
        if (!pixels || !(x > -1.0) || !(y > -1.0) || !(x < width) || !(y < height)) return outsidePixel;
        const uint8_t* p = At(static_cast<int>(x), static_cast<int>(y));
        return Bgr{p[0], p[1], p[2]};
    }

    // Per channel the truncated average of the five pixels at the given points.
    Bgr Average5(const double (&points)[5][2]) const {
        int b = 0, g = 0, r = 0;
        for (const auto& pt : points) {
            const Bgr p = Pixel(pt[0], pt[1]);
            b += p.b;
            g += p.g;
            r += p.r;
        }
        return Bgr{static_cast<uint8_t>(b / 5), static_cast<uint8_t>(g / 5), static_cast<uint8_t>(r / 5)};
    }

    // The Gaussian-weighted 4 x 4 filter around (x, y); the outside colour (o0, o1, o2) near and beyond the
    // edge.
    Bgr Filtered(double x, double y) const {
        const double x0 = x - 1.5, y0 = y - 1.5;
        if (!pixels || !(x0 >= 0) || x0 >= maxX - 2 || !(y0 >= 0) || y0 >= maxY - 2) return outsideFiltered;
        const double flx = std::floor(x0), fly = std::floor(y0);
        const int ix = static_cast<int>(flx), iy = static_cast<int>(fly);
        const double fx = x0 - flx, fy = y0 - fly;

        // dx * dx + dy * dy of every cell, from the four squares of each axis.
        double dx2[4], dy2[4];
        for (int k = 0; k < 4; ++k) {
            const double dx = k - 1 - fx;
            const double dy = k - 1 - fy;
            dx2[k] = dx * dx;
            dy2[k] = dy * dy;
        }
        if (!texels.empty()) {
            Pair wb = {0.0, 0.0}, gr = {0.0, 0.0}; // (sum of weights, blue), (green, red)
            for (int m = 0; m < 4; ++m) {
                const Texel* t = &texels[static_cast<size_t>(iy + m) * static_cast<size_t>(width) + ix];
                for (int k = 0; k < 4; ++k, ++t) {
                    const double wgt =
                        weights.w[static_cast<size_t>(1 + static_cast<int>(10.0 * (dx2[k] + dy2[m])))];
                    const Pair w = {wgt, wgt};
                    wb += w * t->oneBlue;
                    gr += w * t->greenRed;
                }
            }
            const double norm = wb[0] + 1e-8;
            return Bgr{Level(wb[1], norm), Level(gr[0], norm), Level(gr[1], norm)};
        }
        double sumW = 0, sumB = 0, sumG = 0, sumR = 0;
        for (int m = 0; m < 4; ++m) {
            const uint8_t* p = At(ix, iy + m);
            for (int k = 0; k < 4; ++k, p += 3) {
                const double wgt =
                    weights.w[static_cast<size_t>(1 + static_cast<int>(10.0 * (dx2[k] + dy2[m])))];
                sumW += wgt;
                sumB += wgt * p[0];
                sumG += wgt * p[1];
                sumR += wgt * p[2];
            }
        }
        const double norm = sumW + 1e-8;
        return Bgr{Level(sumB, norm), Level(sumG, norm), Level(sumR, norm)};
    }

    // The largest texture whose texels are also kept as doubles (32 bytes each); larger ones are filtered
    // from their bytes, with the same result.
    static constexpr long long kMaxTableTexels = 1LL << 22;

private:
    typedef double Pair __attribute__((vector_size(16)));
    struct Texel {
        Pair oneBlue;  // (1, blue)
        Pair greenRed; // (green, red)
    };

    const uint8_t* At(int x, int y) const {
        return pixels + static_cast<size_t>(y) * stride + 3 * static_cast<size_t>(x);
    }
    static uint8_t Level(double sum, double norm) {
        const double v = sum / norm + 0.5;
        return static_cast<uint8_t>(v >= 255.0 ? 255 : static_cast<int>(v));
    }

    const uint8_t* pixels;
    size_t stride;
    int width, height;
    double maxX, maxY;
    FilterWeights weights;
    Bgr outsidePixel, outsideFiltered;
    std::vector<Texel> texels; // row by row, as the pixels; empty for a texture too large
};
