#include "image/YuvCodec.h"

#include "image/ChunkWriter.h"

// Blocks of 2 x 2 pixels.
bool EncodeYuv(const Image24& image, Bgr outside, ChunkWriter& out) {
    if (image.empty()) return false;
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> row(static_cast<size_t>(w) + 1);
    // Top-down row t is memory row h - 1 - t; a last row of its own is paired with an outside row.
    auto at = [&](int x, int t) {
        if (x >= w || t >= h) return outside;
        const uint8_t* p = image.pixelAt(x, h - 1 - t);
        return Bgr{p[0], p[1], p[2]};
    };

    for (int t = 0; t < h + h % 2; ++t) {
        for (int x = 0; x < w; ++x) {
            Bgr p = at(x, t);
            // Up to about 3.7e9: unsigned 32-bit arithmetic, logical shift.
            uint32_t sum = 8424711u * p.g + 4291305u * p.r + 1636149u * p.b;
            row[static_cast<size_t>(x)] = static_cast<uint8_t>((sum / 255u + 1048576u) >> 16);
        }
        out.put(row.data(), static_cast<size_t>(w));
    }
    for (int plane = 0; plane < 2; ++plane) {
        for (int t = 0; t < h; t += 2) {
            for (int x = 0; x < w; x += 2) {
                int32_t s = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        Bgr p = at(x + dx, t + dy);
                        if (plane == 0)
                            s += (7340032 * p.b - 2476544 * p.r - 4863488 * p.g) / 255;
                        else
                            s += (7340032 * p.r - 6146560 * p.g - 1193472 * p.b) / 255;
                    }
                }
                row[static_cast<size_t>(x / 2)] = static_cast<uint8_t>((s >> 18) + 128);
            }
            out.put(row.data(), static_cast<size_t>(w / 2));
        }
    }
    return true;
}
