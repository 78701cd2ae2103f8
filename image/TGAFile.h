#pragma once
// CTGAFile: the image document behind every picture of the program (maps, textures, masks, elevation
// files, rendered frames, tool inputs and outputs). It holds one Image24 and puts the parts together: the
// TGA and YUV codecs (TgaCodec.h, YuvCodec.h), the samplers (Sampling.h), the open file of header-only
// use, and what belongs to a document: its name, the modified and busy flags, the retry questions and
// messages of opening and saving. Files are uncompressed 24-bit TGA; a ".yuv" name writes a YUV frame.

#include "app/Platform.h"
#include "image/Sampling.h"
#include "image/TgaCodec.h"

#include <functional>
#include <string>

class SettingsStore;

class CTGAFile {
public:
    // Plain image: pixels in memory. antialiasing is the user's "Antialiasing" setting at the moment the
    // document is made (it fixes the filter weights of SampleFiltered).
    explicit CTGAFile(Platform& platform, int antialiasing = 10, bool loadPixels = true);
    // The same; the scales belong to an elevation file (CGelaende) and a plain image has no use for them.
    CTGAFile(Platform& platform, int antialiasing, bool loadPixels, double, double)
        : CTGAFile(platform, antialiasing, loadPixels) {}
    virtual ~CTGAFile() = default; // not copyable: it owns its pixels and its open file

    // Where a successful open records the extension of the opened file ("Recent File Load" / "Name").
    void setSettings(SettingsStore* store) { settings = store; }

    // Reads a TGA file (messages and retry questions through the platform). With loadPixels false the
    // document works header-only: only the header is read and the file stays open for the elevation
    // lookup.
    bool OpenImage(const std::string& path);
    // A file read without asking or telling anything, so that any thread may read one; OpenRead then
    // takes it into a document.
    struct Read {
        TgaError error = TgaError::None;
        std::string why; // the reason of a rejected file
        bool loadPixels = true;
        bool mapPixels = false;
        Image24 image;
        TgaPixelFile file;
    };
    // mapPixels: see MapPixels.
    static Read ReadFile(const std::string& path, bool loadPixels, bool mapPixels = false);
    // Whether the files opened from now on are mapped into memory rather than read, where their layout
    // allows (an input read through by a render: it starts sooner and is not held twice). Written pixels
    // then stay in memory; the file never changes. See ChangedOnDisk.
    void MapPixels(bool on) { mapPixels = on; }
    // Whether the mapped file of the pixels changed since it was opened (the pixels may then no longer be
    // the file's as it was opened); false for pixels read into memory.
    bool ChangedOnDisk() const { return image.mapping() && image.mapping()->Changed(); }
    // Takes `read`, made from path, as OpenImage takes what it reads; a read that failed (or was made for
    // the other use) is read again by OpenImage, which asks and tells why.
    bool OpenRead(const std::string& path, Read&& read);
    // Makes a new zeroed image of the given size (pixels open for direct access).
    bool CreateImage(int width, int height);
    // Writes path as TGA, or as YUV when its extension is ".yuv" in any letter case.
    bool SaveImage(const std::string& path);
    // format 0: SaveImage; 1: YUV (extension replaced by ".yuv"); 2: both, TGA first.
    bool SaveImageAs(const std::string& path, int format);
    // The planar 4:2:0 YUV frame, written under path with its extension replaced by ".yuv".
    bool WriteYuvFile(const std::string& path);
    // Ends direct access to the pixels before the document goes (width and height read 0 afterwards) and
    // clears the busy flag. Access otherwise lasts as long as the document: nobody needs to end it.
    void UnlockImage();

    int GetWidth() const { return lockedWidth; }
    int GetHeight() const { return lockedHeight; }

    Bgr GetPixel(double x, double y) const { return SamplePixel(view(), x, y); }
    Bgr SampleAverage5(const double (&points)[5][2]) const { return ::SampleAverage5(view(), points); }
    // The filter with the caller's block cache (thread-safe on a shared image).
    Bgr SampleFiltered(double x, double y, FilterCache& cache) const {
        return ::SampleFiltered(view(), weights, x, y, cache, this, contentVersion);
    }
    // The same with the document's own cache (single-threaded users).
    Bgr SampleFiltered(double x, double y) { return SampleFiltered(x, y, ownCache); }

    void FillGray(uint8_t level);
    // Fills every pixel with the colour 0x00BBGGRR and makes it the outside colour.
    void FillColor(uint32_t colour);
    // Masks this image in place (see ApplyMask in Sampling.h).
    void ApplyMask(const CTGAFile& mask);
    // This image becomes source (k times its width and height) shrunk by averaging (see AverageBlocks).
    void AverageBlocksOf(const CTGAFile& source, int k);

    // Direct pixel access (valid while open for access). Row 0 is the bottom row.
    bool hasImage() const { return !image.empty(); }
    uint8_t* pixelData() { return accessible() ? image.pixelAt(0, 0) : nullptr; }
    const uint8_t* pixelData() const { return accessible() ? image.pixelAt(0, 0) : nullptr; }
    int stride() const { return accessible() ? image.stride() : 0; }
    uint8_t* pixelAt(int x, int y) { return image.pixelAt(x, y); }
    const uint8_t* pixelAt(int x, int y) const { return image.pixelAt(x, y); }
    // The whole packed bitmap (40-byte info header followed by the rows), as the clipboard wants it.
    const std::vector<uint8_t>& bitmap() const { return image.bitmap(); }
    // Replaces the picture by width x height pixels given bottom row first, tightly packed BGR (a paste).
    bool ReplaceImage(int width, int height, const std::vector<uint8_t>& bgrRows);

    // The outside colour as bytes o0..o3 (default 255, 255, 255, 0).
    std::array<uint8_t, 4> outsideColour() const { return outside; }
    // The outside colour as the pixel a reader substitutes for a pixel outside the image (o2, o1, o0).
    Bgr outsidePixel() const { return Bgr{outside[2], outside[1], outside[0]}; }

    // Header-derived values (valid in both modes after an open).
    int headerWidth() const { return docWidth; }
    int headerHeight() const { return docHeight; }
    double maxX() const { return lockedWidth > 0 ? lockedWidth - 1 : 0; }
    double maxY() const { return lockedHeight > 0 ? lockedHeight - 1 : 0; }
    bool loadsPixels() const { return loadPixels; }
    // The open file of a header-only document (not open otherwise).
    const TgaPixelFile& pixelFile() const { return file; }

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
    static constexpr long long maxPixels = Image24::maxPixels;
    // The extension of the file part of path, from its last dot on ("" when it has none).
    static std::string FileExtension(const std::string& path);
    // path with the extension of its file part replaced by ".yuv" (appended when it has none; a name whose
    // extension already is ".yuv" in any letter case is kept).
    static std::string YuvFileName(const std::string& path);
    static long long RowStride(long long width) { return Image24::RowStride(width); }

private:
    // Pixels in memory, open for direct access.
    bool accessible() const { return loadPixels && lockedWidth > 0; }
    PixelView view() const { return PixelView{pixelData(), stride(), lockedWidth, lockedHeight, outside}; }
    // why: the reason of a rejected file.
    TgaError tryOpen(const std::string& name, std::string& why);
    void take(const std::string& name, Read&& read);
    // Makes made the document's image and opens it for access when the document keeps its pixels.
    void adopt(Image24&& made);
    // Writes target through a temporary file with the open and save retry questions; encode produces the
    // bytes (false: the image cannot be written).
    bool saveWithRetries(const std::string& target, int openQuestion, int saveQuestion,
                         const std::function<bool(ChunkWriter&)>& encode);

    Platform& plat;
    SettingsStore* settings = nullptr;
    FilterWeights weights;
    FilterCache ownCache;

    Image24 image;
    TgaPixelFile file; // header-only use: the open file
    int docWidth = 1, docHeight = 1;
    // The size open for access: the image's while its pixels are, the file's in header-only use.
    int lockedWidth = 0, lockedHeight = 0;
    bool loadPixels = true;
    bool mapPixels = false;
    bool busy = false;
    std::array<uint8_t, 4> outside{255, 255, 255, 0};
    std::string path;
    bool modified = false;
    unsigned long long contentVersion = 1; // changes whenever the pixels are replaced or rewritten
};
