#pragma once
// Helpers of the image tests: TGA files built byte by byte, independent of the code under test.

#include <cstdint>
#include <string>
#include <vector>

namespace imgtest {

// An 18-byte TGA header; the fields the reader looks at are parameters.
inline std::string tgaHeader(int width, int height, int imageType = 2, int idLength = 0,
                             int bitsPerPixel = 24, int descriptor = 0, int colourMapType = 0) {
    std::string h(18, '\0');
    h[0] = static_cast<char>(idLength);
    h[1] = static_cast<char>(colourMapType);
    h[2] = static_cast<char>(imageType);
    h[7] = 24;
    h[12] = static_cast<char>(width & 0xFF);
    h[13] = static_cast<char>((width >> 8) & 0xFF);
    h[14] = static_cast<char>(height & 0xFF);
    h[15] = static_cast<char>((height >> 8) & 0xFF);
    h[16] = static_cast<char>(bitsPerPixel);
    h[17] = static_cast<char>(descriptor);
    return h;
}

// A whole TGA file; pixels are width * height BGR triples, bottom row first (rewritten top row first when
// topFirst is set, with the descriptor saying so).
inline std::string tgaFile(int width, int height, const std::vector<uint8_t>& bgrBottomFirst,
                           int idLength = 0, bool topFirst = false) {
    std::string f = tgaHeader(width, height, 2, idLength, 24, topFirst ? 0x20 : 0);
    for (int i = 0; i < idLength; ++i) f.push_back(static_cast<char>('A' + i % 26));
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        int src = topFirst ? height - 1 - y : y;
        f.append(reinterpret_cast<const char*>(bgrBottomFirst.data()) + row * static_cast<size_t>(src), row);
    }
    return f;
}

// Pixels whose bytes differ everywhere: pixel (x, y) = (x + 7y, 3x + y, x ^ y) modulo 256.
inline std::vector<uint8_t> patternPixels(int width, int height) {
    std::vector<uint8_t> p;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            p.push_back(static_cast<uint8_t>(x + 7 * y));
            p.push_back(static_cast<uint8_t>(3 * x + y));
            p.push_back(static_cast<uint8_t>(x ^ y));
        }
    return p;
}

} // namespace imgtest
