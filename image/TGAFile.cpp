#include "image/TGAFile.h"

#include "app/AtomicFile.h"
#include "app/RegularFile.h"
#include "app/Settings.h"
#include "image/ChunkWriter.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int infoHeaderSize = 40;
constexpr int tgaHeaderSize = 18;
constexpr int32_t pixelsPerMetre = 3937; // about 100 dpi

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Reads size bytes at offset, continuing after short reads. Returns the bytes read (fewer at the end of
// the file) or -1 on a read error.
long long readAt(int fd, void* out, size_t size, long long offset) {
    auto* p = static_cast<uint8_t*>(out);
    size_t done = 0;
    while (done < size) {
        ssize_t n =
            ::pread(fd, p + done, size - done, static_cast<off_t>(offset + static_cast<long long>(done)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<long long>(done);
}

bool equalsIgnoreCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Closes a descriptor on every path out of a scope unless released.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

} // namespace

FilterWeights::FilterWeights(int antialiasing) {
    const double a = antialiasing == 0 ? 1.0 : static_cast<double>(antialiasing);
    for (size_t i = 0; i < w.size(); ++i) w[i] = std::exp(-static_cast<double>(i) / a);
}

CTGAFile::CTGAFile(Platform& platform, int antialiasing) : plat(platform), weights(antialiasing) {}

CTGAFile::CTGAFile(Platform& platform, int antialiasing, bool loadPixelsFlag, double xScale, double yScale)
    : xScaleReciprocal(1.0 / xScale), yScaleReciprocal(1.0 / yScale), plat(platform), weights(antialiasing),
      loadPixels(loadPixelsFlag) {}

CTGAFile::~CTGAFile() {
    closeFile();
}

void CTGAFile::closeFile() {
    if (fileDescriptor >= 0) ::close(fileDescriptor);
    fileDescriptor = -1;
}

std::string CTGAFile::FileExtension(const std::string& p) {
    size_t slash = p.find_last_of('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = p.find_last_of('.');
    if (dot == std::string::npos || dot < start) return {};
    return p.substr(dot);
}

std::string CTGAFile::YuvFileName(const std::string& p) {
    const std::string ext = FileExtension(p);
    // A name that already ends in ".yuv" is kept as the user typed it (file names are case-sensitive here).
    if (equalsIgnoreCase(ext, ".yuv")) return p;
    return p.substr(0, p.size() - ext.size()) + ".yuv";
}

// ---------------------------------------------------------------------------------------------------------
// The in-memory block: the 40-byte bitmap info header, then the rows bottom row first.

bool CTGAFile::allocateBlock(std::vector<uint8_t>& block, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (static_cast<long long>(width) * height > maxPixels) return false;
    const long long stride = RowStride(width);
    const long long imageSize = stride * height;
    try {
        block.assign(static_cast<size_t>(infoHeaderSize + imageSize), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    uint8_t* h = block.data();
    put32(h, infoHeaderSize);
    put32(h + 4, static_cast<uint32_t>(width));
    put32(h + 8, static_cast<uint32_t>(height));
    put16(h + 12, 1);
    put16(h + 14, 24);
    put32(h + 16, 0);
    put32(h + 20, static_cast<uint32_t>(imageSize));
    put32(h + 24, pixelsPerMetre);
    put32(h + 28, pixelsPerMetre);
    put32(h + 32, 0);
    put32(h + 36, 0);
    return true;
}

// Makes block the document's image of the given size (the file header record describes it) and locks it
// when the document keeps its pixels.
void CTGAFile::adoptBlock(std::vector<uint8_t>&& block, int width, int height) {
    closeFile();
    image = std::move(block);
    std::memset(header, 0, sizeof header);
    header[2] = 2;
    header[7] = 24;
    put16(header + 12, static_cast<uint32_t>(width));
    put16(header + 14, static_cast<uint32_t>(height));
    header[16] = 24;
    docWidth = width;
    docHeight = height;
    pixelOffset = tgaHeaderSize;
    topFirst = false;
    ++contentVersion;
    if (loadPixels) lock(width, height);
}

void CTGAFile::lock(int width, int height) {
    pixels = image.empty() ? nullptr : image.data() + infoHeaderSize;
    rowStride = static_cast<int>(RowStride(width));
    maximumX = width - 1;
    maximumY = height - 1;
    lockedWidth = width;
    lockedHeight = height;
}

bool CTGAFile::CreateImage(int width, int height) {
    modified = false;
    std::vector<uint8_t> block;
    if (!allocateBlock(block, width, height)) return false;
    adoptBlock(std::move(block), width, height);
    return true;
}

bool CTGAFile::ReplaceImage(int width, int height, const std::vector<uint8_t>& bgrRows) {
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > maxPixels) {
        plat.message(LoadString(IDS_TGA_TOO_LARGE), MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (width == 0 || height == 0 || bgrRows.size() != rowBytes * static_cast<size_t>(height)) return false;
    std::vector<uint8_t> block;
    if (!allocateBlock(block, width, height)) {
        plat.message(LoadString(IDS_TGA_TOO_LARGE), MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    const size_t stride = static_cast<size_t>(RowStride(width));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y)
        std::memcpy(block.data() + infoHeaderSize + y * stride, bgrRows.data() + y * rowBytes, rowBytes);
    adoptBlock(std::move(block), width, height);
    modified = true;
    return true;
}

void CTGAFile::UnlockImage() {
    if (loadPixels) {
        pixels = nullptr;
        rowStride = 0;
        maximumX = maximumY = 0;
        lockedWidth = lockedHeight = 0;
    }
    busy = false;
}

// ---------------------------------------------------------------------------------------------------------
// Opening

bool CTGAFile::OpenImage(const std::string& name) {
    for (;;) {
        switch (tryOpen(name)) {
        case OpenOutcome::Opened:
            return true;
        case OpenOutcome::OpenFailed:
            if (plat.askRetry(FormatString(IDS_TGA_OPEN_RETRY, name.c_str()))) continue;
            return false;
        case OpenOutcome::ReadFailed:
            if (plat.askRetry(FormatString(IDS_TGA_READ_RETRY, name.c_str()))) continue;
            return false;
        case OpenOutcome::Rejected:
            plat.error(FormatString(IDS_CANNOT_OPEN_FILE, name.c_str()));
            return false;
        case OpenOutcome::TooLarge:
            plat.message(LoadString(IDS_TGA_TOO_LARGE), MsgIcon::Warning, MsgButtons::Ok);
            return false;
        }
    }
}

CTGAFile::OpenOutcome CTGAFile::tryOpen(const std::string& name) {
    FdGuard file{OpenRegularFileForReading(name)};
    if (file.fd < 0) return OpenOutcome::OpenFailed;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return OpenOutcome::OpenFailed;

    WaitCursor wait(plat);
    uint8_t head[tgaHeaderSize];
    long long got = readAt(file.fd, head, sizeof head, 0);
    if (got < 0) return OpenOutcome::ReadFailed;
    // Only uncompressed 24-bit true colour without a colour map is read.
    if (got < tgaHeaderSize || head[1] != 0 || head[2] != 2 || head[16] != 24) return OpenOutcome::Rejected;
    const int width = head[12] | (head[13] << 8);
    const int height = head[14] | (head[15] << 8);
    if (width == 0 || height == 0) return OpenOutcome::Rejected;
    // Pixels kept in memory are limited; header-only lookups allocate nothing and take any size.
    if (loadPixels && static_cast<long long>(width) * height > maxPixels) return OpenOutcome::TooLarge;
    // The image ID field (its length is byte 0) lies between the header and the pixels.
    const long long offset = tgaHeaderSize + head[0];
    const long long rowBytes = 3LL * width;
    if (st.st_size < offset + rowBytes * height) return OpenOutcome::Rejected;
    const bool storedTopFirst = (head[17] & 0x20) != 0;

    std::vector<uint8_t> block;
    if (loadPixels) {
        if (!allocateBlock(block, width, height)) return OpenOutcome::Rejected;
        const long long stride = RowStride(width);
        for (int y = 0; y < height; ++y) {
            const long long fileRow = storedTopFirst ? height - 1 - y : y;
            uint8_t* row = block.data() + infoHeaderSize + stride * y;
            long long n = readAt(file.fd, row, static_cast<size_t>(rowBytes), offset + fileRow * rowBytes);
            if (n < 0) return OpenOutcome::ReadFailed;
            if (n < rowBytes) return OpenOutcome::Rejected;
        }
    }

    // Success: the document takes the new image (or, in header-only mode, the open file).
    closeFile();
    image = std::move(block);
    std::memcpy(header, head, sizeof header);
    docWidth = width;
    docHeight = height;
    pixelOffset = offset;
    topFirst = storedTopFirst;
    ++contentVersion;
    path = name;
    modified = false;
    if (!loadPixels) fileDescriptor = file.release();
    if (settings) settings->writeString("Recent File Load", "Name", FileExtension(name));
    maximumX = width - 1;
    maximumY = height - 1;
    lockedWidth = width;
    lockedHeight = height;
    if (loadPixels) {
        lock(width, height);
    } else {
        pixels = nullptr;
        rowStride = 0;
    }
    return OpenOutcome::Opened;
}

bool CTGAFile::readFilePixels(int x, int y, int count, uint8_t* out) const {
    const size_t size = static_cast<size_t>(count) * 3;
    if (fileDescriptor < 0 || x < 0 || y < 0 || y >= docHeight || count < 0 || x + count > docWidth) {
        std::memset(out, 0, size);
        return false;
    }
    const long long fileRow = topFirst ? docHeight - 1 - y : y;
    const long long offset = pixelOffset + 3 * (fileRow * docWidth + x);
    long long n = readAt(fileDescriptor, out, size, offset);
    if (n == static_cast<long long>(size)) return true;
    // The file shrank since it was opened (or cannot be read): the missing pixels read as 0.
    size_t valid = n < 0 ? 0 : static_cast<size_t>(n);
    std::memset(out + valid, 0, size - valid);
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// Saving

bool CTGAFile::saveWithRetries(const std::string& target, int openQuestion, int saveQuestion,
                               const std::function<bool(ChunkWriter&)>& encode) {
    for (;;) {
        AtomicFile file;
        if (!file.open(target)) {
            if (plat.askRetry(FormatString(openQuestion, target.c_str()))) continue;
            return false;
        }
        for (;;) {
            bool written;
            {
                WaitCursor wait(plat);
                ChunkWriter out(file);
                written = encode(out) && out.finish() && file.commit();
            }
            if (written) return true;
            if (!plat.askRetry(FormatString(saveQuestion, target.c_str()))) {
                file.abort();
                return false;
            }
            // Write again from the first byte; a file that could not be renamed into place is made anew.
            if (!file.isOpen() || !file.rewind()) break;
        }
    }
}

bool CTGAFile::encodeTga(ChunkWriter& out) const {
    // The TGA header holds 16-bit sizes: a larger image cannot be written.
    if (image.empty() || docWidth <= 0 || docHeight <= 0 || docWidth > 0xFFFF || docHeight > 0xFFFF)
        return false;
    uint8_t head[tgaHeaderSize] = {};
    head[2] = 2;
    head[7] = 24;
    put16(head + 12, static_cast<uint32_t>(docWidth));
    put16(head + 14, static_cast<uint32_t>(docHeight));
    head[16] = 24;
    out.put(head, sizeof head);
    const size_t stride = static_cast<size_t>(RowStride(docWidth));
    const uint8_t* rows = image.data() + infoHeaderSize;
    for (size_t y = 0; y < static_cast<size_t>(docHeight); ++y)
        out.put(rows + y * stride, static_cast<size_t>(docWidth) * 3);
    return true;
}

bool CTGAFile::writeTga(const std::string& target) {
    bool ok = saveWithRetries(target, IDS_TGA_OPEN_RETRY, IDS_TGA_SAVE_RETRY,
                              [this](ChunkWriter& out) { return encodeTga(out); });
    if (ok) modified = false;
    return ok;
}

bool CTGAFile::SaveImage(const std::string& target) {
    if (equalsIgnoreCase(FileExtension(target), ".yuv")) return WriteYuvFile(target);
    return writeTga(target);
}

bool CTGAFile::SaveImageAs(const std::string& target, int format) {
    switch (format) {
    case 0:
        return SaveImage(target);
    case 1:
        return WriteYuvFile(target);
    default: {
        bool tga = SaveImage(target);
        bool yuv = WriteYuvFile(target);
        return tga && yuv;
    }
    }
}

Bgr CTGAFile::blockPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= docWidth || y >= docHeight || image.empty()) return outsidePixel();
    const uint8_t* p = image.data() + infoHeaderSize +
                       static_cast<size_t>(y) * static_cast<size_t>(RowStride(docWidth)) +
                       3 * static_cast<size_t>(x);
    return Bgr{p[0], p[1], p[2]};
}

// ---------------------------------------------------------------------------------------------------------
// Pixel access and sampling

Bgr CTGAFile::GetPixel(double x, double y) const {
    // Coordinates are truncated toward zero, so anything above -1 reaches column or row 0.
    if (!pixels || !(x > -1.0) || !(y > -1.0) || !(x < lockedWidth) || !(y < lockedHeight))
        return outsidePixel();
    const uint8_t* p = pixelAt(static_cast<int>(x), static_cast<int>(y));
    return Bgr{p[0], p[1], p[2]};
}

Bgr CTGAFile::SampleAverage5(const double (&points)[5][2]) const {
    int b = 0, g = 0, r = 0;
    for (const auto& pt : points) {
        Bgr p = GetPixel(pt[0], pt[1]);
        b += p.b;
        g += p.g;
        r += p.r;
    }
    return Bgr{static_cast<uint8_t>(b / 5), static_cast<uint8_t>(g / 5), static_cast<uint8_t>(r / 5)};
}

Bgr CTGAFile::SampleFiltered(double x, double y, FilterCache& cache) const {
    const double x0 = x - 1.5, y0 = y - 1.5;
    // Here the outside colour comes back in its own byte order (o0, o1, o2 as blue, green, red).
    if (!pixels || !(x0 >= 0) || x0 >= maximumX - 2 || !(y0 >= 0) || y0 >= maximumY - 2)
        return Bgr{outside[0], outside[1], outside[2]};
    const double flx = std::floor(x0), fly = std::floor(y0);
    const int ix = static_cast<int>(flx), iy = static_cast<int>(fly);
    const double fx = x0 - flx, fy = y0 - fly;

    if (cache.keyX != ix || cache.keyY != iy || cache.source != this || cache.version != contentVersion) {
        for (int m = 0; m < 4; ++m) {
            const uint8_t* p = pixelAt(ix, iy + m);
            for (int k = 0; k < 4; ++k, p += 3)
                cache.cells[static_cast<size_t>(4 * m + k)] = Bgr{p[0], p[1], p[2]};
        }
        cache.keyX = ix;
        cache.keyY = iy;
        cache.source = this;
        cache.version = contentVersion;
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

// ---------------------------------------------------------------------------------------------------------
// Whole-image operations

void CTGAFile::FillGray(uint8_t level) {
    if (!pixels) return;
    for (int y = 0; y < lockedHeight; ++y)
        std::memset(pixelAt(0, y), level, static_cast<size_t>(lockedWidth) * 3);
    ++contentVersion;
}

void CTGAFile::FillColor(uint32_t colour) {
    for (size_t i = 0; i < 4; ++i) outside[i] = static_cast<uint8_t>(colour >> (8 * i));
    if (!pixels) return;
    // The colour 0x00BBGGRR: its blue byte goes into the pixel's blue byte, and so on.
    const Bgr c = outsidePixel();
    if (lockedHeight > 0) {
        // One row pixel by pixel, the others copied from it.
        uint8_t* first = pixelAt(0, 0);
        uint8_t* p = first;
        for (int x = 0; x < lockedWidth; ++x, p += 3) {
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
        const size_t rowBytes = static_cast<size_t>(lockedWidth) * 3;
        for (int y = 1; y < lockedHeight; ++y) std::memcpy(pixelAt(0, y), first, rowBytes);
    }
    ++contentVersion;
}

void CTGAFile::ApplyMask(const CTGAFile& mask) {
    if (!pixels) return;
    const Bgr transparent = mask.GetPixel(0, 0);
    const Bgr brighter = mask.GetPixel(1, 0);
    const Bgr darker = mask.GetPixel(2, 0);
    for (int y = 0; y < lockedHeight; ++y) {
        uint8_t* p = pixelAt(0, y);
        for (int x = 0; x < lockedWidth; ++x, p += 3) {
            const Bgr m = mask.GetPixel(x, y);
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
    ++contentVersion;
}
