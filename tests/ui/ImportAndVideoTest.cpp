// The desktop route from a downloaded elevation raster to a video: File > Import Elevation (a GeoTIFF made
// here with GDAL) and Render to Video from the scene window (decoded with FFmpeg's own libraries).

#include "AppHarness.h"
#include "RenderWindowTestHarness.h"

#include "app/ui/Commands.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#ifdef ORVANTIS_HAVE_GDAL
#include "geodata/GeoTestSupport.h"
#include "tools/ui/ImportElevationDialog.h"

namespace {

template <class T> T* child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

void setText(QWidget* dialog, const char* name, const std::string& text) {
    child<QLineEdit>(dialog, name)->setText(QString::fromStdString(text));
}

} // namespace

TEST(ImportElevationDialog, ACancelLeavesNothingAndAnImportWritesASceneThatOpens) {
    apptest::AppHarness h;
    h.start();
    const std::string work = h.dir.path("work");
    std::filesystem::create_directories(work);
    // A projected DEM with a nodata hole and a point below sea level, and an orthophoto on the same ground.
    geotest::Raster dem(40, 30);
    dem.epsg = 32633;
    dem.geo = {500000, 30, 0, 5000000, 0, -30};
    dem.nodata = -9999;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) dem.at(x, y) = 100 + 3 * x + 2 * y;
    dem.at(5, 5) = -9999;
    dem.at(0, 29) = -12;
    geotest::Write(work + "/dem.tif", dem);
    geotest::Raster photo(40, 30, GDT_Byte, 3);
    photo.epsg = dem.epsg;
    photo.geo = dem.geo;
    photo.colours = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
    for (double& v : photo.values) v = 90;
    geotest::Write(work + "/photo.tif", photo);

    std::vector<std::string> afterCancel;
    QString cancelledText, facts;
    h.driver = [&](QDialog& d) {
        auto* dialog = dynamic_cast<CImportElevationDialog*>(&d);
        if (!dialog) return int(QDialog::Rejected);
        dialog->setPumpInterval(0);
        setText(dialog, "sourceEdit", work + "/dem.tif");
        setText(dialog, "targetEdit", work + "/dem.tga");
        setText(dialog, "textureEdit", work + "/photo.tif");
        child<QCheckBox>(dialog, "sceneCheck")->click();
        EXPECT_EQ(child<QLineEdit>(dialog, "sceneEdit")->text().toStdString(), work + "/dem.ovs");

        // Cancel once the elevation file is written and the texture is on its way: everything goes.
        auto* cancel = child<QPushButton>(dialog, "cancelButton");
        auto stopAt = QObject::connect(child<QProgressBar>(dialog, "progressBar"),
                                       &QProgressBar::valueChanged, dialog, [cancel](int value) {
                                           if (value >= 60) cancel->click();
                                       });
        child<QPushButton>(dialog, "importButton")->click();
        QObject::disconnect(stopAt);
        afterCancel = geotest::Listing(work);
        cancelledText = child<QPlainTextEdit>(dialog, "factsText")->toPlainText();

        child<QPushButton>(dialog, "importButton")->click();
        facts = child<QPlainTextEdit>(dialog, "factsText")->toPlainText();
        child<QPushButton>(dialog, "openSceneButton")->click();
        return dialog->result();
    };
    h.frame()->dispatchCommand(cmd::ImportElevation);

    EXPECT_EQ(afterCancel, (std::vector<std::string>{"dem.tif", "photo.tif"}));
    EXPECT_TRUE(cancelledText.startsWith("Cancelled")) << cancelledText.toStdString();
    // The facts the command line prints.
    for (const char* line : {"Pixels: 40 x 30\n", "Pixel size: 30 x 30 m\n", "Offset: 12 m (12 m)",
                             "Nodata cells filled from their neighbours: 1\n", "ElevScaleY: 1\n"})
        EXPECT_TRUE(facts.contains(QLatin1String(line))) << line << " not in\n" << facts.toStdString();
    EXPECT_TRUE(h.texts().empty()) << h.texts().front();

    // The scene passes the check from its own folder, with the matched texture; it is open in a window.
    CSceneParams scene;
    ASSERT_TRUE(scene.LoadScript(work + "/dem.ovs"));
    EXPECT_EQ(scene.UseTextureFile, 1);
    EXPECT_EQ(scene.TextureFileName, "dem-texture.tga");
    ResolveSceneRelativePaths(scene, work);
    const SceneCheck check = scene.ValidateScene();
    EXPECT_TRUE(check.ok) << check.message;
    EXPECT_EQ(geotest::Picture(work + "/dem-texture.tga").width, 40);
    ASSERT_NE(h.activeDocument(), nullptr);
    EXPECT_EQ(h.activeDocument()->GetPathName(), work + "/dem.ovs");
}

#endif

#ifdef ORVANTIS_HAVE_VIDEO
#include "video/VideoCheck.h"

namespace {
class RenderToVideo : public render_test::Harness {};
} // namespace

TEST_F(RenderToVideo, TheSceneWindowEncodesItsFramesAtItsOwnRateAndAStopLeavesNoBrokenFile) {
    COrvantisView* form = smallScene(80, 60, 24, 3, 2);
    type(form, 393, "10"); // the scene's frame rate
    const std::string video = dir.path("fly.mp4");
    app->setDialogRunner([&](QDialog& d) {
        auto* chooser = qobject_cast<QFileDialog*>(&d);
        if (!chooser) return int(QDialog::Rejected);
        chooser->selectFile(QString::fromStdString(video));
        return int(QDialog::Accepted);
    });
    app->mainFrame()->mdiArea()->setActiveSubWindow(form->frame());

    // Stopped before its first frame is done: no video at all, and nothing half-written beside it.
    duringRun([this] { renderingView()->SetStopFlag(); });
    app->mainFrame()->dispatchCommand(cmd::RenderVideo);
    settle();
    EXPECT_TRUE(ranDuringRun);
    EXPECT_FALSE(std::filesystem::exists(video));

    app->mainFrame()->dispatchCommand(cmd::RenderVideo);
    settle();
    const videotest::DecodedVideo v = videotest::decodeVideo(video);
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.frames.size(), 3u);
    EXPECT_EQ(v.frameRate.num, 10);
    EXPECT_EQ(v.width, 80);
    // Only the video: no frame files (nor their names in the recent files), no job left, the scene free.
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_TRUE(app->recentFiles().empty());
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_EQ(form->renderWindowOpen, 0);
    EXPECT_TRUE(shown.empty()) << shown.front().text;
}

#endif
