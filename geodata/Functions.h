#pragma once
// The raster import's entry points as a table: orvantis-cli loads the import as a module of its own the
// first time a command needs it (cli/Modules.h), so that GDAL and the libraries it brings are not bound
// at the start of every command.

#include "geodata/RasterImport.h"
#include "geodata/TerrainImport.h"

#include <string>
#include <vector>

namespace geodata {

struct Functions {
    TerrainImportResult (*importTerrain)(const TerrainImportRequest&, Progress&);
    std::vector<std::string> (*elevationFacts)(const ElevationImportResult&, ElevationUnit);
    TextureImportResult (*importTexture)(const std::string&, const std::string&, const TextureImportOptions&,
                                         Progress&);
};

} // namespace geodata

// The module's entry (the name the program looks up).
extern "C" const geodata::Functions* orvantis_geodata_functions();
