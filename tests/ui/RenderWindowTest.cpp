// The rendering window while a run is in progress and when it ends: Stop rendering, the redraw timer, the
// progress pane, the close checks of the window and of the scene, a mask of the wrong size, an empty range.
#include "EventWait.h"
#include "RenderWindowTestHarness.h"

#include "app/ui/Document.h"
#include "path/ui/PathEditorLaunch.h"
#include "path/ui/PathView.h"
#include "scene/ui/RenderLaunch.h"

#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>

using namespace render_test;

namespace {

class RenderWindow : public Harness {
protected:
    // A scene whose Final frame takes long enough for the run to let events through several times.
    COrvantisView* slowScene(int total = 3) { return smallScene(320, 240, 160, total, total - 1); }
    const std::string stopQuestion = "Do you really want to cancel the rendering process?";
};

TEST_F(RenderWindow, StopDuringARawFrameLeavesItUnwrittenAndClosesTheWindow) {
    COrvantisView* form = slowScene();
    bool askedNo = false;
    duringRun([&] {
        // Stop rendering answered No first: the run goes on.
        app->mainFrame()->dispatchCommand(cmd::StopRendering);
        askedNo = !renderingView()->stopRequested();
        // Then Yes, through the menu item of the rendering window's Calculate menu.
        answers.push_back(MsgAnswer::Yes);
        app->mainFrame()->dispatchCommand(cmd::StopRendering);
    });
    CRenderingView* view = launch(form, RenderMode::Raw);
    ASSERT_TRUE(ranDuringRun);
    EXPECT_TRUE(askedNo);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, stopQuestion);
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(shown[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(outputFiles().empty()); // the frame in progress is not written, no later frame is made
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_EQ(form->renderWindowOpen, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->isRunning());
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    // The scene is free again: it may close.
    EXPECT_TRUE(form->CanCloseScene());
}

TEST_F(RenderWindow, TheCloseButtonAsksToStopAndTheLaunchingSceneIsActiveAfterwards) {
    smallScene(); // opened first: the window area would turn to it when the rendering window goes
    COrvantisView* form = slowScene();
    bool closedAtNo = true, stoppedAtNo = true;
    duringRun([&] {
        ChildFrame* f = renderingView()->frame();
        closedAtNo = f->close();
        stoppedAtNo = renderingView()->stopRequested();
        answers.push_back(MsgAnswer::Yes);
        f->close();
    });
    launch(form, RenderMode::Raw);
    ASSERT_TRUE(ranDuringRun);
    EXPECT_FALSE(closedAtNo);
    EXPECT_FALSE(stoppedAtNo);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(wasShown(stopQuestion));
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_EQ(app->mainFrame()->activeView(), form);

    // A finished render has nothing to stop: the command is off and asks nothing.
    shown.clear();
    CRenderingView* done = launch(smallScene(40, 30, 8, 1, 0), RenderMode::Raw);
    ASSERT_NE(done, nullptr);
    ASSERT_FALSE(done->isRunning());
    app->mainFrame()->mdiArea()->setActiveSubWindow(done->frame());
    EXPECT_FALSE(app->mainFrame()->isCommandEnabled(cmd::StopRendering));
    done->RequestStop();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(done->frame()->close());
}

TEST_F(RenderWindow, WhileARunHoldsItTheWindowDoesNotCloseAndItsDocumentAsksToCancel) {
    settings->writeInt("Settings", "RedrawInterval", 250);
    COrvantisView* form = slowScene();
    struct Seen {
        bool timerActive = false;
        int interval = 0;
        QString pane;
        bool paneEnabled = false;
        bool modified = false;
        bool busy = false;
        bool frameClosed = true;
        bool documentGone = true;
        bool appClosed = true;
        bool closesAfterNo = true, stoppedAfterNo = true;
        bool closesAfterYes = true;
    } seen;
    duringRun([&] {
        CRenderingView* v = renderingView();
        CDocument* doc = v->GetDocument();
        seen.timerActive = v->redrawTimer()->isActive();
        seen.interval = v->redrawTimer()->interval();
        seen.pane = app->mainFrame()->paneText(cmd::PaneProgress);
        seen.paneEnabled = app->mainFrame()->statusBar()->findChild<QLabel*>("Pane353")->isEnabled();
        seen.modified = doc->IsModified();
        seen.busy = v->GetImageDocument()->image().isBusy();
        // The window's close box and File Close ask whether to stop the run; No keeps it going.
        seen.frameClosed = v->frame()->close();
        app->mainFrame()->mdiArea()->setActiveSubWindow(v->frame());
        app->mainFrame()->dispatchCommand(cmd::FileClose);
        QApplication::processEvents();
        seen.documentGone = renderDocuments().empty();
        // Leaving the application: the scene refuses first (its render is running).
        seen.appClosed = app->mainFrame()->close();
        // The picture's own save check asks whether to cancel: No goes on, Yes stops; it never closes now.
        answers.push_back(MsgAnswer::No);
        seen.closesAfterNo = doc->SaveModified();
        seen.stoppedAfterNo = v->stopRequested();
        answers.push_back(MsgAnswer::Yes);
        seen.closesAfterYes = doc->SaveModified();
    });
    CRenderingView* view = launch(form, RenderMode::Final);
    ASSERT_TRUE(ranDuringRun);
    EXPECT_TRUE(seen.timerActive);
    EXPECT_EQ(seen.interval, 250);
    EXPECT_TRUE(QRegularExpression("^[0-9]{1,3}%$").match(seen.pane).hasMatch()) << seen.pane.toStdString();
    EXPECT_TRUE(seen.paneEnabled);
    EXPECT_TRUE(seen.modified);
    EXPECT_TRUE(seen.busy);
    EXPECT_FALSE(seen.frameClosed);
    EXPECT_FALSE(seen.documentGone);
    EXPECT_FALSE(seen.appClosed);
    EXPECT_FALSE(seen.closesAfterNo);
    EXPECT_FALSE(seen.stoppedAfterNo);
    EXPECT_FALSE(seen.closesAfterYes);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[2].text, LoadString(IDS_SCENE_RENDER_WINDOW_OPEN));
    for (int i : {0, 1, 3, 4}) {
        EXPECT_EQ(shown[i].text, stopQuestion);
        EXPECT_EQ(shown[i].icon, MsgIcon::Information);
        EXPECT_EQ(shown[i].buttons, MsgButtons::YesNo);
    }

    // Yes stopped it: nothing written, the timer and the pane are off, the window goes.
    EXPECT_TRUE(outputFiles().empty());
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->redrawTimer()->isActive());
    EXPECT_FALSE(app->mainFrame()->statusBar()->findChild<QLabel*>("Pane353")->isEnabled());
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    EXPECT_TRUE(app->mainFrame()->isVisible());
}

TEST_F(RenderWindow, ASceneRefusesToCloseWhileItsRenderRunsOrItsPathEditorIsOpen) {
    COrvantisView* form = slowScene(3);
    QTest::mouseClick(form->control(335), Qt::LeftButton); // Curve enables Set...
    const std::string renderMessage = LoadString(IDS_SCENE_RENDER_WINDOW_OPEN);
    const std::string pathMessage = LoadString(IDS_SCENE_PATH_WINDOW_OPEN);
    type(form, 311, "30");
    type(form, 368, "5");
    for (int i = 0; i < 3; ++i) form->scene.SetPathPoint(i, 20 + 20 * i, 30 + (i % 2) * 20);
    ASSERT_TRUE(form->SaveScript(dir.path("scene.ovs")));
    form->GetDocument()->SetPathName(dir.path("scene.ovs"));

    std::vector<std::vector<std::string>> during;
    duringRun([&] {
        // Render running: the scene's window, File Close and leaving the application all give the render
        // message and keep the scene.
        shown.clear();
        EXPECT_FALSE(form->frame()->close());
        app->mainFrame()->mdiArea()->setActiveSubWindow(form->frame());
        app->mainFrame()->dispatchCommand(cmd::FileClose);
        std::vector<std::string> texts;
        for (const Shown& s : shown) texts.push_back(s.text);
        during.push_back(texts);
        // With the path editor open as well, only the path message.
        shown.clear();
        CPathView* editor = OpenPathEditor(*form);
        ASSERT_NE(editor, nullptr);
        EXPECT_FALSE(form->frame()->close());
        texts.clear();
        for (const Shown& s : shown) texts.push_back(s.text);
        during.push_back(texts);
        editor->frame()->closeWithoutAsking();
        answers.push_back(MsgAnswer::Yes);
        renderingView()->RequestStop();
    });
    launch(form, RenderMode::Final);
    ASSERT_TRUE(ranDuringRun);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0], (std::vector<std::string>{renderMessage, renderMessage}));
    EXPECT_EQ(during[1], (std::vector<std::string>{pathMessage}));
    for (const Shown& s : shown) {
        if (s.text == pathMessage || s.text == renderMessage) {
            EXPECT_EQ(s.icon, MsgIcon::Stop);
        }
    }
    settle();
    EXPECT_EQ(form->pathWindowOpen, 0);
    EXPECT_EQ(form->renderWindowOpen, 0);

    // The path editor alone keeps the scene open when leaving the application too.
    shown.clear();
    ASSERT_NE(OpenPathEditor(*form), nullptr);
    EXPECT_FALSE(app->mainFrame()->close());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, pathMessage);
    for (ChildFrame* f : app->mainFrame()->childFrames())
        if (f != form->frame()) f->closeWithoutAsking();
    settle();

    // Free of both, the scene closes and its file heads the recent-file list.
    app->AddToRecentFileList(dir.path("other.ovs"));
    form->GetDocument()->SetModifiedFlag(false);
    EXPECT_TRUE(form->frame()->close());
    ASSERT_FALSE(app->recentFiles().empty());
    EXPECT_EQ(app->recentFiles().front(), dir.path("scene.ovs"));
}

TEST_F(RenderWindow, AMaskOfTheWrongSizeClosesTheNewWindowAfterItsMessage) {
    writePicture(dir.path("mask.tga"), 81, 60); // one column too wide
    COrvantisView* form = smallScene();
    QTest::mouseClick(form->control(389), Qt::LeftButton);
    type(form, 359, dir.path("mask.tga"));
    int windowsAtMessage = -1;
    onMessage = [&](const std::string&) { windowsAtMessage = int(renderDocuments().size()); };
    launch(form, RenderMode::Final);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Mask file and target file are not the same size.\n\nChoose another mask.");
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(windowsAtMessage, 1);
    settle();
    EXPECT_TRUE(renderDocuments().empty());
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_EQ(form->renderWindowOpen, 0);

    // A mask that cannot be opened: the loader's question alone, and the window stays (empty) after the
    // run. (The scene check would refuse it: the launch is called past it.)
    shown.clear();
    form->scene.MaskFileName = dir.path("no-such-mask.tga");
    LaunchRender(*form, RenderMode::Final);
    settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back().text, "Couldn't open TGA file\n'" + dir.path("no-such-mask.tga") + "'.\nRetry?");
    EXPECT_EQ(shown.back().icon, MsgIcon::Stop);
    EXPECT_EQ(renderDocuments().size(), 1u);
}

TEST_F(RenderWindow, AJobWhoseFirstFrameIsBeyondTheCurveRendersNothing) {
    // A curve of Total frames produces the indices 0 .. Total - 2: From = Total - 1 passes the scene check
    // but lies beyond every frame.
    COrvantisView* form = smallScene(60, 40, 16, 4, 3);
    QTest::mouseClick(form->control(335), Qt::LeftButton);
    type(form, 347, "3");
    type(form, 311, "30");
    type(form, 368, "5");
    for (int i = 0; i < 4; ++i) form->scene.SetPathPoint(i, 20 + 50 * (i % 2), 20 + 50 * (i / 2));
    ASSERT_TRUE(form->ValidateScene());
    CRenderingView* view = launch(form, RenderMode::Final);
    ASSERT_NE(view, nullptr);
    settle();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_EQ(renderDocuments().size(), 1u); // not stopped: the (white) window stays
    EXPECT_EQ(form->renderWindowOpen, 0);
}

TEST_F(RenderWindow, TheTimerRepaintsThePictureDuringTheRunAndStopsWithIt) {
    settings->writeInt("Settings", "RedrawInterval", 100);
    COrvantisView* form = slowScene(6);
    int repaintingTicks = 0;
    bool repainted = false;
    // Inside the run (letting events through) until two ticks of the redraw timer have repainted the
    // picture, then stop.
    duringRun([&] {
        CRenderingView* v = renderingView();
        int paints = v->paintCount();
        QObject::connect(v->redrawTimer(), &QTimer::timeout, v, [&, v] {
            if (v->paintCount() > paints) ++repaintingTicks;
            paints = v->paintCount();
        });
        repainted = processEventsUntil([&] { return repaintingTicks >= 2; });
        v->SetStopFlag();
    });
    launch(form, RenderMode::Final);
    EXPECT_TRUE(repainted) << "the redraw timer did not repaint the picture during the run";
    EXPECT_LT(outputFiles().size(), 6u);
}

} // namespace
