// The bundled demo rendered from its scene window: while the Final frame is being drawn the menus open,
// another image window scrolls and shows the right rows, and Stop rendering ends the run within the row of
// cells it was in. With ORVANTIS_SCREENSHOT set, the main window is saved there halfway through the frame.
#include "RenderWindowTestHarness.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include <sys/wait.h>

using namespace render_test;

namespace {

class RenderDemo : public Harness {
protected:
    void SetUp() override {
        Harness::SetUp();
        // The demo's inputs, made as scripts/run-demo makes them, beside a copy of the scene.
        const std::string demo = dir.path("demo");
        std::filesystem::create_directories(demo + "/generated");
        std::filesystem::copy_file(std::string(ORVANTIS_SOURCE_DIR) + "/examples/demo-curved.ovs",
                                   demo + "/demo-curved.ovs");
        const std::string cli = std::string("'") + ORVANTIS_CLI + "' ";
        const std::string g = "'" + demo + "/generated/";
        const std::string commands =
            cli + "dem-import '" + ORVANTIS_SOURCE_DIR + "/examples/jacksboro.dem' " + g +
            "jacksboro-elev.tga' && " + "python3 '" + ORVANTIS_SOURCE_DIR + "/examples/make-palette.py' " +
            g + "palette.tga' && " + cli + "elev-to-color " + g + "jacksboro-elev.tga' " + g +
            "jacksboro-texture.tga' --palette " + g + "palette.tga'";
        const int status = std::system(("(" + commands + ") >/dev/null 2>&1").c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << commands;
    }

    int percentShown() const {
        const QString text = app->mainFrame()->paneText(cmd::PaneProgress);
        return text.endsWith('%') ? text.chopped(1).toInt() : -1;
    }
    QAction* menuAction(int command) const {
        for (QMenu* m : app->mainFrame()->menus())
            for (QAction* a : m->actions())
                if (a->property("commandId").toInt() == command) return a;
        return nullptr;
    }
};

TEST_F(RenderDemo, TheProgramStaysUsableDuringAFinalRenderAndStopEndsIt) {
    auto* sceneDoc = dynamic_cast<COrvantisDoc*>(app->OpenDocumentFile(dir.path("demo/demo-curved.ovs")));
    ASSERT_NE(sceneDoc, nullptr);
    COrvantisView* form = sceneDoc->form();
    app->mainFrame()->resize(1000, 520);
    const std::string texturePath = dir.path("demo/generated/jacksboro-texture.tga");
    SilentPlatform silent;
    CTGAFile texture(silent);
    ASSERT_TRUE(texture.OpenImage(texturePath));

    struct Seen {
        int menuId = 0;
        int menusOpened = 0, menus = 0;
        bool stopEnabled = false;
        bool imageScrolled = false, imageRowsRight = false;
        int percentAtStop = -1;
        long long cellsAtStop = -1;
    } seen;
    int stage = 0;
    CRenderingView* view = nullptr;
    // Due at every pass of the event loop: the steps below happen at known points of the run, not after
    // some time.
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        view = renderingView();
        if (!view || !view->isRunning()) return;
        if (stage == 0) {
            stage = 1;
            // From now on the run lets events through at every cell, so the stop below comes at 10 % however
            // fast the frame is drawn.
            view->setPumpInterval(std::chrono::milliseconds(0));
            // The menu bar of the rendering window: every popup opens, Stop rendering is offered.
            seen.menuId = app->mainFrame()->currentMenuId();
            for (QMenu* m : app->mainFrame()->menus()) {
                ++seen.menus;
                m->popup(app->mainFrame()->mapToGlobal(QPoint(20, 20)));
                QApplication::processEvents();
                if (m->isVisible()) ++seen.menusOpened;
                m->hide();
            }
            QAction* stop = menuAction(cmd::StopRendering);
            seen.stopEnabled = stop && stop->isEnabled();

            // Another image: its window opens, scrolls and shows the rows scrolled to.
            auto* image = dynamic_cast<CTGADocument*>(app->OpenDocumentFile(texturePath));
            if (image) {
                CTGAView* imageView = image->firstImageView();
                imageView->frame()->showNormal();
                imageView->frame()->resize(240, 200);
                QApplication::processEvents();
                imageView->verticalScrollBar()->setValue(150);
                imageView->horizontalScrollBar()->setValue(40);
                QApplication::processEvents();
                seen.imageScrolled = imageView->verticalScrollBar()->value() == 150;
                const QImage shot =
                    imageView->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
                seen.imageRowsRight = !shot.isNull();
                for (int y = 0; y < 60 && y < shot.height(); y += 9)
                    for (int x = 0; x < 60 && x < shot.width(); x += 9) {
                        const Bgr p = texture.GetPixel(40 + x, texture.GetHeight() - 1 - (150 + y));
                        if (shot.pixel(x, y) != qRgb(p.r, p.g, p.b)) seen.imageRowsRight = false;
                    }
            }
            // Side by side: the picture being rendered, and the texture to the right of it.
            if (image) image->firstImageView()->frame()->move(view->fittedFrameSize().width() + 20, 10);
            app->mainFrame()->mdiArea()->setActiveSubWindow(view->frame());
            view->frame()->showNormal();
            view->frame()->move(0, 0);
        } else if (stage == 1 && percentShown() >= 10) {
            // About half of the first frame (the cells out of sight count towards the percentage too).
            stage = 2;
            if (const char* shot = std::getenv("ORVANTIS_SCREENSHOT")) app->mainFrame()->grab().save(shot);
            seen.percentAtStop = percentShown();
            seen.cellsAtStop = view->cellCount();
            answers.push_back(MsgAnswer::Yes);
            if (QAction* stop = menuAction(cmd::StopRendering)) stop->trigger();
        }
    });
    ticker.start();
    app->mainFrame()->mdiArea()->setActiveSubWindow(form->frame());
    app->mainFrame()->acceleratorAction(QKeySequence(Qt::CTRL | Qt::Key_F))->trigger();
    ticker.stop();

    ASSERT_NE(view, nullptr);
    EXPECT_EQ(seen.menuId, 104);
    EXPECT_GE(seen.menus, 5);
    EXPECT_EQ(seen.menusOpened, seen.menus);
    EXPECT_TRUE(seen.stopEnabled);
    EXPECT_TRUE(seen.imageScrolled);
    EXPECT_TRUE(seen.imageRowsRight);
    ASSERT_EQ(stage, 2) << "the run ended before it was stopped";

    // Stopped: the question was asked once; the frame was not written; the window goes.
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Do you really want to cancel the rendering process?");
    EXPECT_FALSE(std::filesystem::exists(dir.path("demo/curved000.tga")));
    EXPECT_TRUE(jobFiles().empty());
    // The renderer looks at the stop flag at the start of each row of cells: after the stop it finishes the
    // row it is in and the strips of cells through the eye (which do not look), never the rest of the frame
    // (408 x 408 cells).
    const long long cellsAfterStop = view->cellCount() - seen.cellsAtStop;
    RecordProperty("cellsAfterStop", std::to_string(cellsAfterStop));
    EXPECT_LE(cellsAfterStop, 4 * 409) << "at " << seen.percentAtStop << "%";
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    EXPECT_EQ(form->renderWindowOpen, 0);
}

} // namespace
