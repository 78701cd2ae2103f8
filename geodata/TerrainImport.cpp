#include "geodata/TerrainImport.h"

#include "scene/SceneParams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace geodata {
namespace {

namespace fs = std::filesystem;

std::string format(const char* pattern, double a, double b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// A file name as the scene stores it: relative to the scene's folder when the file lies inside it, so
// the folder can be moved as a whole; absolute otherwise.
std::string sceneFileName(const fs::path& file, const fs::path& sceneFolder) {
    const fs::path absolute = fs::absolute(file).lexically_normal();
    const fs::path relative = absolute.lexically_relative(sceneFolder);
    if (!relative.empty() && *relative.begin() != "..") return relative.generic_string();
    return absolute.string();
}

// Checks the scene as 'check' will (its file names taken from the scene's folder) and writes it in the
// key order of a script file, through a job file beside it that is removed afterwards.
bool writeScene(const CSceneParams& scene, const fs::path& path, std::string& error) {
    CSceneParams resolved = scene;
    ResolveSceneRelativePaths(resolved, path.parent_path().string());
    if (SceneCheck check = resolved.ValidateScene(); !check.ok) {
        error = "The scene does not pass the check: " + check.message;
        return false;
    }
    const std::string job = path.string() + ".job";
    const bool written = scene.WriteJobValues(job) && CopySceneKeys(job, path.string());
    std::error_code ec;
    fs::remove(job, ec);
    if (!written) error = "Cannot write the scene file '" + path.string() + "'.";
    return written;
}

// One part of the whole import's percentage.
class PartProgress : public Progress {
public:
    PartProgress(Progress& whole, int from, int to) : whole(whole), from(from), to(to) {}
    void report(int percent) override { whole.report(from + percent * (to - from) / 100); }
    bool stopRequested() const override { return whole.stopRequested(); }
    void pump() override { whole.pump(); }

private:
    Progress& whole;
    int from, to;
};

} // namespace

std::vector<std::string> ElevationFacts(const ElevationImportResult& r, ElevationUnit unit) {
    const char* u = UnitName(unit);
    std::vector<std::string> lines;
    std::string size = "Pixels: " + std::to_string(r.width) + " x " + std::to_string(r.height);
    if (r.reduced)
        size +=
            " (reduced from " + std::to_string(r.sourceWidth) + " x " + std::to_string(r.sourceHeight) + ")";
    lines.push_back(size);
    lines.push_back(format("Pixel size: %.6g x %.6g m", r.pixelMetresX, r.pixelMetresY) +
                    (r.georeferenced ? "" : " (the raster has no position: 1 m assumed)"));
    lines.push_back(format("Elevations: %.6g to %.6g m", r.minMetres, r.maxMetres) + ", stored as " +
                    std::to_string(r.minStored) + " to " + std::to_string(r.maxStored) + " " + u);
    if (r.offsetStored != 0)
        lines.push_back("Offset: " + std::to_string(r.offsetStored) + " " + u +
                        format(" (%.6g m)", r.offsetMetres) +
                        " added to every elevation so that the lowest point is 0");
    if (r.filledCells != 0)
        lines.push_back("Nodata cells filled from their neighbours: " + std::to_string(r.filledCells));
    lines.push_back(format("ElevScaleX: %.6g", r.elevScaleX));
    lines.push_back(format("ElevScaleY: %.6g", r.elevScaleY));
    lines.push_back(format("Elevation z scale (ElevScaleZA, ElevScaleZZ): %.6g", r.zScale));
    return lines;
}

std::string TextureBeside(const std::string& elevationFile) {
    fs::path path(elevationFile);
    const std::string extension = path.has_extension() ? path.extension().string() : ".tga";
    return path.replace_filename(path.stem().string() + "-texture" + extension).string();
}

// A scene flying over the imported terrain: the camera starts just off the south-west corner above the
// highest point, looks north-east across the terrain and flies straight towards its middle, so every
// frame shows terrain under a sky background.
CSceneParams ImportedScene(const ElevationImportResult& r, const std::string& elevation,
                           const std::string& texture, const std::string& output) {
    CSceneParams s;
    s.NewScene();
    s.ElevationFileName = elevation;
    s.UseTextureFile = texture.empty() ? 0 : 1;
    s.TextureFileName = texture;
    s.OutputFileName = output;
    s.OutputFileFormat = 0;
    s.ElevScaleX = r.elevScaleX;
    s.ElevScaleY = r.elevScaleY;
    s.ElevScaleZA = s.ElevScaleZE = r.zScale;
    s.GridX = std::min(r.width, 16384);
    s.GridY = std::min(r.height, 16384);
    s.SizeX = 640;
    s.SizeY = 360;
    s.UseBackgroundColor = 1;
    s.BackgroundColor = 0xE6BE96; // light sky blue (0x00BBGGRR)
    s.LightX = -0.6, s.LightY = 0.8, s.LightZ = 2.0;
    s.Total = 100;
    s.From = 0;
    s.To = 99;

    const double sizeX = r.width * r.elevScaleX, sizeY = r.height * r.elevScaleY;
    const double diagonal = std::hypot(sizeX, sizeY);
    const double highest = double(r.maxStored) * r.zScale;
    // High enough to see over the relief, low enough that the terrain fills the picture below the horizon.
    const double z = highest + 0.12 * diagonal;
    const double heading = std::atan2(sizeX, sizeY) * 180 / M_PI; // clockwise from north (+y)
    s.XA = -0.02 * sizeX, s.YA = -0.02 * sizeY, s.ZA = z;
    s.XE = 0.45 * sizeX, s.YE = 0.45 * sizeY, s.ZE = z;
    s.HeadingA = s.HeadingE = heading;
    s.PitchA = s.PitchE = -20;
    s.FocalLengthA = s.FocalLengthE = 400; // about 77 degrees across 640 pixels
    s.RollA = s.RollE = 0;
    s.DustA = s.DustE = 1.5 * diagonal; // a light haze towards the far corner
    return s;
}

TerrainImportResult ImportTerrain(const TerrainImportRequest& request, Progress& progress) {
    TerrainImportResult result;
    const bool withTexture = !request.textureSource.empty();
    PartProgress elevationPart(progress, 0, withTexture ? 60 : 100);
    result.elevation = ImportElevation(request.source, request.target, request.elevation, elevationPart);
    result.status = result.elevation.status;
    result.error = result.elevation.error;
    if (result.status != ToolStatus::Done) return result;

    // From here on a step that does not succeed takes the files made before it along.
    bool textureWritten = false;
    auto undo = [&](ToolStatus status, std::string error) {
        std::error_code ec;
        fs::remove(request.target, ec);
        if (textureWritten) fs::remove(request.textureTarget, ec);
        result.status = status;
        result.error = std::move(error);
        return result;
    };
    if (withTexture) {
        TextureImportOptions options;
        options.matchElevationSource = request.source;
        options.maxSize = request.elevation.maxSize;
        PartProgress texturePart(progress, 60, 100);
        const TextureImportResult texture =
            ImportTexture(request.textureSource, request.textureTarget, options, texturePart);
        if (texture.status != ToolStatus::Done) return undo(texture.status, texture.error);
        textureWritten = true;
    }
    if (request.scene.empty()) return result;
    if (progress.stopRequested()) return undo(ToolStatus::Cancelled, "");

    // The scene refers to the elevation and texture files from its own folder, and its frames go
    // beside it, named after it.
    const fs::path scenePath = fs::absolute(request.scene).lexically_normal();
    const fs::path folder = scenePath.parent_path();
    std::string stem; // a '%' in the name stays a '%' in the output template
    for (char c : scenePath.stem().string()) stem += c == '%' ? std::string("%%") : std::string(1, c);
    const std::string textureFile = withTexture ? request.textureTarget : request.texture;
    const std::string texture = textureFile.empty() ? "" : sceneFileName(textureFile, folder);
    const CSceneParams scene =
        ImportedScene(result.elevation, sceneFileName(request.target, folder), texture, stem + "%03d.tga");
    std::string error;
    // Nothing half-done: the files made for a scene that failed go with it.
    if (!writeScene(scene, scenePath, error)) return undo(ToolStatus::Failed, error);
    result.scene = scenePath.string();
    return result;
}

} // namespace geodata
