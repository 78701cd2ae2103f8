#include "geodata/NodataFill.h"
#include "geodata/RasterGrid.h"
#include "geodata/RasterImport.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace geodata {
namespace {

constexpr long long kMaxStored = 0xFFFFFF; // three bytes per pixel

// Metres in one unit of the band's values (GDAL's unit names; anything unknown counts as metres).
double BandUnitMetres(GDALRasterBandH band) {
    std::string unit = GDALGetRasterUnitType(band);
    std::transform(unit.begin(), unit.end(), unit.begin(), [](unsigned char c) { return std::tolower(c); });
    if (unit == "ft" || unit == "foot" || unit == "feet" || unit == "international foot") return 0.3048;
    if (unit == "us-ft" || unit == "ftus" || unit == "us survey foot" || unit == "us_survey_foot")
        return 1200.0 / 3937.0;
    if (unit == "dm") return 0.1;
    if (unit == "cm") return 0.01;
    if (unit == "mm") return 0.001;
    return 1.0;
}

bool IsColourBand(GDALColorInterp c) {
    return c == GCI_RedBand || c == GCI_PaletteIndex || c == GCI_HueBand || c == GCI_CyanBand ||
           c == GCI_YCbCr_YBand;
}

// Rows read per RasterIO call: at least one row of the raster's blocks, so that each block is decoded once.
int StripRows(GDALRasterBandH band) {
    int bw = 0, bh = 0;
    GDALGetBlockSize(band, &bw, &bh);
    return std::max(bh, 256);
}

// Reads band 1 into cells (file pixels, raster row order) with holes as NaN; values in the band's unit.
// A full-size raster is read in strips of rows; a reduced one is warped onto the smaller grid with GDAL's
// average (which leaves nodata out, and, unlike RasterIO's average, keeps the fractions of integer bands).
struct BandReader {
    GDALDatasetH dataset;
    GDALRasterBandH band;
    const RasterGrid& grid;
    ProgressRange progress;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    long long valid = 0;
    int hasNodata = FALSE;
    double nodata = 0;
    double scale = 1, offset = 0;

    bool read(std::vector<float>& cells, std::string& error) {
        int ok = FALSE;
        scale = GDALGetRasterScale(band, &ok);
        if (!ok || scale == 0) scale = 1;
        offset = GDALGetRasterOffset(band, &ok);
        if (!ok) offset = 0;
        if (grid.reduced) {
            Dataset target = MemoryView(grid.width, grid.height, GDT_Float32, {cells.data()}, sizeof(float),
                                        static_cast<long long>(sizeof(float)) * grid.width);
            WarpJob job;
            job.source = dataset;
            job.target = target.get();
            job.sourceGt = grid.source;
            job.targetGt = grid.rasterOrder();
            job.alwaysAverage = true;
            job.nodataAsNaN = true;
            if (!target || !RunWarp(job, progress, error)) return false;
            classify(cells.data(), cells.size(), nullptr);
            return true;
        }

        nodata = GDALGetRasterNoDataValue(band, &hasNodata);
        const int maskFlags = GDALGetMaskFlags(band);
        // A nodata value is checked here; any other mask (alpha, per-dataset, internal) is read beside.
        const bool useMask = !(maskFlags & GMF_ALL_VALID) && !(maskFlags & GMF_NODATA);
        const int w = grid.width, h = grid.height;
        const int strip = StripRows(band);
        std::vector<uint8_t> mask(useMask ? static_cast<size_t>(w) * strip : 0);
        for (int first = 0; first < h; first += strip) {
            if (!progress.step(double(first) / h)) return false;
            const int count = std::min(strip, h - first);
            float* out = cells.data() + static_cast<size_t>(first) * w;
            if (GDALRasterIO(band, GF_Read, 0, first, w, count, out, w, count, GDT_Float32, 0, 0) !=
                    CE_None ||
                (useMask && GDALRasterIO(GDALGetMaskBand(band), GF_Read, 0, first, w, count, mask.data(), w,
                                         count, GDT_Byte, 0, 0) != CE_None)) {
                error = LastGdalError("read error");
                return false;
            }
            classify(out, static_cast<size_t>(w) * count, useMask ? mask.data() : nullptr);
        }
        return true;
    }

    // Marks nodata and masked cells NaN, applies the band's scale and offset to the others and counts them.
    void classify(float* cells, size_t n, const uint8_t* mask) {
        const float nodataAsFloat = static_cast<float>(nodata);
        for (size_t i = 0; i < n; ++i) {
            float& v = cells[i];
            if (std::isnan(v) || (hasNodata && (v == nodataAsFloat || double(v) == nodata)) ||
                (mask && !mask[i])) {
                v = NAN;
                continue;
            }
            v = static_cast<float>(v * scale + offset);
            lo = std::min<double>(lo, v);
            hi = std::max<double>(hi, v);
            ++valid;
        }
    }
};

// The elevation value of x (band units) in whole output units; perUnit converts.
inline long long Stored(float x, double perUnit) {
    return std::llround(x * perUnit);
}

} // namespace

ElevationImportResult ImportElevation(const std::string& source, const std::string& target,
                                      const ElevationImportOptions& options, Progress& progress) {
    EnsureGdalRegistered();
    QuietGdalErrors quiet;
    CPLConfigOptionSetter threads("GDAL_NUM_THREADS", "ALL_CPUS", true);
    ElevationImportResult result;
    auto fail = [&](std::string text) {
        result.status = ToolStatus::Failed;
        result.error = std::move(text);
        return result;
    };

    std::string error;
    Dataset ds = OpenRaster(source, error);
    if (!ds) return fail(error);
    GDALRasterBandH band = GDALGetRasterBand(ds.get(), 1);
    // A picture's first band is red (or palette indices, or a colour model's first channel); three or more
    // bytes per pixel are taken for a picture too, whatever their bands are called.
    const GDALColorInterp interp = GDALGetRasterColorInterpretation(band);
    const int bands = GDALGetRasterCount(ds.get());
    if (IsColourBand(interp) || (bands >= 3 && GDALGetRasterDataType(band) == GDT_Byte))
        return fail(FormatString(IDS_GEO_COLOUR_AS_ELEVATION, source.c_str(), bands,
                                 GDALGetColorInterpretationName(interp)));
    RasterGrid grid;
    if (!PlanGrid(ds.get(), source, options.maxSize, grid, error)) return fail(error);
    if (std::string problem = TargetProblem(target); !problem.empty()) return fail(problem);

    result.width = grid.width;
    result.height = grid.height;
    result.sourceWidth = grid.sourceWidth;
    result.sourceHeight = grid.sourceHeight;
    result.reduced = grid.reduced;
    result.georeferenced = grid.georeferenced;
    if (grid.georeferenced) grid.pixelMetres(result.pixelMetresX, result.pixelMetresY);

    // Reading is most of the work; filling and writing share the rest.
    std::vector<float> cells;
    try {
        cells.resize(static_cast<size_t>(grid.width) * grid.height);
    } catch (const std::bad_alloc&) {
        return fail(FormatString(IDS_GEO_NO_MEMORY, grid.width, grid.height));
    }
    const double bandMetres = BandUnitMetres(band);
    BlockCacheLimit cache(BlockCacheFor(band));
    BandReader reader{ds.get(), band, grid, ProgressRange{progress, 0.0, 0.7}};
    if (!reader.read(cells, error)) {
        if (progress.stopRequested()) {
            result.status = ToolStatus::Cancelled;
            return result;
        }
        return fail(FormatString(IDS_GEO_READ_FAILED, source.c_str(), error.c_str()));
    }
    if (reader.valid == 0) return fail(FormatString(IDS_GEO_ALL_NODATA, source.c_str()));
    ds.reset();

    const ProgressRange fillProgress{progress, 0.7, 0.8};
    result.filledCells =
        FillNodata(cells.data(), grid.width, grid.height, [&](double f) { return fillProgress.step(f); });
    if (result.filledCells < 0) {
        result.filledCells = 0;
        result.status = ToolStatus::Cancelled;
        return result;
    }

    const double unitMetres = UnitMetres(options.unit);
    const double lo = reader.lo, hi = reader.hi;
    const double perUnit = bandMetres / unitMetres;
    result.minMetres = lo * bandMetres;
    result.maxMetres = hi * bandMetres;
    const long long lowest = Stored(static_cast<float>(lo), perUnit);
    const long long highest = Stored(static_cast<float>(hi), perUnit);
    result.offsetStored = lowest < 0 ? -lowest : 0;
    result.offsetMetres = result.offsetStored * unitMetres;
    result.minStored = lowest + result.offsetStored;
    result.maxStored = highest + result.offsetStored;
    if (result.maxStored > kMaxStored)
        return fail(FormatString(IDS_GEO_RANGE_TOO_LARGE, source.c_str(), double(highest - lowest),
                                 UnitName(options.unit)));

    result.elevScaleX = 1;
    result.elevScaleY = result.pixelMetresY / result.pixelMetresX;
    result.zScale = unitMetres / result.pixelMetresX;

    ImportPlatform platform;
    std::unique_ptr<CTGAFile> picture = MakePicture(platform, grid.width, grid.height, error);
    if (!picture) return fail(error);
    const ProgressRange writeProgress{progress, 0.8, 0.95};
    for (int r = 0; r < grid.height; ++r) {
        if ((r & 255) == 0 && !writeProgress.step(double(r) / grid.height)) {
            result.status = ToolStatus::Cancelled;
            return result;
        }
        const float* row = cells.data() + static_cast<size_t>(r) * grid.width;
        uint8_t* out = picture->pixelAt(0, grid.fileRow(r));
        for (int x = 0; x < grid.width; ++x) {
            const long long value =
                std::clamp(Stored(row[x], perUnit) + result.offsetStored, 0LL, kMaxStored);
            StoreElevation(out + 3 * x, static_cast<uint32_t>(value));
        }
    }
    std::vector<float>().swap(cells);
    result.status = SavePicture(*picture, target, progress, result.error);
    return result;
}

ElevationImportResult ImportElevation(const std::string& source, const std::string& target,
                                      const ElevationImportOptions& options) {
    NullProgress none;
    return ImportElevation(source, target, options, none);
}

} // namespace geodata
