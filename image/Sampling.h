#pragma once
// Reading colours from an image: the nearest pixel, the average of five, the Gaussian-weighted 4 x 4
// filter, and masking one image by another. All of them read through a PixelView and change nothing but
// the caller's cache, so threads may share an image.

#include "image/Image24.h"

// The 4 x 4 block cache of SampleFiltered. Each user of a shared image (one per thread) keeps its own.
// The cache remembers which image (and which state of its pixels) it was filled from, so a cache that is
// handed a different or changed image refills itself instead of returning stale pixels.
struct FilterCache {
    int keyX = -1, keyY = -1;
    std::array<Bgr, 16> cells{};
    const void* source = nullptr;
    unsigned long long version = 0;
};

// The 82 filter weights e^(-i/A), A from the "Antialiasing" setting (0 counts as 1).
struct FilterWeights {
    explicit FilterWeights(int antialiasing = 10);
    std::array<double, 82> w{};
};

// Nearest pixel; coordinates truncated toward zero; the outside colour (o2, o1, o0) outside the image.
Bgr SamplePixel(const PixelView& view, double x, double y);
// Per channel the truncated average of the five pixels at the given points.
Bgr SampleAverage5(const PixelView& view, const double (&points)[5][2]);
// The filter at (x, y); cache is refilled unless it holds the block of this source at this version.
Bgr SampleFiltered(const PixelView& view, const FilterWeights& weights, double x, double y,
                   FilterCache& cache, const void* source, unsigned long long version);
// Masks target in place: mask pixel (0,0) transparent, (1,0) brighter, (2,0) darker, others opaque.
void ApplyMask(Image24& target, const PixelView& mask);
// Shrinks source (k times target's width and height) into target: each target pixel gets, per channel, the
// average of its k x k block rounded to the nearest integer, (sum + k*k/2) / (k*k). k = 1 copies.
void AverageBlocks(const PixelView& source, int k, Image24& target);
