#pragma once
// Elevation and texture files from the rasters people download today: any raster GDAL reads (GeoTIFF,
// also tiled, compressed or BigTIFF; SRTM .hgt; Esri ASCII grid; USGS DEM; VRT; PNG; JPEG). Both imports
// write nothing unless they succeed, ask no questions and print nothing: what happened is in the result.
//
// Orientation: north at the top of the picture, as the DEM import puts it. GDAL's row 0 is the top row of
// a north-up raster, the elevation file's row 0 is its bottom row, so raster row r becomes file row
// height - 1 - r (a south-up raster keeps its row order). Column c stays column c.
//
// True proportions. The renderer puts pixel (x, y) at world (x * ElevScaleX, y * ElevScaleY) and an
// elevation value e at height e * z scale (the scene's ElevScaleZA / ElevScaleZZ). With a pixel of
// metresX x metresY and a stored unit of u metres, one world unit along x is metresX / ElevScaleX metres,
// so the shape is true when
//     ElevScaleY = ElevScaleX * metresY / metresX,   z scale = ElevScaleX * u / metresX.
// The import chooses ElevScaleX = 1: one pixel is one world unit wide, and the terrain is as many units
// wide as the file has columns.

#include "app/Progress.h"
#include "tools/ToolCommon.h"

#include <string>

namespace geodata {

enum class ElevationUnit { Metre, Decimetre, Centimetre };

// The unit's size in metres (1, 0.1, 0.01) and its short name ("m", "dm", "cm").
double UnitMetres(ElevationUnit unit);
const char* UnitName(ElevationUnit unit);

// The largest side the imports make, as the DEM import.
int MaxImportSide();

struct ElevationImportOptions {
    ElevationUnit unit = ElevationUnit::Metre;
    // Rasters with more than maxSize pixels on a side are reduced, keeping their aspect, by averaging
    // the cells each output pixel covers (GDAL's average resampling). 0: no reduction, and rasters over
    // MaxImportSide() are refused.
    int maxSize = 0;
};

struct ElevationImportResult {
    ToolStatus status = ToolStatus::Failed; // Done, Cancelled or Failed (nothing written unless Done)
    std::string error;                      // why it failed, for the user

    int width = 0, height = 0;             // pixels of the elevation file
    int sourceWidth = 0, sourceHeight = 0; // cells of the raster's band
    bool reduced = false;                  // maxSize made the file smaller than the raster

    // Ground size of one pixel in metres (geographic systems: at the raster's centre latitude).
    // georeferenced is false when the raster has no position; the sizes then assume 1 m per pixel.
    double pixelMetresX = 1, pixelMetresY = 1;
    bool georeferenced = false;

    // The elevations of the raster in metres (after filling nodata), and as stored in the file.
    double minMetres = 0, maxMetres = 0;
    long long minStored = 0, maxStored = 0;
    // Added to every value before it was stored so that the lowest point is 0 (0 when nothing lies below
    // zero): in stored units and in metres.
    long long offsetStored = 0;
    double offsetMetres = 0;
    long long filledCells = 0; // nodata cells given a value from their neighbours

    // The scene scales that give true proportions (see the top of this file).
    double elevScaleX = 1, elevScaleY = 1, zScale = 1;
};

// Band 1 of source into the elevation file target, one pixel per raster cell.
// Values become elevations in options.unit, rounded to the nearest whole step; a band's scale and offset
// and a unit of feet are applied first. Nodata cells are filled smoothly from the valid cells around
// them (see NodataFill.h). Refused, with a reason: a file GDAL cannot read, a raster without bands, a
// colour image, a raster that is all nodata, one too large for the limit, a target that cannot be written.
ElevationImportResult ImportElevation(const std::string& source, const std::string& target,
                                      const ElevationImportOptions& options, Progress& progress);
ElevationImportResult ImportElevation(const std::string& source, const std::string& target,
                                      const ElevationImportOptions& options = {});

struct TextureImportOptions {
    // An elevation raster: the texture is warped (reprojected when the coordinate systems differ) onto
    // exactly the pixel grid ImportElevation makes from it with the same maxSize, so texel (x, y) lies on
    // elevation pixel (x, y). A texture without a position is stretched over that grid. Empty: the
    // texture keeps its own grid.
    std::string matchElevationSource;
    int maxSize = 0; // as for the elevation
};

struct TextureImportResult {
    ToolStatus status = ToolStatus::Failed;
    std::string error;
    int width = 0, height = 0;
    bool warped = false; // matched to an elevation source
};

// An RGB(A), grey or palette raster, or a plain picture, into the 24-bit TGA target (alpha is dropped;
// bands of more than 8 bits are scaled from their range down to 0..255).
TextureImportResult ImportTexture(const std::string& source, const std::string& target,
                                  const TextureImportOptions& options, Progress& progress);
TextureImportResult ImportTexture(const std::string& source, const std::string& target,
                                  const TextureImportOptions& options = {});

} // namespace geodata
