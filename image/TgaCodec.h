#pragma once
// The TGA codec: uncompressed 24-bit true colour without a colour map, read bottom row first or top row
// first, always written bottom row first. It reports what went wrong; the caller decides what to ask.

#include "image/Image24.h"

#include <string>
#include <unistd.h>
#include <utility>

class ChunkWriter;

enum class TgaError { None, OpenFailed, ReadFailed, Rejected, TooLarge };

// An open file descriptor, closed when it goes (-1: none).
struct FileDescriptor {
    int fd = -1;
    FileDescriptor(int f = -1) : fd(f) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor other) noexcept {
        std::swap(fd, other.fd);
        return *this;
    }
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// An opened TGA file whose pixels stay in the file (header-only use): pixels are read on demand with
// positioned reads, so several threads may read at once.
struct TgaPixelFile {
    // Reads count pixels of row y (0 = bottom) from column x. False when the file is not open, the span
    // lies outside the image or the file has shrunk since; the pixels not read are 0.
    bool readPixels(int x, int y, int count, uint8_t* out) const;

    int width = 0, height = 0;
    long long pixelOffset = 18; // where the pixel rows start
    bool topFirst = false;      // the file stores its top row first
    FileDescriptor file;
};

// Reads the file at path: with loadPixels its rows into pixels (and the file is closed again), else only
// its header, the file kept open in file. file describes the layout either way. A rejected file leaves
// the reason in why (when given), a sentence for the user: compressed, not 24 bits, truncated ...
// With map, pixels are the file's own rows mapped into memory where the file lays them out as an image
// in memory does (bottom row first, rows a multiple of four bytes long); else they are read.
TgaError ReadTga(const std::string& path, bool loadPixels, Image24& pixels, TgaPixelFile& file,
                 std::string* why = nullptr, bool map = false);
// The file's bytes; false when there is no image or it is too large for the 16-bit sizes of the header.
bool EncodeTga(const Image24& image, ChunkWriter& out);
