#include "image/TgaCodec.h"

#include "app/RegularFile.h"
#include "image/ChunkWriter.h"
#include "res/StringTable.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr int tgaHeaderSize = 18;

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

} // namespace

bool TgaPixelFile::readPixels(int x, int y, int count, uint8_t* out) const {
    const size_t size = static_cast<size_t>(count) * 3;
    long long n = -1;
    if (file.fd >= 0 && x >= 0 && y >= 0 && y < height && count >= 0 && x + count <= width) {
        const long long fileRow = topFirst ? height - 1 - y : y;
        n = readAt(file.fd, out, size, pixelOffset + 3 * (fileRow * width + x));
        if (n == static_cast<long long>(size)) return true;
    }
    // Outside the image, or the file shrank since it was opened (or cannot be read): what is missing is 0.
    const size_t valid = n < 0 ? 0 : static_cast<size_t>(n);
    std::memset(out + valid, 0, size - valid);
    return false;
}

TgaError ReadTga(const std::string& path, bool loadPixels, Image24& pixels, TgaPixelFile& file,
                 std::string* why, bool map) {
    std::string unused;
    std::string& reason = why ? *why : unused;
    reason.clear();
    auto rejected = [&reason](std::string text) {
        reason = std::move(text);
        return TgaError::Rejected;
    };
    FileDescriptor opened(OpenRegularFileForReading(path));
    if (opened.fd < 0) return TgaError::OpenFailed;
    struct stat st {};
    if (::fstat(opened.fd, &st) != 0) return TgaError::OpenFailed;

    uint8_t head[tgaHeaderSize];
    long long got = readAt(opened.fd, head, sizeof head, 0);
    if (got < 0) return TgaError::ReadFailed;
    // Only uncompressed 24-bit true colour without a colour map is read.
    if (got < tgaHeaderSize) return rejected(FormatString(IDS_TGA_WHY_NO_HEADER, got));
    const int type = head[2];
    if (head[1] != 0 || type == 1 || type == 9) return rejected(LoadString(IDS_TGA_WHY_COLOUR_MAPPED));
    if (type == 10 || type == 11) return rejected(LoadString(IDS_TGA_WHY_COMPRESSED));
    if (type != 2) return rejected(FormatString(IDS_TGA_WHY_NOT_TRUE_COLOUR, type));
    if (head[16] != 24) return rejected(FormatString(IDS_TGA_WHY_NOT_24_BITS, int(head[16])));
    const int width = head[12] | (head[13] << 8), height = head[14] | (head[15] << 8);
    if (width == 0 || height == 0) return rejected(FormatString(IDS_TGA_WHY_NO_PIXELS, width, height));
    // Pixels kept in memory are limited; header-only lookups allocate nothing and take any size.
    if (loadPixels && static_cast<long long>(width) * height > Image24::maxPixels) return TgaError::TooLarge;
    // The image ID field (its length is byte 0) lies between the header and the pixels.
    const long long offset = tgaHeaderSize + head[0];
    const long long rowBytes = 3LL * width;
    if (st.st_size < offset + rowBytes * height)
        return rejected(FormatString(IDS_TGA_WHY_TRUNCATED, width, height, offset + rowBytes * height,
                                     static_cast<long long>(st.st_size)));
    const bool topFirst = (head[17] & 0x20) != 0;

    Image24 read;
    if (loadPixels && map && !topFirst && rowBytes == Image24::RowStride(width) &&
        read.AdoptMapped(MappedFile::Map(opened.fd, static_cast<size_t>(offset + rowBytes * height)),
                         static_cast<size_t>(offset), width, height)) {
        opened = FileDescriptor();
    } else if (loadPixels) {
        if (!read.create(width, height)) return rejected(FormatString(IDS_TGA_WHY_NO_MEMORY, width, height));
        for (int y = 0; y < height; ++y) {
            const long long fileRow = topFirst ? height - 1 - y : y;
            long long n = readAt(opened.fd, read.pixelAt(0, y), static_cast<size_t>(rowBytes),
                                 offset + fileRow * rowBytes);
            if (n < 0) return TgaError::ReadFailed;
            if (n < rowBytes) return rejected(LoadString(IDS_TGA_WHY_SHRANK));
        }
        opened = FileDescriptor();
    }
    pixels = std::move(read);
    file = TgaPixelFile{width, height, offset, topFirst, std::move(opened)};
    return TgaError::None;
}

bool EncodeTga(const Image24& image, ChunkWriter& out) {
    const int width = image.width(), height = image.height();
    // The TGA header holds 16-bit sizes: a larger image cannot be written.
    if (image.empty() || width > 0xFFFF || height > 0xFFFF) return false;
    uint8_t head[tgaHeaderSize] = {};
    head[2] = 2;
    head[7] = 24;
    PutLittleEndian(head + 12, static_cast<uint32_t>(width), 2);
    PutLittleEndian(head + 14, static_cast<uint32_t>(height), 2);
    head[16] = 24;
    out.put(head, sizeof head);
    for (int y = 0; y < height; ++y) out.put(image.pixelAt(0, y), static_cast<size_t>(width) * 3);
    return true;
}
