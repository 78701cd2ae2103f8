#include "GeoTestSupport.h"
#include "geodata/NodataFill.h"
#include "geodata/RasterImport.h"

#include <cmath>

using namespace geodata;
using namespace geotest;

namespace {

// Every valid cell of GDAL's reading of source, in metres times perMetre, rounded, plus offset, is the
// picture's pixel at the same column and row from the top.
void ExpectCellsMatch(const std::string& source, const Picture& picture, double perMetre, long long offset,
                      std::optional<double> nodata) {
    int w = 0, h = 0;
    const std::vector<double> cells = ReadBand(source, w, h);
    ASSERT_EQ(w, picture.width);
    ASSERT_EQ(h, picture.height);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = cells[size_t(y) * w + x];
            if (nodata && v == *nodata) continue;
            if (picture.elevation(x, y) != std::llround(v * perMetre) + offset && ++wrong < 5)
                ADD_FAILURE() << "cell " << x << "," << y << ": " << v << " stored as "
                              << picture.elevation(x, y);
        }
    EXPECT_EQ(0, wrong);
}

class Stopper : public Progress {
public:
    bool stopRequested() const override { return reports > 0; }
    void report(int) override { ++reports; }
    int reports = 0;
};

} // namespace

TEST(ElevationImport, TiledCompressedGeographicFloatWithNodataAndNegativeValues) {
    TempDir dir;
    Raster r(300, 200);
    r.geo = {7.0, 1 / 3600.0, 0, 61.0, 0, -1 / 3600.0};
    r.epsg = 4326;
    r.nodata = -9999;
    r.creationOptions = {"TILED=YES", "BLOCKXSIZE=64", "BLOCKYSIZE=64", "COMPRESS=DEFLATE"};
    auto plane = [](int x, int y) { return -20.4 + 0.37 * x + 1.1 * y; };
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) r.at(x, y) = plane(x, y) + 0.25 * ((x * 7 + y * 3) % 5);
    for (int y = 50; y < 58; ++y)
        for (int x = 100; x < 110; ++x) r.at(x, y) = -9999; // a void inside
    for (int x = 0; x < 40; ++x) r.at(x, 0) = -9999;        // and one on the edge
    Write(dir.path("dem.tif"), r);

    double lowest = 1e9;
    for (double v : r.values)
        if (v != -9999) lowest = std::min(lowest, v);
    const long long offset = -std::llround(lowest);

    const ElevationImportResult result = ImportElevation(dir.path("dem.tif"), dir.path("out.tga"));
    ASSERT_EQ(ToolStatus::Done, result.status) << result.error;
    EXPECT_EQ(300, result.width);
    EXPECT_EQ(200, result.height);
    EXPECT_EQ(120, result.filledCells);
    // The lowest valid cell becomes 0; the offset says by how much.
    EXPECT_EQ(19, offset);
    EXPECT_EQ(offset, result.offsetStored);
    EXPECT_DOUBLE_EQ(double(offset), result.offsetMetres);
    EXPECT_NEAR(lowest, result.minMetres, 1e-4);
    EXPECT_EQ(0, result.minStored);
    const Picture picture(dir.path("out.tga"));
    ExpectCellsMatch(dir.path("dem.tif"), picture, 1.0, offset, r.nodata);

    // The filled void follows the slope around it: no hole, no cliff.
    for (int y = 50; y < 58; ++y)
        for (int x = 100; x < 110; ++x)
            EXPECT_NEAR(plane(x, y) + offset + 0.5, picture.elevation(x, y), 2.0) << x << "," << y;

    // A second of arc at the centre latitude (60.972°), by the usual series for WGS84 degree lengths.
    const double phi = (61.0 - 100 / 3600.0) * M_PI / 180;
    const double parallel = (111412.84 * std::cos(phi) - 93.5 * std::cos(3 * phi)) / 3600;
    const double meridian = (111132.954 - 559.822 * std::cos(2 * phi) + 1.175 * std::cos(4 * phi)) / 3600;
    EXPECT_NEAR(parallel, result.pixelMetresX, parallel * 1e-3);
    EXPECT_NEAR(meridian, result.pixelMetresY, meridian * 1e-3);
    EXPECT_DOUBLE_EQ(1.0, result.elevScaleX);
    EXPECT_NEAR(meridian / parallel, result.elevScaleY, 1e-3 * result.elevScaleY);
    EXPECT_NEAR(1 / parallel, result.zScale, 1e-3 * result.zScale);
}

TEST(ElevationImport, HgtTileInDecimetresWithNorthAtTheTop) {
    TempDir dir;
    Raster r(1201, 1201, GDT_Int16);
    r.geo = {7 - 0.5 / 1200, 1 / 1200.0, 0, 46 + 0.5 / 1200, 0, -1 / 1200.0};
    r.epsg = 4326;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) r.at(x, y) = 200 + (x + 3 * y) % 700;
    r.at(0, 0) = 4000; // the north-west corner
    r.at(600, 600) = -32768;
    Write(dir.path("N45E007.hgt"), r, "SRTMHGT");

    ElevationImportOptions options;
    options.unit = ElevationUnit::Decimetre;
    const ElevationImportResult result =
        ImportElevation(dir.path("N45E007.hgt"), dir.path("out.tga"), options);
    ASSERT_EQ(ToolStatus::Done, result.status) << result.error;
    EXPECT_EQ(0, result.offsetStored);
    EXPECT_EQ(40000, result.maxStored);
    EXPECT_EQ(1, result.filledCells);
    EXPECT_NEAR(0.1 / result.pixelMetresX, result.zScale, 1e-9);
    const Picture picture(dir.path("out.tga"));
    EXPECT_EQ(40000, picture.elevation(0, 0));
    ExpectCellsMatch(dir.path("N45E007.hgt"), picture, 10.0, 0, -32768.0);
}

TEST(ElevationImport, SouthUpRasterComesOutAsTheNorthUpAsciiGrid) {
    TempDir dir;
    Raster north(7, 5, GDT_Int16), south(7, 5, GDT_Int16);
    north.geo = {500000, 10, 0, 4000050, 0, -10};
    south.geo = {500000, 10, 0, 4000000, 0, 10};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) north.at(x, y) = south.at(x, 4 - y) = 10 * x + y;
    Write(dir.path("north.asc"), north, "AAIGrid");
    Write(dir.path("south.tif"), south);
    ASSERT_EQ(ToolStatus::Done, ImportElevation(dir.path("north.asc"), dir.path("a.tga")).status);
    ASSERT_EQ(ToolStatus::Done, ImportElevation(dir.path("south.tif"), dir.path("b.tga")).status);
    EXPECT_EQ(TempDir::read(dir.path("a.tga")), TempDir::read(dir.path("b.tga")));
    EXPECT_EQ(0 * 10 + 0, Picture(dir.path("a.tga")).elevation(0, 0));
}

TEST(ElevationImport, MaxSizeAveragesCellsAndLeavesNodataOut) {
    TempDir dir;
    Raster r(40, 30, GDT_Int16);
    r.geo = {500000, 10, 0, 4000300, 0, -10};
    r.epsg = 32632;
    r.nodata = -500;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) r.at(x, y) = 100 + 4 * x + 8 * y + (x % 2);
    r.at(5, 7) = -500;
    Write(dir.path("utm.tif"), r);

    ElevationImportOptions options;
    options.maxSize = 20;
    options.unit = ElevationUnit::Centimetre;
    const ElevationImportResult result = ImportElevation(dir.path("utm.tif"), dir.path("out.tga"), options);
    ASSERT_EQ(ToolStatus::Done, result.status) << result.error;
    EXPECT_TRUE(result.reduced);
    EXPECT_EQ(20, result.width);
    EXPECT_EQ(15, result.height);
    EXPECT_DOUBLE_EQ(20.0, result.pixelMetresX);
    EXPECT_DOUBLE_EQ(0.01 / 20, result.zScale);
    const Picture picture(dir.path("out.tga"));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            double sum = 0;
            int count = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    if (r.at(2 * x + dx, 2 * y + dy) != -500) sum += r.at(2 * x + dx, 2 * y + dy), ++count;
            EXPECT_NEAR(100 * sum / count, picture.elevation(x, y), 1.0) << x << "," << y;
        }

    // Without a limit a raster over 16384 pixels on a side is refused, naming the option that helps.
    Raster wide(16385, 1, GDT_Byte);
    Write(dir.path("wide.tif"), wide);
    const ElevationImportResult refused = ImportElevation(dir.path("wide.tif"), dir.path("wide.tga"));
    EXPECT_EQ(ToolStatus::Failed, refused.status);
    EXPECT_NE(std::string::npos, refused.error.find("--max-size")) << refused.error;
    options.maxSize = 4096;
    EXPECT_EQ(ToolStatus::Done, ImportElevation(dir.path("wide.tif"), dir.path("wide.tga"), options).status);
    EXPECT_EQ(4096, Picture(dir.path("wide.tga")).width);
}

TEST(ElevationImport, BadInputsAndTargetsGiveAReasonAndWriteNothing) {
    TempDir dir;
    TempDir::write(dir.path("notes.txt"), "not a raster at all\n");
    WriteTwoGridNetCdf(dir.path("grids.nc"));
    Raster rgb(4, 4, GDT_Byte, 3);
    rgb.colours = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
    Write(dir.path("photo.tif"), rgb);
    Raster bytes(4, 4, GDT_Byte, 3); // three grey bands
    Write(dir.path("bytes.tif"), bytes);
    Raster voids(4, 4);
    voids.nodata = 0; // every cell
    Write(dir.path("voids.tif"), voids);
    Raster good(4, 4);
    Write(dir.path("good.tif"), good);
    std::filesystem::create_directory(dir.path("folder"));
    const std::vector<std::string> before = Listing(dir.path());

    const struct {
        std::string source, target, reason;
    } cases[] = {
        {"notes.txt", "out.tga", "not a raster"},
        {"missing.tif", "out.tga", "does not exist"},
        {"grids.nc", "out.tga", "no raster band but 2 sub-datasets"},
        {"photo.tif", "out.tga", "colour image"},
        {"bytes.tif", "out.tga", "colour image"},
        {"voids.tif", "out.tga", "every cell is nodata"},
        {"good.tif", "no/such/folder/out.tga", "does not exist"},
        {"good.tif", "folder", "it is a folder"},
    };
    for (const auto& c : cases) {
        const ElevationImportResult result = ImportElevation(dir.path(c.source), dir.path(c.target));
        EXPECT_EQ(ToolStatus::Failed, result.status) << c.source;
        EXPECT_NE(std::string::npos, result.error.find(c.reason)) << c.source << ": " << result.error;
    }
    EXPECT_EQ(before, Listing(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("folder")));

    // A stop asked for at the first progress report also leaves nothing behind.
    Stopper stop;
    EXPECT_EQ(ToolStatus::Cancelled,
              ImportElevation(dir.path("good.tif"), dir.path("out.tga"), {}, stop).status);
    EXPECT_EQ(before, Listing(dir.path()));
}

TEST(NodataFill, LargeVoidsSpanTheirBorderWithoutSteps) {
    // A tilted plane with a void in the middle and one along an edge: the fill is the plane again.
    const int w = 120, h = 90;
    std::vector<float> cells(size_t(w) * h);
    auto plane = [](int x, int y) { return 50.0f + 0.5f * x - 0.25f * y; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool middle = x >= 30 && x < 90 && y >= 20 && y < 70;
            cells[size_t(y) * w + x] = middle || y >= 85 ? NAN : plane(x, y);
        }
    EXPECT_EQ(60 * 50 + 5 * w, FillNodata(cells.data(), w, h));
    float worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) worst = std::max(worst, std::abs(cells[size_t(y) * w + x] - plane(x, y)));
    EXPECT_LT(worst, 3.0f); // a 60-cell void across a slope of 30 units
    for (int y = 20; y < 70; ++y)
        for (int x = 30; x <= 90; ++x) // steps no larger than the slope's, give or take
            EXPECT_NEAR(0.5f, cells[size_t(y) * w + x] - cells[size_t(y) * w + x - 1], 0.25f)
                << x << "," << y;
}
