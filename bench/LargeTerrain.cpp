// Writes a large synthetic terrain for the large-terrain benchmark (scripts/run-bench): an elevation file
// and a texture of SIZE x SIZE pixels, both 24-bit TGA. The landscape is smooth fractal noise laid over
// the unit square, so every size shows the same hills, only sampled more finely; the same size always
// gives the same bytes.
//
//   large_terrain SIZE ELEVATION.tga TEXTURE.tga
//
// Elevations run from about 2000 to 22000 file units (with the benchmark scene's z scale of 0.04, 80 to
// 880 world units over 8192 or 16384); the texture colours the height bands and adds fine detail, so that
// the exact lookup has something to filter. Rows are written as they are made: the memory stays small.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

uint32_t Hash(int64_t x, int64_t y, uint32_t seed) {
    uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ULL ^
                 static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4FULL ^ seed * 0x165667B19E3779F9ULL;
    h ^= h >> 31;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

// Value noise in [-1, 1] on a lattice of spacing 1, with quintic interpolation (smooth slopes).
double Noise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
    const double tx = x - fx, ty = y - fy;
    auto fade = [](double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); };
    auto value = [seed](int64_t a, int64_t b) { return Hash(a, b, seed) / 2147483647.5 - 1.0; };
    const double u = fade(tx), v = fade(ty);
    const double bottom = value(ix, iy) + u * (value(ix + 1, iy) - value(ix, iy));
    const double top = value(ix, iy + 1) + u * (value(ix + 1, iy + 1) - value(ix, iy + 1));
    return bottom + v * (top - bottom);
}

// The fractal height in [-1, 1] (roughly) at (u, v) of the unit square, with octaves down to `finest`.
double Fractal(double u, double v, double finest, uint32_t seed) {
    double sum = 0.0, amplitude = 0.5, frequency = 3.0;
    for (int octave = 0; octave < 16 && 1.0 / frequency >= finest; ++octave) {
        sum += amplitude * Noise(u * frequency, v * frequency, seed + static_cast<uint32_t>(octave));
        amplitude *= 0.48;
        frequency *= 2.0;
    }
    return sum;
}

bool WriteHeader(std::FILE* f, int size) {
    uint8_t h[18] = {};
    h[2] = 2; // uncompressed true colour
    h[12] = static_cast<uint8_t>(size);
    h[13] = static_cast<uint8_t>(size >> 8);
    h[14] = static_cast<uint8_t>(size);
    h[15] = static_cast<uint8_t>(size >> 8);
    h[16] = 24;
    return std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: large_terrain SIZE ELEVATION.tga TEXTURE.tga\n");
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 32768) {
        std::fprintf(stderr, "large_terrain: SIZE must lie in 16 ... 32768\n");
        return 2;
    }
    const std::string elevationName = argv[2], textureName = argv[3];
    std::FILE* elevation = std::fopen(elevationName.c_str(), "wb");
    std::FILE* texture = std::fopen(textureName.c_str(), "wb");
    if (!elevation || !texture || !WriteHeader(elevation, size) || !WriteHeader(texture, size)) {
        std::fprintf(stderr, "large_terrain: cannot write %s or %s\n", argv[2], argv[3]);
        return 1;
    }
    const double pixel = 1.0 / size;
    std::vector<uint8_t> elevationRow(3 * static_cast<size_t>(size)), textureRow(elevationRow.size());
    for (int y = 0; y < size; ++y) {
        const double v = (y + 0.5) * pixel;
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) * pixel;
            // Broad hills plus finer relief, both smooth at the pixel scale (nothing finer than 8 pixels).
            const double h = Fractal(u, v, 8.0 * pixel, 11);
            const uint32_t e =
                static_cast<uint32_t>(std::lround(12000.0 + 10000.0 * std::clamp(h, -1.0, 1.0)));
            uint8_t* p = &elevationRow[3 * static_cast<size_t>(x)];
            p[0] = static_cast<uint8_t>(e);
            p[1] = static_cast<uint8_t>(e >> 8);
            p[2] = static_cast<uint8_t>(e >> 16);

            // Meadow green low, rock brown higher, pale near the top; a fine pattern on top of it.
            const double t = std::clamp((e - 2000.0) / 20000.0, 0.0, 1.0);
            const double detail = 0.5 + 0.5 * Noise(u * size / 3.0, v * size / 3.0, 97);
            const double r = t < 0.5 ? 70 + 160 * t : 150 + 180 * (t - 0.5);
            const double g = t < 0.5 ? 120 + 40 * t : 140 + 200 * (t - 0.5);
            const double b = t < 0.5 ? 50 + 30 * t : 65 + 300 * (t - 0.5);
            auto level = [detail](double c) {
                return static_cast<uint8_t>(std::clamp(c * (0.8 + 0.4 * detail), 0.0, 255.0));
            };
            uint8_t* q = &textureRow[3 * static_cast<size_t>(x)];
            q[0] = level(b);
            q[1] = level(g);
            q[2] = level(r);
        }
        if (std::fwrite(elevationRow.data(), 1, elevationRow.size(), elevation) != elevationRow.size() ||
            std::fwrite(textureRow.data(), 1, textureRow.size(), texture) != textureRow.size()) {
            std::fprintf(stderr, "large_terrain: writing failed\n");
            return 1;
        }
    }
    if (std::fclose(elevation) != 0 || std::fclose(texture) != 0) {
        std::fprintf(stderr, "large_terrain: writing failed\n");
        return 1;
    }
    return 0;
}
