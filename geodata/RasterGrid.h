#pragma once
// What the elevation and texture imports share: opening a raster, the pixel grid of the file made from
// it (so a texture can be warped onto exactly the grid of an elevation), the target checks and the save.

#include "geodata/GdalHandles.h"
#include "image/TGAFile.h"
#include "tools/ToolCommon.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace geodata {

using GeoTransform = std::array<double, 6>;

struct RasterGrid {
    int sourceWidth = 0, sourceHeight = 0;
    int width = 0, height = 0; // pixels of the file
    bool reduced = false;
    bool georeferenced = false; // the raster has a geotransform (otherwise one pixel = one unit, north up)
    // The raster's row 0 is the top (north) of the picture, so its rows are reversed into the file
    // (whose row 0 is the bottom). False for south-up rasters.
    bool northUp = true;
    // The file's pixel grid in the raster's coordinates, top row of the picture first (GDAL's convention).
    GeoTransform top{};
    // The raster's own full-resolution geotransform (made up for a raster without one, north up).
    GeoTransform source{};
    std::string wkt; // the coordinate system ("" when unknown)

    // File row of raster row r (both counted in file pixels).
    int fileRow(int r) const { return northUp ? height - 1 - r : r; }
    // The grid with the file's bottom row first: the geotransform of a dataset laid over the file's rows.
    GeoTransform bottom() const;
    // The grid with the raster's rows in their own order (top() for north-up rasters).
    GeoTransform rasterOrder() const { return northUp ? top : bottom(); }
    // Ground size of a pixel in metres; a geographic system is measured at the grid's centre latitude,
    // a grid without a system counts its units as metres.
    void pixelMetres(double& x, double& y) const;
};

// Opens path for reading as a raster with at least one band; error says why not.
Dataset OpenRaster(const std::string& path, std::string& error);

// An in-memory VRT of ds made as gdal_translate would make it with the given arguments (besides the
// format); error says why not.
Dataset TranslatedView(GDALDatasetH ds, std::vector<std::string> args, std::string& error);

// The grid made from ds: its own size, or reduced to maxSize on the longer side; error when maxSize is
// out of range or the raster is too large without it.
bool PlanGrid(GDALDatasetH ds, const std::string& path, int maxSize, RasterGrid& grid, std::string& error);

// The source window of file rows [first, first + count) of the grid as raster rows (file pixels map onto
// raster cells in proportion), with the resampling GDAL averages reduced rasters by.
GDALRasterIOExtraArg StripWindow(const RasterGrid& grid, int first, int count, int& yOff, int& ySize);

// Lays a dataset over memory the caller owns: band b's pixel (x, y) at bands[b] + x * pixelOffset +
// y * lineOffset bytes.
Dataset MemoryView(int width, int height, GDALDataType type, const std::vector<void*>& bands, int pixelOffset,
                   long long lineOffset);

// A warp of the first bands of source onto target (both positioned by their geotransforms; reprojected when
// both coordinate systems are given).
struct WarpJob {
    GDALDatasetH source = nullptr, target = nullptr;
    GeoTransform sourceGt{}, targetGt{};
    std::string sourceWkt, targetWkt;
    int bands = 1;
    // Average the source pixels under each target pixel; otherwise average only where a target pixel spans
    // more than one and a half source pixels (where a point sample would alias) and interpolate bilinearly
    // elsewhere.
    bool alwaysAverage = false;
    // Leave the source's nodata cells out and give target pixels without any valid source NaN.
    bool nodataAsNaN = false;
};
bool RunWarp(const WarpJob& job, const ProgressRange& progress, std::string& error);

// Why target cannot be written, or "" when it looks writable (its folder exists and takes files).
std::string TargetProblem(const std::string& target);

// A 24-bit picture of the given size, or null (error set) when it does not fit in memory.
std::unique_ptr<CTGAFile> MakePicture(Platform& platform, int width, int height, std::string& error);

// Saves picture as target unless the user asked to stop (reporting 100 % when saved): Done, Cancelled or
// Failed (error set).
ToolStatus SavePicture(CTGAFile& picture, const std::string& target, Progress& progress, std::string& error);

// Enough GDAL block cache for a full row of the band's blocks (and at least 64 MB).
GIntBig BlockCacheFor(GDALRasterBandH band);

// The platform CTGAFile talks to during an import: no questions, no output.
using ImportPlatform = SilentPlatform;

} // namespace geodata
