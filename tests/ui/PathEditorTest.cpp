// The flight path editor driven as a user drives it: a scene form, its "Set..." button, mouse clicks and
// drags on a real map, the clipboard, Apply and closing the window.
#include "app/Settings.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/TGAFile.h"
#include "path/ui/PathCurve.h"
#include "path/ui/PathDoc.h"
#include "path/ui/PathEditorLaunch.h"
#include "path/ui/PathView.h"
#include "render/JobFile.h"
#include "scene/ui/OrvantisDoc.h"
#include "scene/ui/OrvantisView.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// A 240 x 200 map: white, with a dark band along the top so that it is not uniform.
void writeMap(const std::string& path) {
    SilentPlatform silent;
    CTGAFile map(silent);
    ASSERT_TRUE(map.CreateImage(240, 200));
    map.FillColor(0x00FFFFFF);
    for (int y = 180; y < 200; ++y) // rows are stored bottom first: these are the top twenty
        for (int x = 0; x < 240; ++x) map.pixelAt(x, y)[1] = 60;
    ASSERT_TRUE(map.SaveImage(path));
}

class PathEditor : public ::testing::Test {
protected:
    struct Shown {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    void SetUp() override {
        ensureApplication();
        QApplication::clipboard()->clear();
        platform.setAnswerer([this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
            shown.push_back({text, icon, buttons});
            if (!answers.empty()) {
                MsgAnswer a = answers.front();
                answers.pop_front();
                return a;
            }
            return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
        });
        mapPath = dir.path("map.tga");
        writeMap(mapPath);
        app = std::make_unique<OrvantisApp>(settings, platform, OrvantisApp::Options{});
        ASSERT_TRUE(app->InitInstance({}));
    }
    void TearDown() override {
        // Let the windows go without questions (a scene refuses to close while its editor is open).
        for (ChildFrame* f : app->mainFrame()->childFrames()) f->closeWithoutAsking();
        QApplication::processEvents();
        app.reset();
    }

    COrvantisView* newScene(const std::vector<PathPoint>& points) {
        auto* doc = static_cast<COrvantisDoc*>(app->docTemplate(103)->OpenDocumentFile(*app, ""));
        COrvantisView* form = doc->form();
        form->scene.PathType = 1;
        form->scene.UseTextureFile = 1;
        form->scene.TextureFileName = mapPath;
        form->scene.ClearPathPoints();
        for (size_t i = 0; i < points.size(); ++i) form->scene.SetPathPoint(int(i), points[i].x, points[i].y);
        form->showRecord();
        form->updateDependentControls();
        return form;
    }
    CPathView* openEditor(COrvantisView* form) {
        CPathView* view = OpenPathEditor(*form);
        if (view) {
            view->horizontalScrollBar()->setValue(0);
            view->verticalScrollBar()->setValue(0);
        }
        return view;
    }
    CPathView* editorWith(const std::vector<PathPoint>& points) { return openEditor(newScene(points)); }

    static void mouse(CPathView* v, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
        QMouseEvent e(type, at, v->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &e);
    }
    // Lets closed windows, their views and then their documents go.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    static void click(CPathView* v, QPoint at) {
        mouse(v, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    static void drag(CPathView* v, QPoint from, QPoint to) {
        mouse(v, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        // The drag takes the point under the mouse where it first moves with the button held.
        mouse(v, QEvent::MouseMove, from + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(v, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    // What the window must show for points: the map, the numbered markers and (beyond two points) the curve.
    QImage expectedPicture(CPathView* v, const std::vector<MapPoint>& points) {
        PathCanvas c;
        c.setMap(v->canvas().map());
        c.redrawAll(points, ReadFlightPathPen(settings));
        return c.screen();
    }

    TempDir dir;
    std::string mapPath;
    MemorySettings settings;
    QtPlatform platform;
    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
    std::unique_ptr<OrvantisApp> app;
};

const std::vector<PathPoint> four{{40, 60}, {180, 50}, {200, 160}, {60, 150}};

} // namespace

TEST_F(PathEditor, OpensTheTextureWithTheFormsPointsAndSetsTheFlag) {
    COrvantisView* form = newScene({{40, 60}, {180, 50}});
    form->scene.ElevationFileName = dir.path("missing-elevation.tga");
    form->showRecord();
    // The form's own button, as the user presses it.
    QTest::mouseClick(form->control(378), Qt::LeftButton);
    ASSERT_EQ(app->docTemplate(101)->documents().size(), 1u);
    auto* doc = static_cast<CPathDoc*>(app->docTemplate(101)->documents().front());
    CPathView* v = doc->pathView();
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(v->attachedForm(), form);
    EXPECT_EQ(form->pathWindowOpen, 1);
    EXPECT_EQ(v->pointList(), (std::vector<MapPoint>{{40, 60}, {180, 50}}));
    EXPECT_EQ(v->points().GetCurrent(), v->points().GetAt(1)); // new points follow the last one
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(v->frame()->resourceId(), 101);
    // Two points: the markers are there, the curve is not.
    EXPECT_EQ(v->canvas().screen(), expectedPicture(v, v->pointList()));
    EXPECT_EQ(v->canvas().screen().pixel(40, 52), qRgb(128, 0, 0));
    EXPECT_NE(v->canvas().screen(), v->canvas().map());
    // A second "Set..." opens a second window on the same map.
    ASSERT_NE(openEditor(form), nullptr);
    EXPECT_EQ(app->docTemplate(101)->documents().size(), 2u);
}

TEST_F(PathEditor, AMapThatDoesNotOpenIsReportedOnItsField) {
    COrvantisView* form = newScene({});
    form->scene.TextureFileName = dir.path("no-texture.tga");
    form->showRecord();
    EXPECT_EQ(openEditor(form), nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot open file '" + dir.path("no-texture.tga") + "'.");
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(form->control(383)->window()->focusWidget(), form->control(383));
    EXPECT_TRUE(form->edit(383)->hasSelectedText());
    EXPECT_EQ(form->pathWindowOpen, 0);
    EXPECT_TRUE(app->docTemplate(101)->documents().empty());

    // Without "Use It" the elevation file is the map.
    form->scene.UseTextureFile = 0;
    form->scene.ElevationFileName = mapPath;
    form->showRecord();
    EXPECT_NE(openEditor(form), nullptr);
    EXPECT_EQ(form->pathWindowOpen, 1);
}

TEST_F(PathEditor, ARelativeMapNameIsTakenInTheScenesFolderWhereverTheProgramRuns) {
    COrvantisView* form = newScene({});
    form->GetDocument()->SetPathName(dir.path("scene.ovs"), false);
    form->scene.TextureFileName = "map.tga";
    form->showRecord();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    CPathView* view = openEditor(form);
    QDir::setCurrent(cwd);
    EXPECT_NE(view, nullptr);
    EXPECT_TRUE(shown.empty()) << shown.front().text;
}

TEST_F(PathEditor, ClickingAPointDeletesItAndTheNextNewPointFollowsItsSuccessor) {
    CPathView* v = editorWith(four);
    ASSERT_NE(v, nullptr);
    click(v, QPoint(183, 47)); // within four pixels of point 1
    EXPECT_EQ(v->pointList(), (std::vector<MapPoint>{{40, 60}, {200, 160}, {60, 150}}));
    EXPECT_TRUE(v->GetDocument()->IsModified());
    // Renumbered: the former point 2 now shows "01", and the picture is exactly map, markers and curve.
    EXPECT_EQ(v->canvas().screen(), expectedPicture(v, v->pointList()));

    click(v, QPoint(120, 120)); // an empty place
    EXPECT_EQ(v->pointList(), (std::vector<MapPoint>{{40, 60}, {200, 160}, {120, 120}, {60, 150}}));
    EXPECT_EQ(v->canvas().screen(), expectedPicture(v, v->pointList()));

    // Five pixels away is not a hit.
    click(v, QPoint(45, 60));
    EXPECT_EQ(v->pointList().size(), 5u);
}

TEST_F(PathEditor, DraggingAPointOntoAnotherKeepsBoth) {
    CPathView* v = editorWith(four);
    ASSERT_NE(v, nullptr);
    drag(v, QPoint(41, 61), QPoint(200, 160));
    EXPECT_EQ(v->pointList(), (std::vector<MapPoint>{{200, 160}, {180, 50}, {200, 160}, {60, 150}}));
    EXPECT_TRUE(v->GetDocument()->IsModified());
    EXPECT_EQ(v->canvas().screen(), expectedPicture(v, v->pointList()));
    // Now both lie on one place: the first in list order is the one taken.
    drag(v, QPoint(200, 160), QPoint(100, 100));
    EXPECT_EQ(v->pointList(), (std::vector<MapPoint>{{100, 100}, {180, 50}, {200, 160}, {60, 150}}));
    // A drag that starts on no point moves nothing; its release is a click in an empty place.
    drag(v, QPoint(150, 120), QPoint(160, 130));
    EXPECT_EQ(v->pointList(),
              (std::vector<MapPoint>{{100, 100}, {180, 50}, {200, 160}, {60, 150}, {160, 130}}));
}

TEST_F(PathEditor, CursorAndClicksOutsideThePicture) {
    CPathView* v = editorWith(four);
    ASSERT_NE(v, nullptr);
    v->resize(400, 400); // the window is larger than the map
    mouse(v, QEvent::MouseMove, QPoint(100, 100), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::BitmapCursor);
    mouse(v, QEvent::MouseMove, QPoint(300, 100), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
    click(v, QPoint(300, 100));
    click(v, QPoint(100, 250));
    EXPECT_EQ(v->pointList().size(), 4u);
    EXPECT_FALSE(v->GetDocument()->IsModified());
}

TEST_F(PathEditor, CurveColourAndNotXorDrawing) {
    CPathView* v = editorWith(four);
    ASSERT_NE(v, nullptr);
    // No "Color" at all and "-1": purple on the white map.
    std::vector<MapPoint> line = PathCurvePolyline(v->pointList());
    ASSERT_GT(line.size(), 20u);
    const MapPoint between = line[16]; // well away from the markers
    EXPECT_EQ(v->canvas().screen().pixel(between.x, between.y), qRgb(192, 0, 192));
    settings.writeString("FlightPath", "Color", "-1");
    v->OnUpdate(nullptr);
    EXPECT_EQ(v->canvas().screen().pixel(between.x, between.y), qRgb(192, 0, 192));

    const QImage before = v->canvas().screen().copy();
    v->toggleCurve();
    EXPECT_EQ(v->canvas().screen().pixel(between.x, between.y), qRgb(255, 255, 255));
    v->toggleCurve();
    EXPECT_EQ(v->canvas().screen(), before); // byte for byte

    // A colour of the user's: green, 3 pixels wide.
    settings.writeString("FlightPath", "Color", "FF00");
    settings.writeInt("FlightPath", "Width", 3);
    v->OnUpdate(nullptr);
    EXPECT_EQ(v->canvas().screen().pixel(between.x, between.y), qRgb(0, 255, 0));
    // Changing the option while the window is open still lets the next edit take the old curve away.
    settings.writeString("FlightPath", "Color", "FF0000");
    click(v, QPoint(120, 120));
    EXPECT_EQ(v->canvas().screen(), expectedPicture(v, v->pointList()));
}

TEST_F(PathEditor, CopyAndPasteIntoAnotherEditor) {
    CPathView* a = editorWith(four);
    CPathView* b = editorWith({{1, 1}, {2, 2}, {3, 3}});
    ASSERT_TRUE(a && b);
    app->mainFrame()->mdiArea()->setActiveSubWindow(a->frame());
    EXPECT_TRUE(app->mainFrame()->isCommandEnabled(cmd::EditCopy));
    app->mainFrame()->dispatchCommand(cmd::EditCopy);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "Orvantis Clipboard Data - Path\r\n0\t40\t60\r\n1\t180\t50\r\n2\t200\t160\r\n3\t60\t150\r\n");

    app->mainFrame()->mdiArea()->setActiveSubWindow(b->frame());
    EXPECT_TRUE(app->mainFrame()->isCommandEnabled(cmd::EditPaste));
    app->mainFrame()->dispatchCommand(cmd::EditPaste);
    EXPECT_EQ(b->pointList(), a->pointList());
    EXPECT_TRUE(b->GetDocument()->IsModified());
    EXPECT_EQ(b->canvas().screen(), expectedPicture(b, b->pointList()));

    // Other text leaves the points alone and disables Paste.
    QApplication::clipboard()->setText("Orvantis Clipboard Data - OVS\r\n");
    EXPECT_FALSE(app->mainFrame()->isCommandEnabled(cmd::EditPaste));
    b->OnEditPaste();
    EXPECT_EQ(b->pointList(), a->pointList());
}

TEST_F(PathEditor, AtMostAHundredPoints) {
    std::vector<PathPoint> many;
    for (int i = 0; i < 100; ++i) many.push_back({10 + (i % 10) * 20, 10 + (i / 10) * 18});
    CPathView* v = editorWith(many);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->pointList().size(), 100u);
    click(v, QPoint(235, 195));
    EXPECT_EQ(v->pointList().size(), 100u);
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage().toStdString(),
              "A flight path holds at most 100 points.");
    click(v, QPoint(10, 10)); // deleting still works
    EXPECT_EQ(v->pointList().size(), 99u);
}

TEST_F(PathEditor, ApplyHandsThePointsToTheSceneAndItsJob) {
    // Another scene, opened first: the window area would turn to it when the editor goes.
    newScene({});
    // A scene saved with five points.
    COrvantisView* form = newScene({{40, 60}, {180, 50}, {200, 160}, {60, 150}, {120, 30}});
    form->scene.ElevationFileName = mapPath;
    form->showRecord();
    const std::string scenePath = dir.path("five.ovs");
    ASSERT_TRUE(form->scene.WriteJobValues(scenePath));
    ASSERT_NE(TempDir::read(scenePath).find("Punkt04"), std::string::npos);
    form->GetDocument()->SetModifiedFlag(false);

    CPathView* v = openEditor(form);
    ASSERT_NE(v, nullptr);
    click(v, QPoint(120, 30));
    click(v, QPoint(60, 150));
    ASSERT_EQ(v->pointList().size(), 3u);
    app->mainFrame()->mdiArea()->setActiveSubWindow(v->frame());
    // Ctrl+A, as the menu shows it.
    app->mainFrame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->mainFrame()));
    QTest::keyClick(v, Qt::Key_A, Qt::ControlModifier);
    settle();

    EXPECT_TRUE(shown.empty()) << "Apply closes without asking: " << (shown.empty() ? "" : shown[0].text);
    EXPECT_TRUE(app->docTemplate(101)->documents().empty());
    EXPECT_EQ(app->mainFrame()->activeView(), form) << "the scene that opened the editor is active again";
    EXPECT_EQ(form->pathWindowOpen, 0);
    EXPECT_TRUE(form->GetDocument()->IsModified());
    EXPECT_EQ(form->scene.lastIndex, 2);
    EXPECT_EQ(form->scene.points[2], (PathPoint{200, 160}));

    std::unique_ptr<JobFile> job = JobFile::Create(form->scene, scenePath);
    ASSERT_TRUE(job);
    const std::string text = TempDir::read(job->path());
    EXPECT_NE(text.find("Punkt02"), std::string::npos);
    EXPECT_EQ(text.find("Punkt03"), std::string::npos);
    EXPECT_EQ(text.find("Punkt04"), std::string::npos);
}

TEST_F(PathEditor, ClosingAChangedPathAsks) {
    const std::vector<PathPoint> three{{40, 60}, {180, 50}, {200, 160}};
    struct Case {
        MsgAnswer answer;
        bool closes;
        int lastIndex;
    };
    for (Case c :
         {Case{MsgAnswer::Yes, true, 3}, Case{MsgAnswer::No, true, 2}, Case{MsgAnswer::Cancel, false, 2}}) {
        shown.clear();
        COrvantisView* form = newScene(three);
        form->GetDocument()->SetModifiedFlag(false);
        CPathView* v = openEditor(form);
        ASSERT_NE(v, nullptr);
        click(v, QPoint(120, 120));
        answers = {c.answer};
        v->frame()->close();
        settle();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "The flight path has been changed.\nSave the new flight path?");
        EXPECT_EQ(shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(shown[0].buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(app->docTemplate(101)->documents().empty(), c.closes);
        EXPECT_EQ(form->pathWindowOpen, c.closes ? 0 : 1);
        EXPECT_EQ(form->scene.lastIndex, c.lastIndex);
        EXPECT_EQ(form->GetDocument()->IsModified(), c.answer == MsgAnswer::Yes) << int(c.answer);
        if (!c.closes) {
            // The scene may not close while its editor is open.
            EXPECT_FALSE(form->CanCloseScene());
            static_cast<CPathDoc*>(v->GetDocument())->SetModifiedFlag(false);
            v->frame()->close(); // unchanged now: closes without a question
            settle();
            EXPECT_TRUE(app->docTemplate(101)->documents().empty());
            EXPECT_EQ(form->pathWindowOpen, 0);
        }
    }
}
