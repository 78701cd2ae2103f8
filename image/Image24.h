#pragma once
// Image24: a plain 24-bit image laid out like a packed device-independent bitmap, so the clipboard takes
// the block as it is: a 40-byte info header, then the rows bottom row first, pixels blue-green-red, each
// row padded with zeros to a multiple of four bytes. The rows may also be those of a file mapped into memory
// (AdoptMapped): read where they lie in the file, copied page by page only where written.

#include "app/MappedFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Stores the low bytes of v at p, least significant first (the fields of file and bitmap headers).
inline void PutLittleEndian(uint8_t* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Bgr {
    uint8_t b = 0, g = 0, r = 0;
    bool operator==(const Bgr&) const = default;
};

// What the samplers read of an image: its rows (null when no pixels are in memory, then every read is
// outside), the size they answer for, and the outside colour as bytes o0..o3.
struct PixelView {
    const uint8_t* pixels = nullptr;
    int stride = 0, width = 0, height = 0;
    std::array<uint8_t, 4> outside{};
};

class Image24 {
public:
    static constexpr int infoHeaderSize = 40;
    // The largest image kept in memory (pixels).
    static constexpr long long maxPixels = 1LL << 28;
    // Row stride of a 24-bit row of the given width: width * 3 rounded up to a multiple of 4.
    static long long RowStride(long long width) { return ((width * 3 - 1) & ~3LL) + 4; }

    // Makes the image width x height pixels, zeroed. False, and nothing changed, when the size is empty,
    // over maxPixels or cannot be allocated.
    bool create(int width, int height);
    // Makes the image width x height pixels whose rows, laid out as here (bottom row first, RowStride
    // bytes each), lie in `file` from byte `offset` on. False, and nothing changed, when they do not fit.
    bool AdoptMapped(std::unique_ptr<MappedFile> file, size_t offset, int width, int height);
    // The mapped file the rows lie in (none for an image of its own).
    const MappedFile* mapping() const { return mapped.get(); }

    bool empty() const { return block.empty() && !mapped; }
    int width() const { return w; }
    int height() const { return h; }
    int stride() const { return static_cast<int>(RowStride(w)); }
    uint8_t* pixelAt(int x, int y) { return rows() + offset(x, y); }
    const uint8_t* pixelAt(int x, int y) const { return rows() + offset(x, y); }
    // Every pixel the colour c (the row padding stays zero).
    void fill(Bgr c);
    // The whole block: info header and rows (a mapped image copies its rows into one at each call).
    const std::vector<uint8_t>& bitmap() const;

private:
    uint8_t* rows() { return mapped ? mapped->data() + mappedOffset : block.data() + infoHeaderSize; }
    const uint8_t* rows() const {
        return mapped ? mapped->data() + mappedOffset : block.data() + infoHeaderSize;
    }
    size_t offset(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(RowStride(w)) + 3 * static_cast<size_t>(x);
    }
    // The info header, and rows of the given size after it (zeros).
    static std::vector<uint8_t> Block(int width, int height);
    std::vector<uint8_t> block;
    mutable std::vector<uint8_t> packed; // a mapped image's bitmap()
    std::unique_ptr<MappedFile> mapped;
    size_t mappedOffset = 0;
    int w = 0, h = 0;
};
