#pragma once
// Small owners of GDAL's C objects, used only inside geodata/ (no other folder includes GDAL). GDAL reports
// errors through a process-wide handler that prints to stderr by default; QuietGdalErrors keeps it quiet
// for the length of an import so the message reaches the user only through our result.

#include "app/Progress.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <string>
#include <utility>

namespace geodata {

// Registers GDAL's drivers once per process.
void EnsureGdalRegistered();

// GDAL's last error message, or fallback when GDAL left none.
std::string LastGdalError(const std::string& fallback);

class QuietGdalErrors {
public:
    QuietGdalErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdalErrors() { CPLPopErrorHandler(); }
    QuietGdalErrors(const QuietGdalErrors&) = delete;
    QuietGdalErrors& operator=(const QuietGdalErrors&) = delete;
};

// An open dataset, closed with the owner.
class Dataset {
public:
    Dataset() = default;
    explicit Dataset(GDALDatasetH h) : handle(h) {}
    ~Dataset() { reset(); }
    Dataset(Dataset&& o) noexcept : handle(std::exchange(o.handle, nullptr)) {}
    Dataset& operator=(Dataset&& o) noexcept {
        if (this != &o) {
            reset();
            handle = std::exchange(o.handle, nullptr);
        }
        return *this;
    }
    void reset() {
        if (handle) GDALClose(handle);
        handle = nullptr;
    }
    GDALDatasetH get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    GDALDatasetH handle = nullptr;
};

// A coordinate system, destroyed with the owner.
class SpatialRef {
public:
    SpatialRef() = default;
    // From a dataset's WKT; empty when the text is empty or not understood.
    explicit SpatialRef(const std::string& wkt);
    ~SpatialRef() {
        if (handle) OSRDestroySpatialReference(handle);
    }
    SpatialRef(const SpatialRef&) = delete;
    SpatialRef& operator=(const SpatialRef&) = delete;
    OGRSpatialReferenceH get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    OGRSpatialReferenceH handle = nullptr;
};

// Holds GDAL's block cache to at most the given size while alive (a 24 GB machine would otherwise cache
// up to 1.2 GB of decoded blocks, on top of the import's own buffers), then restores the previous limit.
class BlockCacheLimit {
public:
    explicit BlockCacheLimit(GIntBig bytes) : previous(GDALGetCacheMax64()) {
        if (bytes < previous) GDALSetCacheMax64(bytes);
    }
    ~BlockCacheLimit() { GDALSetCacheMax64(previous); }
    BlockCacheLimit(const BlockCacheLimit&) = delete;
    BlockCacheLimit& operator=(const BlockCacheLimit&) = delete;

private:
    GIntBig previous;
};

// A GDAL progress callback over a part [from, to] of the whole run, reporting to a Progress and stopping
// GDAL when the user asks to. Pass &range as the callback's data.
struct ProgressRange {
    Progress& progress;
    double from = 0, to = 1;
    // Reports fraction (0..1) of this part; false when the user asked to stop.
    bool step(double fraction) const;
    static int CPL_STDCALL Callback(double fraction, const char* message, void* data);
};

} // namespace geodata
