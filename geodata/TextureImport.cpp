#include "geodata/RasterGrid.h"
#include "geodata/RasterImport.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace geodata {
namespace {

// The source as three 8-bit bands red, green, blue (an in-memory VRT): palettes expanded, a grey band
// repeated, wider bands scaled from their range to 0..255, alpha and other bands left out.
Dataset AsRgb(GDALDatasetH source, std::string& error) {
    GDALRasterBandH first = GDALGetRasterBand(source, 1);
    const int count = GDALGetRasterCount(source);
    std::vector<std::string> args;
    if (count < 3 && GDALGetRasterColorTable(first)) {
        args.insert(args.end(), {"-expand", "rgb"});
    } else {
        int bands[3] = {1, 1, 1};
        if (count >= 3) {
            bands[1] = 2;
            bands[2] = 3;
            for (int b = 1; b <= count; ++b) {
                const GDALColorInterp c = GDALGetRasterColorInterpretation(GDALGetRasterBand(source, b));
                if (c == GCI_RedBand) bands[0] = b;
                if (c == GCI_GreenBand) bands[1] = b;
                if (c == GCI_BlueBand) bands[2] = b;
            }
        }
        for (int b : bands) args.insert(args.end(), {"-b", std::to_string(b)});
        if (GDALGetRasterDataType(first) != GDT_Byte) args.insert(args.end(), {"-ot", "Byte", "-scale"});
    }
    return TranslatedView(source, std::move(args), error);
}

// Reads the picture on its own grid (reduced by averaging when asked) into picture, north at the top.
bool ReadOwnGrid(GDALDatasetH rgb, const RasterGrid& grid, CTGAFile& picture, const ProgressRange& progress,
                 std::string& error) {
    const int w = grid.width;
    const int strip =
        std::clamp(static_cast<int>(std::ceil(256.0 * grid.height / grid.sourceHeight)), 1, grid.height);
    std::vector<uint8_t> rows(static_cast<size_t>(w) * 3 * strip);
    int blueGreenRed[3] = {3, 2, 1};
    for (int first = 0; first < grid.height; first += strip) {
        if (!progress.step(double(first) / grid.height)) return false;
        const int count = std::min(strip, grid.height - first);
        int yOff = 0, ySize = 0;
        GDALRasterIOExtraArg extra = StripWindow(grid, first, count, yOff, ySize);
        if (GDALDatasetRasterIOEx(rgb, GF_Read, 0, yOff, grid.sourceWidth, ySize, rows.data(), w, count,
                                  GDT_Byte, 3, blueGreenRed, 3, GSpacing(3) * w, 1, &extra) != CE_None) {
            error = LastGdalError("read error");
            return false;
        }
        for (int i = 0; i < count; ++i)
            std::copy_n(rows.data() + static_cast<size_t>(i) * w * 3, static_cast<size_t>(w) * 3,
                        picture.pixelAt(0, grid.fileRow(first + i)));
    }
    return true;
}

// The warp of rgb onto grid, written straight into the picture's rows through an in-memory dataset laid
// over them (bottom row first, so its geotransform is the grid's bottom-up one).
bool WarpOntoGrid(GDALDatasetH rgb, const RasterGrid& grid, CTGAFile& picture, const ProgressRange& progress,
                  std::string& error) {
    uint8_t* pixels = picture.pixelAt(0, 0);
    const long long stride = grid.height > 1 ? picture.pixelAt(0, 1) - pixels : 3LL * grid.width;
    Dataset target = MemoryView(grid.width, grid.height, GDT_Byte, {pixels + 2, pixels + 1, pixels}, 3,
                                stride); // red, green, blue of blue-green-red pixels
    if (!target) {
        error = LastGdalError("no memory");
        return false;
    }
    WarpJob job;
    job.source = rgb;
    job.target = target.get();
    job.bands = 3;
    job.targetGt = grid.bottom();
    job.targetWkt = grid.wkt;
    // A picture without a position covers the grid; one without a coordinate system is taken to share
    // the grid's.
    job.sourceWkt = GDALGetProjectionRef(rgb) ? GDALGetProjectionRef(rgb) : "";
    if (GDALGetGeoTransform(rgb, job.sourceGt.data()) != CE_None) {
        const double sx = double(grid.width) / GDALGetRasterXSize(rgb);
        const double sy = double(grid.height) / GDALGetRasterYSize(rgb);
        const GeoTransform& t = grid.top;
        job.sourceGt = {t[0], t[1] * sx, t[2] * sy, t[3], t[4] * sx, t[5] * sy};
        job.sourceWkt = grid.wkt;
    }
    return RunWarp(job, progress, error);
}

} // namespace

TextureImportResult ImportTexture(const std::string& source, const std::string& target,
                                  const TextureImportOptions& options, Progress& progress) {
    EnsureGdalRegistered();
    QuietGdalErrors quiet;
    TextureImportResult result;
    auto fail = [&](std::string text) {
        result.status = ToolStatus::Failed;
        result.error = std::move(text);
        return result;
    };

    std::string error;
    Dataset ds = OpenRaster(source, error);
    if (!ds) return fail(error);
    Dataset rgb = AsRgb(ds.get(), error);
    if (!rgb) return fail(FormatString(IDS_GEO_READ_FAILED, source.c_str(), error.c_str()));

    RasterGrid grid;
    result.warped = !options.matchElevationSource.empty();
    if (result.warped) {
        Dataset elevation = OpenRaster(options.matchElevationSource, error);
        if (!elevation) return fail(error);
        if (!PlanGrid(elevation.get(), options.matchElevationSource, options.maxSize, grid, error))
            return fail(error);
    } else if (!PlanGrid(rgb.get(), source, options.maxSize, grid, error)) {
        return fail(error);
    }
    if (std::string problem = TargetProblem(target); !problem.empty()) return fail(problem);
    result.width = grid.width;
    result.height = grid.height;

    BlockCacheLimit cache(BlockCacheFor(GDALGetRasterBand(rgb.get(), 1)));
    ImportPlatform platform;
    std::unique_ptr<CTGAFile> picture = MakePicture(platform, grid.width, grid.height, error);
    if (!picture) return fail(error);
    const ProgressRange reading{progress, 0.0, 0.9};
    const bool ok = result.warped ? WarpOntoGrid(rgb.get(), grid, *picture, reading, error)
                                  : ReadOwnGrid(rgb.get(), grid, *picture, reading, error);
    if (!ok) {
        if (progress.stopRequested()) {
            result.status = ToolStatus::Cancelled;
            return result;
        }
        return fail(result.warped ? FormatString(IDS_GEO_WARP_FAILED, source.c_str(),
                                                 options.matchElevationSource.c_str(), error.c_str())
                                  : FormatString(IDS_GEO_READ_FAILED, source.c_str(), error.c_str()));
    }
    rgb.reset();
    ds.reset();
    result.status = SavePicture(*picture, target, progress, result.error);
    return result;
}

TextureImportResult ImportTexture(const std::string& source, const std::string& target,
                                  const TextureImportOptions& options) {
    NullProgress none;
    return ImportTexture(source, target, options, none);
}

} // namespace geodata
