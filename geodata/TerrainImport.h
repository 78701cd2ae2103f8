#pragma once
// A terrain from downloaded rasters in one step, as `orvantis-cli import-elevation` and the desktop's
// File > Import Elevation make it: the elevation file, optionally a texture warped onto its pixels, and
// optionally a scene ready to render over it. The facts a user needs to set up a scene are formed here
// once, for the command line's output and the dialog alike.

#include "geodata/RasterImport.h"

#include <string>
#include <vector>

class CSceneParams;

namespace geodata {

struct TerrainImportRequest {
    std::string source; // the elevation raster
    std::string target; // the elevation file written
    ElevationImportOptions elevation;
    // A texture raster imported with its pixels matched to the elevation's (as import-texture --match
    // does) into textureTarget; empty: none.
    std::string textureSource;
    std::string textureTarget;
    // A texture file the scene uses as it is (textureSource empty); empty: none.
    std::string texture;
    // The scene written; empty: none.
    std::string scene;
};

struct TerrainImportResult {
    ToolStatus status = ToolStatus::Failed; // of the whole import: nothing is left on disk unless Done
    std::string error;
    ElevationImportResult elevation; // its facts hold once elevation.status is Done
    std::string scene;               // the scene's absolute path when one was written
};

TerrainImportResult ImportTerrain(const TerrainImportRequest& request, Progress& progress);

// The facts of an import, one line each: pixel count, ground size of a pixel, elevation range, the offset
// and the filled cells when there are any, and the scene scales of true proportions.
std::vector<std::string> ElevationFacts(const ElevationImportResult& result, ElevationUnit unit);

// The texture file made beside an elevation file: "dem.tga" -> "dem-texture.tga".
std::string TextureBeside(const std::string& elevationFile);

// A scene flying over the imported terrain (the names as the scene stores them).
CSceneParams ImportedScene(const ElevationImportResult& result, const std::string& elevation,
                           const std::string& texture, const std::string& output);

} // namespace geodata
