#include "GeoTestSupport.h"
#include "geodata/RasterImport.h"

using namespace geodata;
using namespace geotest;

TEST(TextureImport, PlainPicturesKeepTheirPixelsWithTheTopRowOnTop) {
    TempDir dir;
    Raster rgb(5, 4, GDT_Byte, 3);
    rgb.georeferenced = false;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) rgb.at(x, y, 0) = rgb.at(x, y, 1) = rgb.at(x, y, 2) = 20 * (x + y);
    rgb.at(1, 0, 0) = 255, rgb.at(1, 0, 1) = 0, rgb.at(1, 0, 2) = 0;
    Write(dir.path("photo.png"), rgb, "PNG");
    Raster grey(3, 2, GDT_Byte);
    grey.georeferenced = false;
    grey.at(2, 1) = 77;
    Write(dir.path("grey.png"), grey, "PNG");

    const TextureImportResult result = ImportTexture(dir.path("photo.png"), dir.path("photo.tga"));
    ASSERT_EQ(ToolStatus::Done, result.status) << result.error;
    const Picture photo(dir.path("photo.tga"));
    ASSERT_EQ(5, photo.width);
    EXPECT_EQ((Bgr{0, 0, 255}), photo.at(1, 0));
    EXPECT_EQ((Bgr{140, 140, 140}), photo.at(4, 3));
    ASSERT_EQ(ToolStatus::Done, ImportTexture(dir.path("grey.png"), dir.path("grey.tga")).status);
    EXPECT_EQ((Bgr{77, 77, 77}), Picture(dir.path("grey.tga")).at(2, 1));
}

TEST(TextureImport, MatchedTextureIsReprojectedOntoTheElevationPixels) {
    // A UTM elevation (40 x 30 cells of 10 m, reduced to 20 x 15) with a raised block under pixel (13, 4),
    // and an orthophoto in longitude and latitude at about 2 m, red exactly over that block.
    TempDir dir;
    Raster dem(40, 30, GDT_Int16);
    dem.geo = {500000, 10, 0, 5000300, 0, -10};
    dem.epsg = 32632;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) dem.at(26 + dx, 8 + dy) = 1000;
    Write(dir.path("dem.tif"), dem);
    const double x0 = 500000 + 13 * 20, x1 = x0 + 20, y1 = 5000300 - 4 * 20, y0 = y1 - 20;

    OGRSpatialReferenceH geographic = OSRNewSpatialReference(nullptr), utm = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(geographic, 4326);
    OSRImportFromEPSG(utm, 32632);
    OSRSetAxisMappingStrategy(geographic, OAMS_TRADITIONAL_GIS_ORDER);
    OSRSetAxisMappingStrategy(utm, OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH toUtm = OCTNewCoordinateTransformation(geographic, utm);
    // The photo starts 60 m west and north of the elevation's corner, so it covers all of it.
    double lon = 500000 - 60, lat = 5000300 + 60, z = 0;
    OGRCoordinateTransformationH toGeo = OCTNewCoordinateTransformation(utm, geographic);
    OCTTransform(toGeo, 1, &lon, &lat, &z);
    OCTDestroyCoordinateTransformation(toGeo);
    const double step = 0.000025;
    Raster photo(400, 300, GDT_Byte, 3);
    photo.epsg = 4326;
    photo.geo = {lon, step, 0, lat, 0, -step};
    int red = 0;
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            double px = lon + (x + 0.5) * step, py = lat - (y + 0.5) * step, z = 0;
            OCTTransform(toUtm, 1, &px, &py, &z);
            const bool inside = px >= x0 && px < x1 && py >= y0 && py < y1;
            red += inside;
            photo.at(x, y, 0) = inside ? 255 : 40;
            photo.at(x, y, 1) = inside ? 0 : 90;
            photo.at(x, y, 2) = inside ? 0 : 40;
        }
    OCTDestroyCoordinateTransformation(toUtm);
    OSRDestroySpatialReference(geographic);
    OSRDestroySpatialReference(utm);
    ASSERT_GT(red, 20);
    Write(dir.path("photo.tif"), photo);

    ElevationImportOptions elevationOptions;
    elevationOptions.maxSize = 20;
    ASSERT_EQ(ToolStatus::Done,
              ImportElevation(dir.path("dem.tif"), dir.path("dem.tga"), elevationOptions).status);
    TextureImportOptions options;
    options.matchElevationSource = dir.path("dem.tif");
    options.maxSize = 20;
    const TextureImportResult result = ImportTexture(dir.path("photo.tif"), dir.path("photo.tga"), options);
    ASSERT_EQ(ToolStatus::Done, result.status) << result.error;
    EXPECT_TRUE(result.warped);

    const Picture elevation(dir.path("dem.tga")), texture(dir.path("photo.tga"));
    ASSERT_EQ(20, texture.width);
    ASSERT_EQ(15, texture.height);
    EXPECT_EQ(1000, elevation.elevation(13, 4));
    EXPECT_GT(texture.at(13, 4).r, 200);
    EXPECT_LT(texture.at(13, 4).g, 40);
    for (auto [x, y] : {std::pair{12, 4}, {14, 4}, {13, 3}, {13, 5}}) {
        EXPECT_EQ(0, elevation.elevation(x, y));
        EXPECT_LT(texture.at(x, y).r, 80) << x << "," << y;
        EXPECT_GT(texture.at(x, y).g, 70) << x << "," << y;
    }
}
