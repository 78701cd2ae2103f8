#pragma once
// Collects output in chunks so a large image is written with few system calls; remembers a failed write.

#include "app/AtomicFile.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class ChunkWriter {
public:
    explicit ChunkWriter(AtomicFile& f) : file(f) { buffer.reserve(chunk); }
    void put(const uint8_t* data, size_t size) {
        while (ok && size > 0) {
            size_t n = std::min(size, chunk - buffer.size());
            buffer.insert(buffer.end(), data, data + n);
            data += n;
            size -= n;
            if (buffer.size() == chunk) flush();
        }
    }
    bool finish() {
        flush();
        return ok;
    }

private:
    void flush() {
        if (ok && !buffer.empty()) ok = file.write(buffer.data(), buffer.size());
        buffer.clear();
    }
    static constexpr size_t chunk = 256 * 1024;
    AtomicFile& file;
    std::vector<uint8_t> buffer;
    bool ok = true;
};
