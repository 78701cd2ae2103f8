// import-elevation and import-texture as a user runs them: a GeoTIFF in, a scene out that passes the check
// and renders terrain; a file that is not a raster refused with nothing written.
#ifdef ORVANTIS_HAVE_GDAL

#include "scene/SceneParams.h"

#include "RenderCliSupport.h"
#include "geodata/GeoTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

using geotest::Listing;
using geotest::Picture;
using geotest::Raster;

TEST(CliImport, GeoTiffBecomesASceneThatPassesTheCheckAndShowsTerrain) {
    TempDir dir, tmp;
    // Two hills on a plain partly below sea level, in a geographic system (pixels wider than tall at 46 N).
    Raster r(64, 48);
    r.geo = {7.0, 1 / 1200.0, 0, 46.1, 0, -1 / 1200.0};
    r.epsg = 4326;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            r.at(x, y) = -5 + 600 * std::exp(-((x - 40) * (x - 40) + (y - 20) * (y - 20)) / 120.0) +
                         300 * std::exp(-((x - 15) * (x - 15) + (y - 32) * (y - 32)) / 60.0);
    geotest::Write(dir.path("dem.tif"), r);

    CliRun import = runRender(
        {"import-elevation", dir.path("dem.tif"), dir.path("elev.tga"), "--scene", dir.path("fly.ovs")}, tmp);
    ASSERT_EQ(import.status, 0) << import.err;
    for (const char* fact :
         {"Pixels: 64 x 48\n", "Offset: 5 m", "ElevScaleX: 1\n", "ElevScaleY: ", "z scale"})
        EXPECT_NE(import.out.find(fact), std::string::npos) << fact << " in\n" << import.out;

    // The scene names its files relative to its folder, so the folder can move as a whole.
    CSceneParams scene;
    ASSERT_TRUE(scene.LoadScript(dir.path("fly.ovs")));
    EXPECT_EQ(scene.ElevationFileName, "elev.tga");
    EXPECT_EQ(scene.OutputFileName, "fly%03d.tga");
    EXPECT_EQ(scene.GridX, 64);
    EXPECT_EQ(scene.Total, 100);

    CliRun check = runRender({"check", dir.path("fly.ovs")}, tmp);
    EXPECT_EQ(check.status, 0) << check.err;
    CliRun render = runRender({"render", dir.path("fly.ovs"), "--from", "0", "--to", "0", "--quiet"}, tmp);
    ASSERT_EQ(render.status, 0) << render.err;

    // The first frame shows both sky and terrain, and the terrain is shaded, not one flat colour.
    const Picture frame(dir.path("fly000.tga"));
    ASSERT_EQ(frame.pixels.size(), size_t(640 * 360));
    size_t sky = 0;
    std::set<int> colours;
    for (const Bgr& p : frame.pixels) {
        if (p.b == 0xE6 && p.g == 0xBE && p.r == 0x96)
            ++sky;
        else
            colours.insert(p.b << 16 | p.g << 8 | p.r);
    }
    EXPECT_GT(sky, frame.pixels.size() / 20);
    EXPECT_LT(sky, frame.pixels.size() * 3 / 4);
    EXPECT_GT(colours.size(), 10u);
}

TEST(CliImport, AFileThatIsNotARasterIsRefusedAndNothingIsWritten) {
    TempDir dir, tmp;
    TempDir::write(dir.path("notes.txt"), "These are not elevations.\n");
    CliRun elevation = runRender(
        {"import-elevation", dir.path("notes.txt"), dir.path("elev.tga"), "--scene", dir.path("fly.ovs")},
        tmp);
    EXPECT_EQ(elevation.status, 1);
    EXPECT_NE(elevation.err.find("notes.txt' is not a raster"), std::string::npos) << elevation.err;
    EXPECT_EQ(elevation.out, "");
    CliRun texture = runRender({"import-texture", dir.path("notes.txt"), dir.path("tex.tga")}, tmp);
    EXPECT_EQ(texture.status, 1);
    EXPECT_NE(texture.err.find("notes.txt' is not a raster"), std::string::npos) << texture.err;
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"notes.txt"});
}

TEST(CliImport, WithoutItsModuleTheImportSaysWhyAndTheOtherCommandsWork) {
    // orvantis-cli copied away from the modules it loads on demand, as a broken install leaves it.
    TempDir dir, tmp;
    const std::string cli = dir.path("orvantis-cli");
    std::filesystem::copy_file(ORVANTIS_CLI, cli);
    TempDir::write(dir.path("dem.asc"), "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n3 4\n");
    const CliRun imported =
        runRender({"import-elevation", dir.path("dem.asc"), dir.path("dem.tga")}, tmp, {}, cli.c_str());
    EXPECT_EQ(imported.status, 1);
    EXPECT_NE(
        imported.err.find("import-elevation: the raster import cannot be loaded: orvantis-geodata.so is "
                          "not installed beside orvantis-cli"),
        std::string::npos)
        << imported.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("dem.tga")));
    const CliRun version = runRender({"--version"}, tmp, {}, cli.c_str());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.find("Video output"), std::string::npos) << version.out;
}

#endif
