#include "cli/Modules.h"

#ifdef ORVANTIS_HAVE_GDAL
#include "geodata/Functions.h"
#endif
#ifdef ORVANTIS_HAVE_VIDEO
#include "video/Functions.h"
#endif

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace cli {

namespace {

// The entry `symbol` of module `file`, looked for beside the program and in its installed module folder.
void* Entry(const char* file, const char* symbol, std::string& error) {
    // (Only where the program lies: never the working folder, whose files nobody vouches for.)
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        error = "where orvantis-cli lies is unknown (/proc/self/exe: " + ec.message() + ")";
        return nullptr;
    }
    const std::filesystem::path here = program.parent_path();
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

// The table of entry points a module's entry returns, loaded once; nullptr, with the reason in `error`.
template <class Functions>
const Functions* Table(const char* file, const char* entry, const char* what, std::string& error) {
    static std::string failure;
    static const Functions* const table = [&] {
        auto* get = reinterpret_cast<const Functions* (*)()>(Entry(file, entry, failure));
        return get ? get() : nullptr;
    }();
    if (!table) error = std::string(what) + " cannot be loaded: " + failure;
    return table;
}

} // namespace

#ifdef ORVANTIS_HAVE_GDAL
const geodata::Functions* GeodataModule(std::string& error) {
    return Table<geodata::Functions>("orvantis-geodata.so", "orvantis_geodata_functions", "the raster import",
                                     error);
}
#endif

#ifdef ORVANTIS_HAVE_VIDEO
const video::Functions* VideoModule(std::string& error) {
    return Table<video::Functions>("orvantis-video.so", "orvantis_video_functions", "the video writer",
                                   error);
}
#endif

} // namespace cli
