#include "geodata/Functions.h"

extern "C" __attribute__((visibility("default"))) const geodata::Functions* orvantis_geodata_functions() {
    static const geodata::Functions functions{
        &geodata::ImportTerrain, &geodata::ElevationFacts,
        static_cast<geodata::TextureImportResult (*)(const std::string&, const std::string&,
                                                     const geodata::TextureImportOptions&, Progress&)>(
            &geodata::ImportTexture)};
    return &functions;
}
