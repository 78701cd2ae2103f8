#include "cli/Modules.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace cli {

namespace {

// The entry `symbol` of module `file`, looked for beside the program and in its installed module folder.
void* Entry(const char* file, const char* symbol, std::string& error) {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path here = ec ? std::filesystem::path(".") : program.parent_path();
    std::string reasons;
    for (const std::filesystem::path& place : {here, here / ORVANTIS_MODULE_DIR}) {
        const std::filesystem::path path = place / file;
        if (!std::filesystem::exists(path, ec)) continue;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            const char* why = dlerror();
            reasons = why ? why : path.string();
            continue;
        }
        if (void* entry = dlsym(module, symbol)) return entry; // (the module stays loaded)
        reasons = path.string() + " has no " + symbol;
    }
    error = reasons.empty() ? std::string(file) + " is not installed beside orvantis-cli" : reasons;
    return nullptr;
}

} // namespace

} // namespace cli

#ifdef ORVANTIS_HAVE_GDAL
#include "geodata/Functions.h"

const geodata::Functions* cli::GeodataModule(std::string& error) {
    static std::string failure;
    static const geodata::Functions* const functions = [] {
        auto* entry = reinterpret_cast<const geodata::Functions* (*)()>(
            Entry("orvantis-geodata.so", "orvantis_geodata_functions", failure));
        return entry ? entry() : nullptr;
    }();
    if (!functions) error = "the raster import cannot be loaded: " + failure;
    return functions;
}
#endif

#ifdef ORVANTIS_HAVE_VIDEO
#include "video/Functions.h"

const video::Functions* cli::VideoModule(std::string& error) {
    static std::string failure;
    static const video::Functions* const functions = [] {
        auto* entry = reinterpret_cast<const video::Functions* (*)()>(
            Entry("orvantis-video.so", "orvantis_video_functions", failure));
        return entry ? entry() : nullptr;
    }();
    if (!functions) error = "the video writer cannot be loaded: " + failure;
    return functions;
}
#endif
