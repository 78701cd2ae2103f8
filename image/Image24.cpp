#include "image/Image24.h"

#include <cstring>
#include <stdexcept>

namespace {
constexpr int32_t pixelsPerMetre = 3937; // about 100 dpi
}

bool Image24::create(int width, int height) {
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels) return false;
    const long long imageSize = RowStride(width) * height;
    std::vector<uint8_t> made;
    try {
        made.assign(static_cast<size_t>(infoHeaderSize + imageSize), 0);
    } catch (const std::exception&) { // out of memory, or more than a vector can hold
        return false;
    }
    uint8_t* head = made.data();
    PutLittleEndian(head, infoHeaderSize, 4);
    PutLittleEndian(head + 4, static_cast<uint32_t>(width), 4);
    PutLittleEndian(head + 8, static_cast<uint32_t>(height), 4);
    PutLittleEndian(head + 12, 1, 2);
    PutLittleEndian(head + 14, 24, 2);
    PutLittleEndian(head + 20, static_cast<uint32_t>(imageSize), 4);
    PutLittleEndian(head + 24, pixelsPerMetre, 4);
    PutLittleEndian(head + 28, pixelsPerMetre, 4);
    block = std::move(made);
    w = width;
    h = height;
    return true;
}

void Image24::fill(Bgr c) {
    if (block.empty()) return;
    // One row pixel by pixel, the others copied from it.
    uint8_t* first = pixelAt(0, 0);
    uint8_t* p = first;
    for (int x = 0; x < w; ++x, p += 3) {
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
    for (int y = 1; y < h; ++y) std::memcpy(pixelAt(0, y), first, static_cast<size_t>(w) * 3);
}
