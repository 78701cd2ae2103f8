#pragma once
// Small helpers of the tool tests: TGA files written and read byte by byte (independently of CTGAFile),
// synthetic USGS DEM files in both layouts, and GDAL's ASCII grids.

#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"
#include "tools/ToolCommon.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tooltest {

// A picture as width x height pixels, bottom row first, blue-green-red.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;

    Picture() = default;
    Picture(int w, int h, Bgr fill = {}) : width(w), height(h), bgr(static_cast<size_t>(w) * h * 3) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) set(x, y, fill);
    }
    Bgr at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) throw std::out_of_range("pixel outside the picture");
        const uint8_t* p = &bgr.at((static_cast<size_t>(y) * width + x) * 3 + 2) - 2;
        return {p[0], p[1], p[2]};
    }
    void set(int x, int y, Bgr c) {
        uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
    uint32_t elevation(int x, int y) const { return PixelElevation(at(x, y)); }
    void setElevation(int x, int y, uint32_t e) {
        set(x, y, Bgr{uint8_t(e & 0xFF), uint8_t((e >> 8) & 0xFF), uint8_t((e >> 16) & 0xFF)});
    }
};

inline Bgr bgr(int b, int g, int r) {
    return Bgr{uint8_t(b), uint8_t(g), uint8_t(r)};
}
inline Bgr gray(int v) {
    return bgr(v, v, v);
}

inline void writeTga(const std::string& path, const Picture& p) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[7] = 24;
    bytes[12] = char(p.width & 0xFF);
    bytes[13] = char(p.width >> 8);
    bytes[14] = char(p.height & 0xFF);
    bytes[15] = char(p.height >> 8);
    bytes[16] = 24;
    bytes.append(p.bgr.begin(), p.bgr.end());
    TempDir::write(path, bytes);
}

// Reads an uncompressed 24-bit TGA as our writer makes it; an empty picture when the file is missing.
inline Picture readTga(const std::string& path) {
    std::string bytes = TempDir::read(path);
    Picture p;
    if (bytes.size() < 18) return p;
    p.width = uint8_t(bytes[12]) | (uint8_t(bytes[13]) << 8);
    p.height = uint8_t(bytes[14]) | (uint8_t(bytes[15]) << 8);
    p.bgr.assign(bytes.begin() + 18, bytes.end());
    return p;
}

inline bool exists(const std::string& path) {
    return std::ifstream(path).good();
}

// The tool environment of a test: a scripted platform and a recording progress.
struct Env {
    ScriptedPlatform platform;
    RecordingProgress progress;
    ToolEnv env{platform, progress};
};

// One profile of a synthetic DEM.
struct SynthProfile {
    int column = 1;
    std::vector<int> elevations;
};

// Header values of a synthetic DEM.
struct SynthHeader {
    std::string name = "SYNTHETIC TEST QUAD";
    int columns = 1;
    double minElevation = 0, maxElevation = 1000;
    double corners[4][2] = {
        {-286200.0, 144000.0}, {-286200.0, 144030.0}, {-286170.0, 144030.0}, {-286170.0, 144000.0}};
    bool extraElements = true; // the header elements after element 15, as record-based files carry them
};

inline std::string fixed(const std::string& s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}
inline std::string dReal(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%24.15E", v);
    std::string s = buffer;
    for (char& c : s)
        if (c == 'E') c = 'D';
    return fixed(s, 24);
}
inline std::string i6(int v) {
    return fixed(std::to_string(v), 6);
}

// The type A record (1024 characters).
inline std::string demHeaderRecord(const SynthHeader& h) {
    std::string r = h.name;
    r.resize(144, ' ');
    r += i6(1) + i6(1) + i6(0) + i6(0);
    for (int k = 0; k < 15; ++k) r += dReal(0.0);
    r += i6(3) + i6(2) + i6(4);
    for (const auto& c : h.corners) r += dReal(c[0]) + dReal(c[1]);
    r += dReal(h.minElevation) + dReal(h.maxElevation) + dReal(0.0);
    r += i6(0);
    r += "3.000000D+003.000000D+001.000000D+00";
    r += i6(1) + i6(h.columns);
    if (h.extraElements) r += "       0 1 1       0     0";
    r.resize(1024, ' ');
    return r;
}

// The records of one profile: header numbers in the first 144 characters, 146 elevations in the first
// record and 170 in each following one, every record filled with blanks to 1024 characters.
inline std::vector<std::string> demProfileRecords(const SynthProfile& p) {
    std::vector<std::string> records;
    std::string r = i6(1) + i6(p.column) + i6(int(p.elevations.size())) + i6(1) + dReal(0) + dReal(0) +
                    dReal(0) + dReal(0) + dReal(0);
    size_t perRecord = 146;
    for (int e : p.elevations) {
        if (perRecord == 0) {
            r.resize(1024, ' ');
            records.push_back(r);
            r.clear();
            perRecord = 170;
        }
        r += i6(e);
        --perRecord;
    }
    r.resize(1024, ' ');
    records.push_back(r);
    return records;
}

enum class DemLayout {
    Records,          // fixed 1024-byte records, no line breaks
    RecordLines,      // every 1024-character record followed by a line feed
    TrimmedCrLfLines, // records with their trailing blanks removed, each ended by CR LF
};

inline std::string makeDem(const SynthHeader& h, const std::vector<SynthProfile>& profiles,
                           DemLayout layout) {
    std::vector<std::string> records{demHeaderRecord(h)};
    for (const auto& p : profiles)
        for (auto& r : demProfileRecords(p)) records.push_back(r);
    std::string out;
    for (std::string r : records) {
        if (layout == DemLayout::TrimmedCrLfLines) r.erase(r.find_last_not_of(' ') + 1);
        out += r;
        if (layout == DemLayout::RecordLines) out += "\n";
        if (layout == DemLayout::TrimmedCrLfLines) out += "\r\n";
    }
    return out;
}

// GDAL's ASCII grid: ncols, rows north first, NODATA cells.
struct AsciiGrid {
    int columns = 0;
    int nodata = -32767;
    std::vector<std::vector<int>> rows;
};

inline AsciiGrid readAsciiGrid(const std::string& path) {
    AsciiGrid g;
    std::istringstream in(TempDir::read(path));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) continue;
        if (std::isalpha(static_cast<unsigned char>(first[0]))) {
            std::string value;
            words >> value;
            if (first == "ncols") g.columns = std::stoi(value);
            if (first == "NODATA_value") g.nodata = std::stoi(value);
            continue;
        }
        std::vector<int> row{static_cast<int>(std::stod(first))};
        std::string v;
        while (words >> v) row.push_back(static_cast<int>(std::stod(v)));
        g.rows.push_back(row);
    }
    return g;
}

} // namespace tooltest
