// orvantis-cli import-elevation and import-texture: the rasters people download (GeoTIFF, .hgt, ASCII
// grids, orthophotos) into the program's elevation and texture files, and on request a scene ready to
// render over the imported terrain.

#include "cli/CmdTools.h"

#ifdef ORVANTIS_HAVE_GDAL
#include "geodata/RasterImport.h"
#include "scene/SceneParams.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#endif

#include <cstdio>
#include <string>

namespace {

// Every value is checked by the parser: a bad one is bad usage before any file is touched.
std::string checkMaxSize(const std::string& value) {
    size_t used = 0;
    long n = 0;
    try {
        n = std::stol(value, &used);
    } catch (...) {
        used = 0;
    }
    if (used != value.size() || n < 1 || n > 1000000000)
        return "--max-size needs a whole number of pixels above 0, not '" + value + "'";
    return "";
}

std::string checkUnit(const std::string& value) {
    if (value == "m" || value == "dm" || value == "cm") return "";
    return "--unit must be m, dm or cm, not '" + value + "'";
}

#ifdef ORVANTIS_HAVE_GDAL

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

// A scene flying over the imported terrain: the camera starts just off the south-west corner above the
// highest point, looks north-east across the terrain and flies straight towards its middle, so every
// frame shows terrain under a sky background.
CSceneParams importedScene(const geodata::ElevationImportResult& r, const std::string& elevation,
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

void printFacts(ConsolePlatform& console, const geodata::ElevationImportResult& r,
                geodata::ElevationUnit unit) {
    const char* u = geodata::UnitName(unit);
    std::string size = "Pixels: " + std::to_string(r.width) + " x " + std::to_string(r.height);
    if (r.reduced)
        size +=
            " (reduced from " + std::to_string(r.sourceWidth) + " x " + std::to_string(r.sourceHeight) + ")";
    console.print(size, stdout);
    console.print(format("Pixel size: %.6g x %.6g m", r.pixelMetresX, r.pixelMetresY) +
                      (r.georeferenced ? "" : " (the raster has no position: 1 m assumed)"),
                  stdout);
    console.print(format("Elevations: %.6g to %.6g m", r.minMetres, r.maxMetres) + ", stored as " +
                      std::to_string(r.minStored) + " to " + std::to_string(r.maxStored) + " " + u,
                  stdout);
    if (r.offsetStored != 0)
        console.print("Offset: " + std::to_string(r.offsetStored) + " " + u +
                          format(" (%.6g m)", r.offsetMetres) +
                          " added to every elevation so that the lowest point is 0",
                      stdout);
    if (r.filledCells != 0)
        console.print("Nodata cells filled from their neighbours: " + std::to_string(r.filledCells), stdout);
    console.print(format("ElevScaleX: %.6g", r.elevScaleX), stdout);
    console.print(format("ElevScaleY: %.6g", r.elevScaleY), stdout);
    console.print(format("Elevation z scale (ElevScaleZA, ElevScaleZZ): %.6g", r.zScale), stdout);
}

int runImportElevation(const cli::Args& args) {
    if (args.has("--texture") && !args.has("--scene"))
        return cli::usageError("import-elevation", "--texture goes with --scene");
    geodata::ElevationImportOptions options;
    const std::string unit = args.value("--unit", "m");
    options.unit = unit == "dm"   ? geodata::ElevationUnit::Decimetre
                   : unit == "cm" ? geodata::ElevationUnit::Centimetre
                                  : geodata::ElevationUnit::Metre;
    options.maxSize = args.has("--max-size") ? std::stoi(args.value("--max-size")) : 0;

    std::error_code ec;
    if (args.has("--texture") && !fs::is_regular_file(args.value("--texture"), ec)) {
        std::fprintf(stderr, "The texture file '%s' does not exist.\n", args.value("--texture").c_str());
        return ExitFailure;
    }
    clitools::ToolRun run;
    const std::string& target = args.positional[1];
    const geodata::ElevationImportResult result =
        geodata::ImportElevation(args.positional[0], target, options, run.progress);
    run.progress.clearLine();
    if (result.status != ToolStatus::Done) {
        if (!result.error.empty()) run.console.print(result.error);
        return run.exit(result.status);
    }
    printFacts(run.console, result, options.unit);
    if (!args.has("--scene")) return ExitOk;

    // The scene refers to the elevation and texture files from its own folder, and its frames go
    // beside it, named after it.
    const fs::path scenePath = fs::absolute(args.value("--scene")).lexically_normal();
    const fs::path folder = scenePath.parent_path();
    std::string stem; // a '%' in the name stays a '%' in the output template
    for (char c : scenePath.stem().string()) stem += c == '%' ? std::string("%%") : std::string(1, c);
    const std::string texture = args.has("--texture") ? sceneFileName(args.value("--texture"), folder) : "";
    const CSceneParams scene =
        importedScene(result, sceneFileName(target, folder), texture, stem + "%03d.tga");
    std::string error;
    if (!writeScene(scene, scenePath, error)) {
        run.console.print(error);
        // Nothing half-done: the elevation file goes with the scene that failed.
        fs::remove(target, ec);
        return ExitFailure;
    }
    run.console.print("Scene: " + scenePath.string(), stdout);
    return ExitOk;
}

int runImportTexture(const cli::Args& args) {
    geodata::TextureImportOptions options;
    options.matchElevationSource = args.value("--match");
    options.maxSize = args.has("--max-size") ? std::stoi(args.value("--max-size")) : 0;
    clitools::ToolRun run;
    const geodata::TextureImportResult result =
        geodata::ImportTexture(args.positional[0], args.positional[1], options, run.progress);
    run.progress.clearLine();
    if (result.status != ToolStatus::Done) {
        if (!result.error.empty()) run.console.print(result.error);
        return run.exit(result.status);
    }
    run.console.print("Pixels: " + std::to_string(result.width) + " x " + std::to_string(result.height) +
                          (result.warped ? " (matched to the elevation's pixels)" : ""),
                      stdout);
    return ExitOk;
}

#else

int withoutGdal(const char* command) {
    std::fprintf(stderr, "orvantis-cli %s: this build has no raster import (it was built without GDAL).\n",
                 command);
    return ExitFailure;
}

int runImportElevation(const cli::Args&) {
    return withoutGdal("import-elevation");
}

int runImportTexture(const cli::Args&) {
    return withoutGdal("import-texture");
}

#endif

} // namespace

CliCommand importElevationCommand() {
    return {"import-elevation",
            {{{"--unit", true, checkUnit}, {"--max-size", true, checkMaxSize}, {"--scene"}, {"--texture"}}},
            runImportElevation};
}

CliCommand importTextureCommand() {
    return {"import-texture", {{{"--match"}, {"--max-size", true, checkMaxSize}}}, runImportTexture};
}
