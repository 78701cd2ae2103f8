// Preview, Raw and Final launched from a scene window: the job file, the rendering window, the frames it
// writes (the same bytes as orvantis-cli render of the saved scene), the scene's state around a launch.
#include "RenderWindowTestHarness.h"

#include "scene/ui/RenderLaunch.h"

#include <QScrollBar>
#include <QTest>

#include <set>
#include <sys/wait.h>

using namespace render_test;

namespace {

class RenderLaunch : public Harness {
protected:
    // Runs orvantis-cli with the test's settings file; its exit status.
    int runCli(const std::string& args) {
        const std::string command = std::string("ORVANTIS_INI='") + dir.path("orvantis.ini") + "' '" +
                                    ORVANTIS_CLI + "' " + args + " >'" + dir.path("cli.log") + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The distinct colours of a frame file's pixels.
    static size_t colourCount(const std::string& file) {
        const std::string bytes = TempDir::read(file);
        std::set<std::string> colours;
        for (size_t i = 18; i + 3 <= bytes.size(); i += 3) colours.insert(bytes.substr(i, 3));
        return colours.size();
    }
};

TEST_F(RenderLaunch, FinalOfANewSceneWritesTheFramesTheCommandLineWritesForTheSavedScene) {
    writePicture(dir.path("texture.tga"), 96, 96);
    COrvantisView* form = smallScene();
    ASSERT_NE(form, nullptr);
    // The elevation file is typed into its edit as a user would.
    form->edit(343)->clear();
    QTest::keyClicks(form->edit(343), QString::fromStdString(elevationPath));
    QTest::mouseClick(form->control(390), Qt::LeftButton); // texture "Use It"
    type(form, 383, dir.path("texture.tga"));
    QTest::mouseClick(form->control(352), Qt::LeftButton); // HQ

    // Ctrl+F in the scene window.
    app->mainFrame()->mdiArea()->setActiveSubWindow(form->frame());
    app->mainFrame()->acceleratorAction(QKeySequence(Qt::CTRL | Qt::Key_F))->trigger();

    ASSERT_EQ(outputFiles(), (std::vector<std::string>{"frame000.tga", "frame001.tga", "frame002.tga"}));
    EXPECT_TRUE(shown.empty()) << shown.front().text;
    EXPECT_GT(colourCount(dir.path("out/frame001.tga")), 50u); // the terrain is in the picture

    // The same scene saved to a file and rendered by the command line into another folder.
    std::filesystem::create_directories(dir.path("cli"));
    type(form, 374, dir.path("cli") + "/frame%03d.tga");
    ASSERT_TRUE(form->SaveScript(dir.path("scene.ovs")));
    ASSERT_EQ(runCli("render '" + dir.path("scene.ovs") + "' --quiet"), 0)
        << TempDir::read(dir.path("cli.log"));
    for (const char* name : {"frame000.tga", "frame001.tga", "frame002.tga"}) {
        const std::string gui = TempDir::read(dir.path("out/") + name);
        const std::string cli = TempDir::read(dir.path("cli/") + name);
        ASSERT_EQ(gui.size(), size_t(18 + 80 * 60 * 3)) << name;
        EXPECT_TRUE(gui == cli) << name << " differs from the command line's frame";
    }
    EXPECT_TRUE(jobFiles().empty());
}

TEST_F(RenderLaunch, AFinishedRunLeavesTheLastFrameOnScreenUnderItsNameAndFreesTheScene) {
    COrvantisView* form = smallScene();
    ASSERT_EQ(form->GetDocument()->GetPathName(), ""); // never saved
    CRenderingView* view = launch(form, RenderMode::Final);
    ASSERT_NE(view, nullptr);
    settle();
    ASSERT_EQ(renderDocuments().size(), 1u);
    CDocument* doc = view->GetDocument();

    // The window stays, titled with the last frame's file; every frame entered the recent-file list.
    EXPECT_EQ(doc->GetPathName(), dir.path("out/frame002.tga"));
    EXPECT_EQ(view->frame()->windowTitle(), QStringLiteral("frame002.tga"));
    const auto& mru = app->recentFiles();
    ASSERT_GE(mru.size(), 3u);
    EXPECT_EQ(mru[0], dir.path("out/frame002.tga"));
    EXPECT_EQ(mru[1], dir.path("out/frame001.tga"));
    EXPECT_EQ(mru[2], dir.path("out/frame000.tga"));

    // The picture on screen is the last frame as written.
    SilentPlatform silent;
    CTGAFile written(silent);
    ASSERT_TRUE(written.OpenImage(dir.path("out/frame002.tga")));
    CTGAFile& picture = static_cast<CTGADocument*>(doc)->image();
    ASSERT_EQ(picture.GetWidth(), 80);
    for (int y = 0; y < 60; y += 7)
        for (int x = 0; x < 80; x += 5) ASSERT_EQ(picture.GetPixel(x, y), written.GetPixel(x, y));

    // The run is over: the document is not modified or busy, the timer and the progress pane are off, the
    // scene may close, and closing the picture asks nothing.
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(picture.isBusy());
    EXPECT_FALSE(view->redrawTimer()->isActive());
    EXPECT_EQ(app->mainFrame()->paneText(cmd::PaneProgress), QString());
    EXPECT_EQ(form->renderWindowOpen, 0);
    EXPECT_TRUE(form->CanCloseScene());
    EXPECT_TRUE(view->frame()->close());
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    EXPECT_TRUE(shown.empty());
}

TEST_F(RenderLaunch, PreviewRawAndFinalWriteTheSameJobFile) {
    // A mask of the wrong size stops each run at its set-up, while the job file is still there to be read.
    writePicture(dir.path("mask.tga"), 10, 10);
    COrvantisView* form = smallScene();
    QTest::mouseClick(form->control(389), Qt::LeftButton);
    type(form, 359, dir.path("mask.tga"));
    // The scene's file holds five path points; the form now has two, and a background colour.
    for (int i = 0; i < 5; ++i) form->scene.SetPathPoint(i, 10 * i, 20 * i);
    ASSERT_TRUE(form->SaveScript(dir.path("scene.ovs")));
    form->GetDocument()->SetPathName(dir.path("scene.ovs"));
    form->scene.ClearPathPoints();
    form->scene.SetPathPoint(0, 7, 8);
    form->scene.SetPathPoint(1, 9, 10);
    form->scene.BackgroundColor = 0x123456;

    std::vector<std::string> jobs;
    onMessage = [&](const std::string& text) {
        if (text != LoadString(IDS_MASK_SIZE_DIFFERS)) return;
        const auto files = jobFiles();
        ASSERT_EQ(files.size(), 1u);
        jobs.push_back(TempDir::read(files.front()));
    };
    for (RenderMode mode : {RenderMode::Preview, RenderMode::Raw, RenderMode::Final}) launch(form, mode);
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0], jobs[1]);
    EXPECT_EQ(jobs[1], jobs[2]);

    // The job holds the form's values in the order of the scene's file, and exactly the form's points.
    const std::string& job = jobs[0];
    EXPECT_EQ(job.rfind("[Param]\r\nBeobXA=-10.000000\r\n", 0), 0u) << job;
    EXPECT_NE(job.find("KannBerechnen=1\r\n"), std::string::npos);
    EXPECT_NE(job.find("Hintergrund=123456\r\n"), std::string::npos);
    EXPECT_NE(job.find("Punkt00=7,8\r\nPunkt01=9,10\r\n"), std::string::npos);
    EXPECT_EQ(job.find("Punkt02"), std::string::npos);
    EXPECT_NE(job.find("AusBreite=80\r\n"), std::string::npos);
    EXPECT_TRUE(jobFiles().empty());
}

TEST_F(RenderLaunch, TheScenesModifiedStateIsTheSameAfterALaunch) {
    COrvantisView* form = smallScene(40, 30, 8, 1, 0);
    CDocument* doc = form->GetDocument();
    for (bool modified : {false, true}) {
        doc->SetModifiedFlag(modified);
        form->LaunchRender(2);
        EXPECT_EQ(doc->IsModified(), modified);
    }
    // A launch stopped by the scene check leaves it alone too, and creates nothing.
    type(form, 345, "0");
    doc->SetModifiedFlag(false);
    const size_t windows = renderDocuments().size();
    form->LaunchRender(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Focal length in first frame has to be greater than zero.");
    EXPECT_EQ(renderDocuments().size(), windows);
    EXPECT_TRUE(jobFiles().empty());
}

TEST_F(RenderLaunch, TheRenderDocumentsPictureHasTheOutputSizeAndTheWindowFitsIt) {
    COrvantisView* form = smallScene(97, 41, 10, 1, 0);
    std::optional<QSize> during;
    duringRun([&] {
        CRenderingView* v = renderingView();
        during = static_cast<CTGADocument*>(v->GetDocument())->documentSize();
    });
    // Among maximised windows the rendering window is maximised too, in every mode: restoring it would
    // restore every window of the area.
    CRenderingView* view = launch(form, RenderMode::Preview);
    ASSERT_NE(view, nullptr);
    CTGAFile& picture = view->GetImageDocument()->image();
    EXPECT_EQ(picture.GetWidth(), 97);
    EXPECT_EQ(picture.GetHeight(), 41);
    EXPECT_EQ(view->GetImageDocument()->documentSize(), QSize(97, 41));
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(*during, QSize(97, 41));
    EXPECT_TRUE(view->frame()->isMaximized());

    // Otherwise the window is fitted to the picture.
    view->frame()->showNormal();
    CRenderingView* second = launch(form, RenderMode::Raw);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->frame()->isMaximized());
    EXPECT_EQ(second->viewport()->size(), QSize(97, 41));

    // A picture larger than the main window: the window stays inside the area with its title bar, and the
    // picture scrolls.
    COrvantisView* big = smallScene(2000, 1500, 8, 1, 0);
    big->frame()->showNormal();
    CRenderingView* large = launch(big, RenderMode::Preview);
    ASSERT_NE(large, nullptr);
    ASSERT_FALSE(large->frame()->isMaximized());
    const QRect area = app->mainFrame()->mdiArea()->viewport()->rect();
    const QRect placed = large->frame()->geometry();
    EXPECT_TRUE(area.contains(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                       << placed.height() << " in " << area.width() << "x" << area.height();
    EXPECT_EQ(large->horizontalScrollBar()->maximum(), 2000 - large->viewport()->width());
    EXPECT_EQ(large->verticalScrollBar()->maximum(), 1500 - large->viewport()->height());
}

TEST_F(RenderLaunch, PreviewDrawsTheWireModelOverTheWhitePictureAndWritesNothing) {
    COrvantisView* form = smallScene(120, 90, 160, 2, 1); // 160 divisions: a 16 x 16 wire grid
    CRenderingView* view = launch(form, RenderMode::Preview);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_EQ(view->GetDocument()->GetPathName(), ""); // no frame name in a Preview

    // The picture stays white; the lines are on the screen only.
    const CTGAFile& picture = view->GetImageDocument()->image();
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(picture.GetPixel(x, y), (Bgr{255, 255, 255}));
    size_t crosses = 0, stalks = 0;
    for (const WireSegment& s : view->wireSegments()) (s.kind == WireSegment::Stalk ? stalks : crosses)++;
    EXPECT_GT(crosses, 20u);
    EXPECT_GT(stalks, 10u);

    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    const QImage shot = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int black = 0, blue = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            if (c == qRgb(0, 0, 0)) ++black;
            if (c == qRgb(0, 0, 255)) ++blue;
        }
    EXPECT_GT(black, 20);
    EXPECT_GT(blue, 10);
}

} // namespace

namespace {

TEST_F(RenderLaunch, RelativeNamesOfASavedSceneAreTheScenesNeighbours) {
    std::filesystem::create_directories(dir.path("scenes"));
    std::filesystem::copy_file(elevationPath, dir.path("scenes/hill.tga"));
    COrvantisView* form = smallScene(40, 30, 8, 2, 1);
    type(form, 343, "hill.tga");
    type(form, 374, "rel%03d.tga");
    ASSERT_TRUE(form->SaveScript(dir.path("scenes/scene.ovs")));
    form->GetDocument()->SetPathName(dir.path("scenes/scene.ovs"));
    ASSERT_NE(launch(form, RenderMode::Raw), nullptr);
    EXPECT_TRUE(shown.empty()) << shown.front().text;
    EXPECT_TRUE(std::filesystem::exists(dir.path("scenes/rel000.tga")));
    EXPECT_TRUE(std::filesystem::exists(dir.path("scenes/rel001.tga")));
    // The form keeps the names as the user wrote them.
    EXPECT_EQ(form->scene.ElevationFileName, "hill.tga");
}

} // namespace
