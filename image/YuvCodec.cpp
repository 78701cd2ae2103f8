#include "image/YuvCodec.h"

#include "image/ChunkWriter.h"

// Blocks of 2 x 2 pixels.
bool EncodeYuv(const Image24& image, Bgr outside, ChunkWriter& out) {
    if (image.empty()) return false;
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> luma0(static_cast<size_t>(w) + 1), luma1(static_cast<size_t>(w) + 1);
    std::vector<uint8_t> chroma(static_cast<size_t>(w) + 1);
    // Top-down row t is memory row h - 1 - t.
    auto at = [&](int x, int t) { return image.pixel(x, h - 1 - t, outside); };

    for (int t = 0; t < h; t += 2) {
        for (int x = 0; x < w; x += 2) {
            for (int dy = 0; dy < 2; ++dy) {
                std::vector<uint8_t>& row = dy == 0 ? luma0 : luma1;
                for (int dx = 0; dx < 2; ++dx) {
                    Bgr p = at(x + dx, t + dy);
                    // Up to about 3.7e9: unsigned 32-bit arithmetic, logical shift.
                    uint32_t sum = 8424711u * p.g + 4291305u * p.r + 1636149u * p.b;
                    row[static_cast<size_t>(x + dx)] = static_cast<uint8_t>((sum / 255u + 1048576u) >> 16);
                }
            }
        }
        out.put(luma0.data(), static_cast<size_t>(w));
        out.put(luma1.data(), static_cast<size_t>(w));
    }
    for (int plane = 0; plane < 2; ++plane) {
        for (int t = 0; t < h; t += 2) {
            for (int x = 0; x < w; x += 2) {
                int32_t s = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        Bgr p = at(x + dx, t + dy);
                        const int32_t b = p.b, g = p.g, r = p.r;
                        if (plane == 0)
                            s += (7340032 * b - 2476544 * r - 4863488 * g) / 255;
                        else
                            s += (7340032 * r - 6146560 * g - 1193472 * b) / 255;
                    }
                }
                chroma[static_cast<size_t>(x / 2)] = static_cast<uint8_t>((s >> 18) + 128);
            }
            out.put(chroma.data(), static_cast<size_t>(w / 2));
        }
    }
    return true;
}
