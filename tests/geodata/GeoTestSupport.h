#pragma once
// Rasters made with GDAL itself for the import tests, GDAL's own reading of them, and the imported
// pictures read back through CTGAFile.

#include "support/TempDir.h"
#include "tools/ToolCommon.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace geotest {

struct Raster {
    int width = 0, height = 0, bands = 1;
    GDALDataType type = GDT_Float32;
    std::vector<double> values; // band after band, each row after row from GDAL's row 0
    std::array<double, 6> geo{0, 1, 0, 0, 0, -1};
    bool georeferenced = true;
    int epsg = 0; // 0: no coordinate system
    std::optional<double> nodata;
    std::vector<std::string> creationOptions;
    std::vector<GDALColorInterp> colours; // per band, when set

    Raster(int w, int h, GDALDataType t = GDT_Float32, int b = 1)
        : width(w), height(h), bands(b), type(t), values(size_t(w) * h * b) {}
    double& at(int x, int y, int band = 0) { return values[(size_t(band) * height + y) * width + x]; }
};

// Writes the raster with the named GDAL driver (made in memory, then copied, as the drivers that cannot
// create files directly need).
inline void Write(const std::string& path, const Raster& r, const char* driver = "GTiff") {
    GDALAllRegister();
    GDALDatasetH mem =
        GDALCreate(GDALGetDriverByName("MEM"), "", r.width, r.height, r.bands, r.type, nullptr);
    ASSERT_NE(nullptr, mem);
    if (r.georeferenced) GDALSetGeoTransform(mem, const_cast<double*>(r.geo.data()));
    if (r.epsg) {
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, r.epsg);
        GDALSetSpatialRef(mem, srs);
        OSRDestroySpatialReference(srs);
    }
    for (int b = 0; b < r.bands; ++b) {
        GDALRasterBandH band = GDALGetRasterBand(mem, b + 1);
        if (r.nodata) GDALSetRasterNoDataValue(band, *r.nodata);
        if (size_t(b) < r.colours.size()) GDALSetRasterColorInterpretation(band, r.colours[b]);
        ASSERT_EQ(CE_None, GDALRasterIO(band, GF_Write, 0, 0, r.width, r.height,
                                        const_cast<double*>(r.values.data() + size_t(b) * r.width * r.height),
                                        r.width, r.height, GDT_Float64, 0, 0));
    }
    std::vector<const char*> options;
    for (const std::string& o : r.creationOptions) options.push_back(o.c_str());
    options.push_back(nullptr);
    GDALDatasetH out = GDALCreateCopy(GDALGetDriverByName(driver), path.c_str(), mem, FALSE,
                                      const_cast<char**>(options.data()), nullptr, nullptr);
    ASSERT_NE(nullptr, out) << CPLGetLastErrorMsg();
    GDALClose(out);
    GDALClose(mem);
}

// A netCDF file with two grids: GDAL opens it as a raster without bands that lists them as sub-datasets.
inline void WriteTwoGridNetCdf(const std::string& path) {
    GDALAllRegister();
    GDALDatasetH nc =
        GDALCreateMultiDimensional(GDALGetDriverByName("netCDF"), path.c_str(), nullptr, nullptr);
    ASSERT_NE(nullptr, nc) << CPLGetLastErrorMsg();
    GDALGroupH root = GDALDatasetGetRootGroup(nc);
    GDALDimensionH dims[2] = {GDALGroupCreateDimension(root, "y", nullptr, nullptr, 4, nullptr),
                              GDALGroupCreateDimension(root, "x", nullptr, nullptr, 4, nullptr)};
    GDALExtendedDataTypeH type = GDALExtendedDataTypeCreate(GDT_Float32);
    for (const char* name : {"a", "b"})
        GDALMDArrayRelease(GDALGroupCreateMDArray(root, name, 2, dims, type, nullptr));
    GDALExtendedDataTypeRelease(type);
    GDALDimensionRelease(dims[0]);
    GDALDimensionRelease(dims[1]);
    GDALGroupRelease(root);
    GDALClose(nc);
}

// Band 1 of path as GDAL reads it, row after row from GDAL's row 0.
inline std::vector<double> ReadBand(const std::string& path, int& width, int& height) {
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
    EXPECT_NE(nullptr, ds);
    if (!ds) return {};
    width = GDALGetRasterXSize(ds);
    height = GDALGetRasterYSize(ds);
    std::vector<double> v(size_t(width) * height);
    EXPECT_EQ(CE_None, GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, width, height, v.data(), width,
                                    height, GDT_Float64, 0, 0));
    GDALClose(ds);
    return v;
}

// An imported picture: pixel (x, y) with y counted from the top of the picture.
struct Picture {
    int width = 0, height = 0;
    std::vector<Bgr> pixels; // top row first

    explicit Picture(const std::string& path) {
        SilentPlatform platform;
        CTGAFile file(platform);
        if (!file.OpenImage(path)) return;
        width = file.GetWidth();
        height = file.GetHeight();
        for (int y = height - 1; y >= 0; --y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = file.pixelAt(x, y);
                pixels.push_back(Bgr{p[0], p[1], p[2]});
            }
    }
    Bgr at(int x, int yFromTop) const { return pixels.at(size_t(yFromTop) * width + x); }
    long long elevation(int x, int yFromTop) const { return PixelElevation(at(x, yFromTop)); }
};

// The names in a folder (to show that a refused import left nothing behind).
inline std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace geotest
