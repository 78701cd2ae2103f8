// orvantis-cli import-elevation and import-texture: the rasters people download (GeoTIFF, .hgt, ASCII
// grids, orthophotos) into the program's elevation and texture files, and on request a scene ready to
// render over the imported terrain.

#include "cli/CmdTools.h"

#ifdef ORVANTIS_HAVE_GDAL
#include "cli/Modules.h"
#include "geodata/Functions.h"

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

// The raster import, loaded on first use; nullptr (the reason told) when it cannot be.
const geodata::Functions* importModule(const char* command) {
    std::string error;
    const geodata::Functions* functions = cli::GeodataModule(error);
    if (!functions) std::fprintf(stderr, "orvantis-cli %s: %s\n", command, error.c_str());
    return functions;
}

int runImportElevation(const cli::Args& args) {
    if (args.has("--texture") && !args.has("--scene"))
        return cli::usageError("import-elevation", "--texture goes with --scene");
    const geodata::Functions* importer = importModule("import-elevation");
    if (!importer) return ExitFailure;
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
    geodata::TerrainImportRequest request;
    request.source = args.positional[0];
    request.target = args.positional[1];
    request.elevation = options;
    request.texture = args.value("--texture");
    request.scene = args.value("--scene");
    clitools::ToolRun run;
    const geodata::TerrainImportResult result = importer->importTerrain(request, run.progress);
    run.progress.clearLine();
    if (result.elevation.status != ToolStatus::Done) {
        if (!result.error.empty()) run.console.print(result.error);
        return run.exit(result.status);
    }
    for (const std::string& line : importer->elevationFacts(result.elevation, options.unit))
        run.console.print(line, stdout);
    if (result.status != ToolStatus::Done) {
        run.console.print(result.error);
        return ExitFailure;
    }
    if (!result.scene.empty()) run.console.print("Scene: " + result.scene, stdout);
    return ExitOk;
}

int runImportTexture(const cli::Args& args) {
    const geodata::Functions* importer = importModule("import-texture");
    if (!importer) return ExitFailure;
    geodata::TextureImportOptions options;
    options.matchElevationSource = args.value("--match");
    options.maxSize = args.has("--max-size") ? std::stoi(args.value("--max-size")) : 0;
    clitools::ToolRun run;
    const geodata::TextureImportResult result =
        importer->importTexture(args.positional[0], args.positional[1], options, run.progress);
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
