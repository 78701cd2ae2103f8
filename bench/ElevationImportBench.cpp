// The elevation import on a large raster, timed by hand (run it under /usr/bin/time -v for the peak
// memory):
//   bench_elevation_import make DEM.tif [SIDE]   writes a SIDE x SIDE (default 10800) Float32 GeoTIFF,
//                                                deflate-compressed and tiled, with a few nodata voids
//   bench_elevation_import import DEM.tif OUT.tga [MAX_SIZE]
#include "geodata/RasterImport.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int Make(const std::string& path, int side) {
    GDALAllRegister();
    const char* options[] = {"COMPRESS=DEFLATE", "TILED=YES", "BIGTIFF=IF_SAFER", nullptr};
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), side, side, 1, GDT_Float32,
                                 const_cast<char**>(options));
    if (!ds) return 1;
    double gt[6] = {7.0, 1.0 / 3600, 0, 47.0, 0, -1.0 / 3600};
    GDALSetGeoTransform(ds, gt);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 4326);
    GDALSetSpatialRef(ds, srs);
    OSRDestroySpatialReference(srs);
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    GDALSetRasterNoDataValue(band, -9999);
    const int strip = 256;
    std::vector<float> rows(static_cast<size_t>(side) * strip);
    for (int y0 = 0; y0 < side; y0 += strip) {
        const int count = std::min(strip, side - y0);
        for (int y = 0; y < count; ++y)
            for (int x = 0; x < side; ++x) {
                const double u = x * 0.0021, v = (y0 + y) * 0.0017;
                float e = static_cast<float>(1200 + 900 * std::sin(u) * std::cos(v) +
                                             150 * std::sin(7 * u + 3 * v) + 3 * std::sin(91 * u) - 30);
                if (((x / 40) * 7 + ((y0 + y) / 40) * 13) % 97 == 0) e = -9999; // voids of 40 x 40
                rows[static_cast<size_t>(y) * side + x] = e;
            }
        if (GDALRasterIO(band, GF_Write, 0, y0, side, count, rows.data(), side, count, GDT_Float32, 0, 0) !=
            CE_None)
            return 1;
    }
    GDALClose(ds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc >= 3) return Make(argv[2], argc > 3 ? std::atoi(argv[3]) : 10800);
    if (mode != "import" || argc < 4) {
        std::fprintf(stderr, "usage: %s make DEM.tif [SIDE] | import DEM.tif OUT.tga [MAX_SIZE]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    geodata::ElevationImportOptions options;
    options.maxSize = argc > 4 ? std::atoi(argv[4]) : 0;
    const geodata::ElevationImportResult r = geodata::ImportElevation(argv[2], argv[3], options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (r.status != ToolStatus::Done) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }
    std::printf("%d x %d pixels, %lld filled, %.2f s\n", r.width, r.height, r.filledCells, seconds);
    return 0;
}
