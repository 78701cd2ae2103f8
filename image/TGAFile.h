#pragma once
// CTGAFile: the image document behind every picture of the program (maps, textures, masks, elevation
// files, rendered frames, tool inputs and outputs). It owns one 24-bit image laid out like a packed
// device-independent bitmap: rows bottom row first, pixels blue-green-red, each row padded with zeros to a
// multiple of four bytes. Files are uncompressed 24-bit TGA; a ".yuv" name writes a planar YUV frame.

#include "app/Platform.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SettingsStore;
class ChunkWriter;

struct Bgr {
    uint8_t b = 0, g = 0, r = 0;
    bool operator==(const Bgr&) const = default;
};

// The 4 x 4 block cache of SampleFiltered. Each user of a shared image (one per thread) keeps its own.
// The cache remembers which document (and which state of its pixels) it was filled from, so a cache that
// is handed a different or changed image refills itself instead of returning stale pixels.
struct FilterCache {
    int keyX = -1, keyY = -1;
    std::array<Bgr, 16> cells{};
    const void* source = nullptr;
    unsigned long long version = 0;
};

// The 82 filter weights e^(-i/A), A from the "Antialiasing" setting (0 counts as 1).
struct FilterWeights {
    explicit FilterWeights(int antialiasing = 10);
    std::array<double, 82> w{};
};

class CTGAFile {
public:
    // Plain image: pixels in memory, scales 1. antialiasing is the user's "Antialiasing" setting at the
    // moment the document is made (it fixes the filter weights of SampleFiltered).
    explicit CTGAFile(Platform& platform, int antialiasing = 10);
    // With loadPixels false the document works in header-only mode (see OpenImage).
    CTGAFile(Platform& platform, int antialiasing, bool loadPixels, double xScale, double yScale);
    virtual ~CTGAFile();
    CTGAFile(const CTGAFile&) = delete;
    CTGAFile& operator=(const CTGAFile&) = delete;

    // Where a successful open records the extension of the opened file ("Recent File Load" / "Name").
    void setSettings(SettingsStore* store) { settings = store; }

    // Reads a TGA file (messages and retry questions through the platform). In header-only mode only the
    // header is read and the file stays open for the elevation lookup.
    bool OpenImage(const std::string& path);
    // Makes a new zeroed image of the given size (pixels locked for direct access).
    bool CreateImage(int width, int height);
    // Writes path as TGA, or as YUV when its extension is ".yuv" in any letter case.
    bool SaveImage(const std::string& path);
    // format 0: SaveImage; 1: YUV (extension replaced by ".yuv"); 2: both, TGA first.
    bool SaveImageAs(const std::string& path, int format);
    // The planar 4:2:0 YUV frame, written under path with its extension replaced by ".yuv".
    bool WriteYuvFile(const std::string& path);
    // Ends direct access to the pixels (width and height read 0 afterwards); clears the busy flag.
    void UnlockImage();

    int GetWidth() const { return lockedWidth; }
    int GetHeight() const { return lockedHeight; }

    // Nearest pixel; coordinates truncated toward zero; the outside colour outside the image.
    Bgr GetPixel(double x, double y) const;
    // Per channel the truncated average of the five pixels at the given points.
    Bgr SampleAverage5(const double (&points)[5][2]) const;
    // The Gaussian-weighted 4 x 4 filter, with the caller's block cache (thread-safe on a shared image).
    Bgr SampleFiltered(double x, double y, FilterCache& cache) const;
    // The same with the document's own cache (single-threaded users).
    Bgr SampleFiltered(double x, double y) { return SampleFiltered(x, y, ownCache); }

    void FillGray(uint8_t level);
    // Fills every pixel with the colour 0x00BBGGRR and makes it the outside colour.
    void FillColor(uint32_t colour);
    // Masks this image in place: mask pixel (0,0) transparent, (1,0) brighter, (2,0) darker, others opaque.
    void ApplyMask(const CTGAFile& mask);

    // Direct pixel access (valid while locked). Row 0 is the bottom row.
    bool hasImage() const { return !image.empty(); }
    uint8_t* pixelData() { return pixels; }
    const uint8_t* pixelData() const { return pixels; }
    int stride() const { return rowStride; }
    uint8_t* pixelAt(int x, int y) {
        return pixels + static_cast<size_t>(y) * rowStride + 3 * static_cast<size_t>(x);
    }
    const uint8_t* pixelAt(int x, int y) const {
        return pixels + static_cast<size_t>(y) * rowStride + 3 * static_cast<size_t>(x);
    }
    // The whole packed bitmap (40-byte info header followed by the rows), as the clipboard wants it.
    const std::vector<uint8_t>& bitmap() const { return image; }
    // Replaces the picture by width x height pixels given bottom row first, tightly packed BGR (a paste).
    bool ReplaceImage(int width, int height, const std::vector<uint8_t>& bgrRows);

    // The outside colour as bytes o0..o3 (default 255, 255, 255, 0).
    std::array<uint8_t, 4> outsideColour() const { return outside; }
    // The outside colour as the pixel a reader substitutes for a pixel outside the image (o2, o1, o0).
    Bgr outsidePixel() const { return Bgr{outside[2], outside[1], outside[0]}; }

    // Header-derived values (valid in both modes after an open).
    int headerWidth() const { return docWidth; }
    int headerHeight() const { return docHeight; }
    double maxX() const { return maximumX; }
    double maxY() const { return maximumY; }
    bool loadsPixels() const { return loadPixels; }

    // Document state.
    const std::string& pathName() const { return path; }
    void setPathName(const std::string& p) { path = p; }
    bool isModified() const { return modified; }
    void setModified(bool m) { modified = m; }
    bool isBusy() const { return busy; }
    void setBusy(bool b) { busy = b; }

    Platform& platform() const { return plat; }

    // The largest image a document keeps in memory (pixels), whether opened, created or pasted. Header-only
    // documents allocate nothing and open elevation files of any size.
    static constexpr long long maxPixels = 1LL << 28;
    // The extension of the file part of path, from its last dot on ("" when it has none).
    static std::string FileExtension(const std::string& path);
    // path with the extension of its file part replaced by ".yuv" (appended when it has none; a name whose
    // extension already is ".yuv" in any letter case is kept).
    static std::string YuvFileName(const std::string& path);
    // Row stride of a 24-bit row of the given width: width * 3 rounded up to a multiple of 4.
    static long long RowStride(long long width) { return ((width * 3 - 1) & ~3LL) + 4; }

protected:
    // Header-only reads of elevation rows (for CGelaende): reads count pixels of row y from column x.
    bool readFilePixels(int x, int y, int count, uint8_t* out) const;

    double xScaleReciprocal = 1.0;
    double yScaleReciprocal = 1.0;

private:
    enum class OpenOutcome { Opened, OpenFailed, ReadFailed, Rejected, TooLarge };
    OpenOutcome tryOpen(const std::string& name);
    static bool allocateBlock(std::vector<uint8_t>& block, int width, int height);
    void adoptBlock(std::vector<uint8_t>&& block, int width, int height);
    void closeFile();
    void lock(int width, int height);
    bool writeTga(const std::string& path);
    // Writes target through a temporary file with the open and save retry questions; encode produces the
    // bytes (false: the image cannot be written).
    bool saveWithRetries(const std::string& target, int openQuestion, int saveQuestion,
                         const std::function<bool(ChunkWriter&)>& encode);
    bool encodeTga(ChunkWriter& out) const;
    bool encodeYuv(ChunkWriter& out) const;
    // The pixel at column x, row y (0 = bottom) of the block, or the outside pixel when (x, y) is outside.
    Bgr blockPixel(int x, int y) const;

    Platform& plat;
    SettingsStore* settings = nullptr;
    FilterWeights weights;
    FilterCache ownCache;

    std::vector<uint8_t> image; // 40-byte info header + rows
    uint8_t header[18] = {};
    int docWidth = 1, docHeight = 1;
    double maximumX = 0, maximumY = 0;
    int fileDescriptor = -1;    // header-only mode: the open file
    long long pixelOffset = 18; // where the pixel rows start in the open file
    bool topFirst = false;      // the open file stores its top row first
    bool loadPixels = true;
    bool busy = false;
    uint8_t* pixels = nullptr;
    int rowStride = 0;
    int lockedWidth = 0, lockedHeight = 0;
    std::array<uint8_t, 4> outside{255, 255, 255, 0};
    std::string path;
    bool modified = false;
    unsigned long long contentVersion = 1; // changes whenever the pixels are replaced or rewritten
};
