// The rendering window after its run: the Preview's player (frames paced by an injected clock, the timeline,
// shaded frames equal to the Final frames), the flight profile tab, and the zoom of image windows.
#include "RenderWindowTestHarness.h"

#include "image/ui/TGADocument.h"
#include "render/ui/PlaybackPanel.h"
#include "render/ui/ProfileView.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QXmlStreamReader>

using namespace render_test;
using namespace std::chrono_literals;

namespace {

class Player : public Harness {
protected:
    // Runs a small scene of `total` frames in mode; the bar of its window (nullptr when there is none).
    PlaybackPanel* runSmallScene(RenderMode mode, int total) {
        form = smallScene(80, 60, 24, total, total - 1);
        view = launch(form, mode);
        return view ? view->playbackPanel() : nullptr;
    }
    static std::string pixels(const CTGAFile& p) {
        return std::string(reinterpret_cast<const char*>(p.pixelAt(0, 0)),
                           static_cast<size_t>(p.GetWidth()) * p.GetHeight() * 3);
    }

    COrvantisView* form = nullptr;
    CRenderingView* view = nullptr;
};

} // namespace

TEST_F(Player, PreviewPlaysAtTheClocksPaceAndTheTimelineShowsTheFinalFramesWritingNothing) {
    PlaybackPanel* panel = runSmallScene(RenderMode::Preview, 6);
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->hasPlayer());
    // The player starts on the run's last frame, drawn as the run drew it.
    EXPECT_EQ(panel->timeline()->maximum(), 5);
    EXPECT_EQ(panel->timeline()->value(), 5);
    EXPECT_EQ(view->wireSegments(), panel->flight()->WireFrame(5));

    auto now = std::chrono::steady_clock::time_point{} + 1h;
    panel->setClock([&] { return now; });
    QTest::mouseClick(panel->playButton(), Qt::LeftButton);
    EXPECT_TRUE(panel->pacer().playing());
    EXPECT_TRUE(panel->playTimer()->isActive());
    EXPECT_EQ(panel->shownPosition(), 0); // played from the start again
    now += 39ms;
    panel->tick();
    EXPECT_EQ(panel->shownPosition(), 0);
    now += 41ms;
    panel->tick();
    EXPECT_EQ(panel->shownPosition(), 2);
    EXPECT_EQ(panel->timeline()->value(), 2);
    EXPECT_EQ(view->wireSegments(), panel->flight()->WireFrame(2));
    now += 1h;
    panel->tick();
    EXPECT_EQ(panel->shownPosition(), 5);
    EXPECT_FALSE(panel->playTimer()->isActive());
    EXPECT_EQ(panel->playButton()->text(), "Play");

    // Shaded and scrubbed to frame 3: the picture a Final run writes for that frame (the scene is smaller
    // than the shaded size, so it is played at full size).
    QTest::mouseClick(panel->shadedBox(), Qt::LeftButton);
    ASSERT_TRUE(panel->shaded());
    panel->timeline()->setValue(3);
    EXPECT_EQ(panel->shownPosition(), 3);
    EXPECT_EQ(panel->frameLabel()->text(), "Frame 3 (4 of 6)");
    EXPECT_FALSE(view->playerPicture().isNull());
    const std::string shaded = pixels(panel->shadedPicture());
    EXPECT_TRUE(outputFiles().empty()); // the player wrote nothing

    ASSERT_NE(launch(form, RenderMode::Final), nullptr);
    ASSERT_EQ(outputFiles().size(), 6u);
    EXPECT_EQ(TempDir::read(dir.path("out/frame003.tga")).substr(18), shaded);
}

TEST_F(Player, AFlightOfSeveralFramesHasItsProfileAsASecondTabAndAsValidSvg) {
    PlaybackPanel* panel = runSmallScene(RenderMode::Raw, 4);
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->hasPlayer()); // only a Preview plays
    ASSERT_NE(panel->tabs(), nullptr);
    ProfileView* profile = panel->profileView();
    ASSERT_NE(profile, nullptr);
    EXPECT_FALSE(profile->isVisible());
    view->frame()->show();
    panel->tabs()->setCurrentIndex(1);
    EXPECT_TRUE(profile->isVisible());
    ASSERT_EQ(profile->samples().size(), 4u);
    EXPECT_EQ(profile->samples().back().frame, 3);

    QXmlStreamReader xml(QByteArray::fromStdString(ProfileSvg(LayoutProfile(profile->samples(), 640, 400))));
    QStringList series;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("polyline") &&
            xml.attributes().hasAttribute("id"))
            series << xml.attributes().value("id").toString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(series, QStringList({"altitude", "ground", "relative", "pitch", "roll"}));
}

TEST_F(Player, ImageWindowsZoomInStepsToActualSizeAndToFitAWholeUltraHdFrame) {
    writePicture(dir.path("big.tga"), 3840, 2160);
    auto* doc = dynamic_cast<CTGADocument*>(app->OpenDocumentFile(dir.path("big.tga")));
    ASSERT_NE(doc, nullptr);
    CTGAView* view = doc->firstImageView();
    view->frame()->resize(800, 500);
    view->frame()->show();
    QApplication::processEvents();

    app->mainFrame()->dispatchCommand(cmd::ZoomToFit);
    EXPECT_LT(view->zoomFactor(), 0.25);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0); // the whole frame is seen
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    QApplication::processEvents();
    const QSize shown = view->zoomedPictureSize(), room = view->viewport()->size();
    EXPECT_TRUE(shown.width() == room.width() || shown.height() == room.height())
        << shown.width() << "x" << shown.height() << " in " << room.width() << "x" << room.height();

    app->mainFrame()->dispatchCommand(cmd::ZoomActualSize);
    EXPECT_EQ(view->zoomFactor(), 1.0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 3840 - view->viewport()->width());
    app->mainFrame()->dispatchCommand(cmd::ZoomIn);
    EXPECT_EQ(view->zoomFactor(), 1.5);
    app->mainFrame()->dispatchCommand(cmd::ZoomOut);
    app->mainFrame()->dispatchCommand(cmd::ZoomOut);
    EXPECT_DOUBLE_EQ(view->zoomFactor(), 2.0 / 3.0);

    // Ctrl+wheel zooms about the pointer; the wheel alone scrolls.
    const QPointF at(100, 100);
    QWheelEvent up(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &up);
    EXPECT_EQ(view->zoomFactor(), 1.0);
    QWheelEvent plain(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &plain);
    EXPECT_EQ(view->zoomFactor(), 1.0);
    EXPECT_GT(view->verticalScrollBar()->value(), 0);
}
