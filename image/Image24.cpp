#include "image/Image24.h"

#include <cstring>
#include <stdexcept>

namespace {
constexpr int32_t pixelsPerMetre = 3937; // about 100 dpi
}

std::vector<uint8_t> Image24::Block(int width, int height) {
    const long long imageSize = RowStride(width) * height;
    std::vector<uint8_t> made(static_cast<size_t>(infoHeaderSize + imageSize), 0);
    uint8_t* head = made.data();
    PutLittleEndian(head, infoHeaderSize, 4);
    PutLittleEndian(head + 4, static_cast<uint32_t>(width), 4);
    PutLittleEndian(head + 8, static_cast<uint32_t>(height), 4);
    PutLittleEndian(head + 12, 1, 2);
    PutLittleEndian(head + 14, 24, 2);
    PutLittleEndian(head + 20, static_cast<uint32_t>(imageSize), 4);
    PutLittleEndian(head + 24, pixelsPerMetre, 4);
    PutLittleEndian(head + 28, pixelsPerMetre, 4);
    return made;
}

bool Image24::create(int width, int height) {
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels) return false;
    std::vector<uint8_t> made;
    try {
        made = Block(width, height);
    } catch (const std::exception&) { // out of memory, or more than a vector can hold
        return false;
    }
    block = std::move(made);
    mapped.reset();
    packed.clear();
    w = width;
    h = height;
    return true;
}

bool Image24::AdoptMapped(std::unique_ptr<MappedFile> file, size_t offset, int width, int height) {
    if (!file || width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels ||
        offset > file->size() || file->size() - offset < static_cast<size_t>(RowStride(width) * height))
        return false;
    block.clear();
    block.shrink_to_fit();
    packed.clear();
    mapped = std::move(file);
    mappedOffset = offset;
    w = width;
    h = height;
    return true;
}

const std::vector<uint8_t>& Image24::bitmap() const {
    if (!mapped) return block;
    packed = Block(w, h);
    std::memcpy(packed.data() + infoHeaderSize, rows(), static_cast<size_t>(RowStride(w) * h));
    return packed;
}

void Image24::fill(Bgr c) {
    if (empty()) return;
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
