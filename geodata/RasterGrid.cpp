#include "geodata/RasterGrid.h"

#include "geodata/RasterImport.h"
#include "res/StringTable.h"
#include "tools/DemImport.h"

#include <algorithm>
#include <cpl_string.h>
#include <gdal_utils.h>
#include <gdalwarper.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <unistd.h>

namespace geodata {

GeoTransform RasterGrid::bottom() const {
    const GeoTransform& g = top;
    return {g[0] + height * g[2], g[1], -g[2], g[3] + height * g[5], g[4], -g[5]};
}

void RasterGrid::pixelMetres(double& x, double& y) const {
    const GeoTransform& g = top;
    x = std::hypot(g[1], g[4]);
    y = std::hypot(g[2], g[5]);
    SpatialRef srs(wkt);
    if (!srs) return;
    if (OSRIsGeographic(srs.get())) {
        // Metres per degree along the meridian and along the parallel at the centre latitude.
        OGRErr err = OGRERR_NONE;
        const double a = OSRGetSemiMajor(srs.get(), &err);
        const double invFlattening = OSRGetInvFlattening(srs.get(), &err);
        const double f = invFlattening > 0 ? 1 / invFlattening : 0;
        const double e2 = f * (2 - f);
        const double radiansPerUnit = OSRGetAngularUnits(srs.get(), nullptr);
        const double centreY = g[3] + width / 2.0 * g[4] + height / 2.0 * g[5];
        const double phi = centreY * radiansPerUnit;
        const double w = 1 - e2 * std::sin(phi) * std::sin(phi);
        const double alongParallel = radiansPerUnit * a * std::cos(phi) / std::sqrt(w);
        const double alongMeridian = radiansPerUnit * a * (1 - e2) / (w * std::sqrt(w));
        x = std::hypot(g[1] * alongParallel, g[4] * alongMeridian);
        y = std::hypot(g[2] * alongParallel, g[5] * alongMeridian);
    } else {
        const double metres = OSRGetLinearUnits(srs.get(), nullptr);
        x *= metres;
        y *= metres;
    }
}

Dataset OpenRaster(const std::string& path, std::string& error) {
    CPLErrorReset();
    Dataset ds(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!ds) {
        std::error_code ec;
        error = std::filesystem::exists(path, ec) || path.rfind("/vsi", 0) == 0 ||
                        path.find(':') != std::string::npos
                    ? FormatString(IDS_GEO_NOT_A_RASTER, path.c_str(),
                                   LastGdalError("no raster driver recognises it").c_str())
                    : FormatString(IDS_GEO_SOURCE_MISSING, path.c_str());
        return {};
    }
    if (GDALGetRasterCount(ds.get()) < 1) {
        // Containers (netCDF, HDF) list their grids as sub-datasets, opened by name.
        char** subdatasets = GDALGetMetadata(ds.get(), "SUBDATASETS");
        const int count = CSLCount(subdatasets) / 2;
        const char* first = CSLFetchNameValue(subdatasets, "SUBDATASET_1_NAME");
        error = count > 0 && first ? FormatString(IDS_GEO_SUBDATASETS_ONLY, path.c_str(), count, first)
                                   : FormatString(IDS_GEO_NO_BAND, path.c_str());
        return {};
    }
    return ds;
}

Dataset TranslatedView(GDALDatasetH ds, std::vector<std::string> args, std::string& error) {
    args.insert(args.begin(), {"-of", "VRT"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    GDALTranslateOptions* options = GDALTranslateOptionsNew(argv.data(), nullptr);
    Dataset view(GDALTranslate("", ds, options, nullptr));
    GDALTranslateOptionsFree(options);
    if (!view) error = LastGdalError("GDAL cannot make a view of it");
    return view;
}

bool PlanGrid(GDALDatasetH ds, const std::string& path, int maxSize, RasterGrid& grid, std::string& error) {
    const int limit = MaxImportSide();
    if (maxSize < 0 || maxSize > limit) {
        error = FormatString(IDS_GEO_BAD_MAX_SIZE, maxSize, limit);
        return false;
    }
    grid.sourceWidth = GDALGetRasterXSize(ds);
    grid.sourceHeight = GDALGetRasterYSize(ds);
    const int longer = std::max(grid.sourceWidth, grid.sourceHeight);
    if (maxSize == 0 && longer > limit) {
        error =
            FormatString(IDS_GEO_TOO_LARGE, path.c_str(), grid.sourceWidth, grid.sourceHeight, limit, limit);
        return false;
    }
    grid.width = grid.sourceWidth;
    grid.height = grid.sourceHeight;
    if (maxSize > 0 && longer > maxSize) {
        auto reducedSide = [&](int side) {
            return static_cast<int>(
                std::clamp<long long>(std::llround(double(side) * maxSize / longer), 1, maxSize));
        };
        grid.width = reducedSide(grid.sourceWidth);
        grid.height = reducedSide(grid.sourceHeight);
        grid.reduced = true;
    }

    GeoTransform g{};
    grid.georeferenced = GDALGetGeoTransform(ds, g.data()) == CE_None;
    if (!grid.georeferenced) g = {0, 1, 0, 0, 0, -1}; // a plain picture: row 0 on top
    grid.source = g;
    const double sx = double(grid.sourceWidth) / grid.width, sy = double(grid.sourceHeight) / grid.height;
    g = {g[0], g[1] * sx, g[2] * sy, g[3], g[4] * sx, g[5] * sy};
    grid.northUp = g[5] < 0;
    grid.top = g;
    if (!grid.northUp) grid.top = grid.bottom();
    const char* wkt = GDALGetProjectionRef(ds);
    grid.wkt = grid.georeferenced && wkt ? wkt : "";
    return true;
}

GDALRasterIOExtraArg StripWindow(const RasterGrid& grid, int first, int count, int& yOff, int& ySize) {
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    if (!grid.reduced) {
        yOff = first;
        ySize = count;
        return extra;
    }
    const double scale = double(grid.sourceHeight) / grid.height;
    const double y0 = first * scale;
    const double y1 = std::min<double>(grid.sourceHeight, (first + count) * scale);
    extra.eResampleAlg = GRIORA_Average;
    extra.bFloatingPointWindowValidity = TRUE;
    extra.dfXOff = 0;
    extra.dfXSize = grid.sourceWidth;
    extra.dfYOff = y0;
    extra.dfYSize = y1 - y0;
    yOff = static_cast<int>(std::floor(y0));
    ySize = std::max(1, std::min(grid.sourceHeight, static_cast<int>(std::ceil(y1))) - yOff);
    return extra;
}

Dataset MemoryView(int width, int height, GDALDataType type, const std::vector<void*>& bands, int pixelOffset,
                   long long lineOffset) {
    Dataset view(GDALCreate(GDALGetDriverByName("MEM"), "", width, height, 0, type, nullptr));
    if (!view) return view;
    for (void* data : bands) {
        char pointer[64] = {};
        CPLPrintPointer(pointer, data, sizeof pointer - 1);
        const std::string dataOption = std::string("DATAPOINTER=") + pointer;
        const std::string pixelOption = "PIXELOFFSET=" + std::to_string(pixelOffset);
        const std::string lineOption = "LINEOFFSET=" + std::to_string(lineOffset);
        const char* options[] = {dataOption.c_str(), pixelOption.c_str(), lineOption.c_str(), nullptr};
        if (GDALAddBand(view.get(), type, const_cast<char**>(options)) != CE_None) return {};
    }
    return view;
}

namespace {

// The transformers and warp objects of one warp, destroyed together.
struct WarpObjects {
    void* exact = nullptr;
    void* approx = nullptr;
    GDALWarpOptions* options = nullptr;
    GDALWarpOperationH operation = nullptr;
    ~WarpObjects() {
        if (operation) GDALDestroyWarpOperation(operation);
        if (options) GDALDestroyWarpOptions(options);
        if (approx) GDALDestroyApproxTransformer(approx);
        if (exact) GDALDestroyGenImgProjTransformer(exact);
    }

    // True when a target pixel at the centre of the target spans more than 1.5 source pixels.
    bool coarserThanSource(int width, int height) const {
        double x[3] = {width / 2.0, width / 2.0 + 1, width / 2.0};
        double y[3] = {height / 2.0, height / 2.0, height / 2.0 + 1};
        double z[3] = {};
        int ok[3] = {};
        GDALGenImgProjTransform(exact, TRUE, 3, x, y, z, ok);
        if (!ok[0] || !ok[1] || !ok[2]) return false;
        return std::max(std::hypot(x[1] - x[0], y[1] - y[0]), std::hypot(x[2] - x[0], y[2] - y[0])) > 1.5;
    }
};

} // namespace

bool RunWarp(const WarpJob& job, const ProgressRange& progress, std::string& error) {
    WarpObjects w;
    const bool reproject = !job.sourceWkt.empty() && !job.targetWkt.empty();
    w.exact =
        GDALCreateGenImgProjTransformer3(reproject ? job.sourceWkt.c_str() : nullptr, job.sourceGt.data(),
                                         reproject ? job.targetWkt.c_str() : nullptr, job.targetGt.data());
    if (!w.exact) {
        error = LastGdalError("no transformation between the coordinate systems");
        return false;
    }
    // Within an eighth of a pixel of the exact transformation, as gdalwarp does by default.
    w.approx = GDALCreateApproxTransformer(GDALGenImgProjTransform, w.exact, 0.125);

    const int width = GDALGetRasterXSize(job.target), height = GDALGetRasterYSize(job.target);
    GDALWarpOptions* o = w.options = GDALCreateWarpOptions();
    o->hSrcDS = job.source;
    o->hDstDS = job.target;
    o->nBandCount = job.bands;
    o->panSrcBands = static_cast<int*>(CPLMalloc(job.bands * sizeof(int)));
    o->panDstBands = static_cast<int*>(CPLMalloc(job.bands * sizeof(int)));
    for (int b = 0; b < job.bands; ++b) o->panSrcBands[b] = o->panDstBands[b] = b + 1;
    o->eResampleAlg = job.alwaysAverage || w.coarserThanSource(width, height) ? GRA_Average : GRA_Bilinear;
    o->pfnTransformer = GDALApproxTransform;
    o->pTransformerArg = w.approx;
    o->pfnProgress = ProgressRange::Callback;
    o->pProgressArg = const_cast<ProgressRange*>(&progress);
    o->dfWarpMemoryLimit = 64.0 * 1024 * 1024;
    o->papszWarpOptions = CSLSetNameValue(o->papszWarpOptions, "NUM_THREADS", "ALL_CPUS");
    if (job.nodataAsNaN) {
        int hasNodata = FALSE;
        const double nodata = GDALGetRasterNoDataValue(GDALGetRasterBand(job.source, 1), &hasNodata);
        if (hasNodata) {
            o->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
            o->padfSrcNoDataReal[0] = nodata;
        }
        o->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
        o->padfDstNoDataReal[0] = NAN;
        o->papszWarpOptions = CSLSetNameValue(o->papszWarpOptions, "INIT_DEST", "NO_DATA");
    } else {
        o->papszWarpOptions = CSLSetNameValue(o->papszWarpOptions, "INIT_DEST", "0");
    }
    w.operation = GDALCreateWarpOperation(o);
    if (!w.operation || GDALChunkAndWarpImage(w.operation, 0, 0, width, height) != CE_None) {
        error = LastGdalError("warp error");
        return false;
    }
    GDALFlushCache(job.target);
    return true;
}

std::string TargetProblem(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec))
        return FormatString(IDS_GEO_TARGET_FOLDER_MISSING, target.c_str(), folder.string().c_str());
    if (fs::is_directory(target, ec))
        return FormatString(IDS_GEO_TARGET_NOT_WRITABLE, target.c_str(), "it is a folder");
    const bool exists = fs::exists(target, ec);
    if (access(folder.c_str(), W_OK | X_OK) != 0 && (!exists || access(target.c_str(), W_OK) != 0))
        return FormatString(IDS_GEO_TARGET_NOT_WRITABLE, target.c_str(), std::strerror(errno));
    return {};
}

std::unique_ptr<CTGAFile> MakePicture(Platform& platform, int width, int height, std::string& error) {
    auto picture = std::make_unique<CTGAFile>(platform, 10, true, 1.0, 1.0);
    if (!picture->CreateImage(width, height)) {
        error = FormatString(IDS_GEO_NO_MEMORY, width, height);
        return nullptr;
    }
    return picture;
}

ToolStatus SavePicture(CTGAFile& picture, const std::string& target, Progress& progress, std::string& error) {
    if (progress.stopRequested()) return ToolStatus::Cancelled;
    const bool saved = picture.SaveImageAs(target, 0);
    if (saved) {
        progress.report(100);
        return ToolStatus::Done;
    }
    error = FormatString(IDS_GEO_SAVE_FAILED, target.c_str());
    return ToolStatus::Failed;
}

GIntBig BlockCacheFor(GDALRasterBandH band) {
    int bw = 0, bh = 0;
    GDALGetBlockSize(band, &bw, &bh);
    const GIntBig columns = (GDALGetRasterBandXSize(band) + std::max(bw, 1) - 1) / std::max(bw, 1);
    const GIntBig row =
        columns * bw * bh * std::max(GDALGetDataTypeSizeBytes(GDALGetRasterDataType(band)), 1);
    return std::max<GIntBig>(GIntBig(64) << 20, 3 * row);
}

int MaxImportSide() {
    return kMaxDemImageSide;
}

double UnitMetres(ElevationUnit unit) {
    switch (unit) {
    case ElevationUnit::Decimetre:
        return 0.1;
    case ElevationUnit::Centimetre:
        return 0.01;
    default:
        return 1.0;
    }
}

const char* UnitName(ElevationUnit unit) {
    switch (unit) {
    case ElevationUnit::Decimetre:
        return "dm";
    case ElevationUnit::Centimetre:
        return "cm";
    default:
        return "m";
    }
}

} // namespace geodata
