#include "geodata/GdalHandles.h"

#include <algorithm>
#include <mutex>

namespace geodata {

void EnsureGdalRegistered() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

std::string LastGdalError(const std::string& fallback) {
    const char* text = CPLGetLastErrorMsg();
    return text && *text ? std::string(text) : fallback;
}

SpatialRef::SpatialRef(const std::string& wkt) {
    if (wkt.empty()) return;
    handle = OSRNewSpatialReference(nullptr);
    if (OSRSetFromUserInput(handle, wkt.c_str()) != OGRERR_NONE) {
        OSRDestroySpatialReference(handle);
        handle = nullptr;
        return;
    }
    OSRSetAxisMappingStrategy(handle, OAMS_TRADITIONAL_GIS_ORDER);
}

bool ProgressRange::step(double fraction) const {
    const double f = from + (to - from) * std::clamp(fraction, 0.0, 1.0);
    progress.report(static_cast<int>(100 * f));
    if (progress.stopRequested()) return false;
    progress.pump();
    return true;
}

int CPL_STDCALL ProgressRange::Callback(double fraction, const char*, void* data) {
    return static_cast<const ProgressRange*>(data)->step(fraction) ? TRUE : FALSE;
}

} // namespace geodata
