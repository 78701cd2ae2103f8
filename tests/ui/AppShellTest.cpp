// The application shell: menus per window kind, command routing and enable states, the file prompt's
// filters and remembered folders, the command line, the window placement, help topics, the About box,
// the single instance and the desktop files.

#include "AppHarness.h"
#include "EventWait.h"

#include "app/ui/AboutDialog.h"
#include "app/ui/Commands.h"
#include "app/ui/DesktopIntegration.h"
#include "app/ui/SingleInstance.h"
#include "scene/ui/OrvantisView.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using apptest::AppHarness;

namespace {
QStringList menuTitles(CMainFrame* f) {
    QStringList t;
    for (QMenu* m : f->menus()) t << m->title();
    return t;
}

QMenu* menuNamed(CMainFrame* f, const QString& title) {
    for (QMenu* m : f->menus())
        if (m->title() == title) return m;
    return nullptr;
}

// The items of a popup as "text" (separators as "-"), and their command ids.
QStringList items(QMenu* m) {
    QStringList t;
    for (QAction* a : m->actions()) t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

QStringList captureFilters(AppHarness& h, int command) {
    QStringList filters;
    h.driver = [&filters](QDialog& d) {
        if (auto* fd = qobject_cast<QFileDialog*>(&d)) filters = fd->nameFilters();
        return int(QDialog::Rejected);
    };
    h.frame()->dispatchCommand(command);
    return filters;
}
} // namespace

TEST(AppShell, EachWindowKindHasItsMenu) {
    AppHarness h;
    h.start();
    EXPECT_EQ(h.frame()->currentMenuId(), 100);
    EXPECT_EQ(menuTitles(h.frame()), QStringList({"&File", "&View", "&Calculate", "&Help"}));
    EXPECT_EQ(items(menuNamed(h.frame(), "&File")),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Import Elevation...", "-", "P&rint Setup...",
                           "-", "Recent File", "-", "E&xit"}));
    const QStringList tools = items(menuNamed(h.frame(), "&Calculate"));
    ASSERT_EQ(tools.size(), 11);
    EXPECT_EQ(tools.front(), "&DEM Conversion...");
    EXPECT_EQ(tools[2], "Eliminate Red Pi&xels...");
    EXPECT_EQ(tools.back(), "Rec&tify...");

    h.frame()->dispatchCommand(cmd::FileNew);
    EXPECT_EQ(h.frame()->currentMenuId(), 103);
    EXPECT_EQ(menuTitles(h.frame()),
              QStringList({"&File", "&Edit", "&View", "&Calculate", "&Window", "&Help"}));
    EXPECT_EQ(items(menuNamed(h.frame(), "&Edit")),
              QStringList({"&Copy\tCtrl+C", "&Paste\tCtrl+V", "-", "First -&> Last", "First &<- Last"}));
    const QStringList calc = items(menuNamed(h.frame(), "&Calculate"));
    EXPECT_EQ(calc.mid(0, 5), QStringList({"&Preview...\tCtrl+E", "&Raw...\tCtrl+R", "&Final...\tCtrl+F",
                                           "Render to Vide&o...", "-"}));
    EXPECT_EQ(calc.size(), 16);
    EXPECT_TRUE(items(menuNamed(h.frame(), "&File")).contains("&Close"));

    h.app->OpenDocumentFile(h.writeTga("map.tga"));
    EXPECT_EQ(h.frame()->currentMenuId(), 102);
    const QStringList file = items(menuNamed(h.frame(), "&File"));
    EXPECT_TRUE(file.contains("Save &As...") && file.contains("Print Pre&view") &&
                file.contains("&Print...\tCtrl+P"));
    EXPECT_EQ(items(menuNamed(h.frame(), "&Calculate")).size(), 11);
    // The recent files replace "Recent File": the image is the newest entry.
    EXPECT_TRUE(file.contains(QStringLiteral("&1 ") + QString::fromStdString(h.dir.path("map.tga"))));

    // Back to no document window: menu 100 again.
    h.app->CloseAllDocuments();
    apptest::flushDeletes();
    EXPECT_EQ(h.frame()->currentMenuId(), 100);
}

TEST(AppShell, CommandsWithoutHandlerAreDisabled) {
    AppHarness h;
    h.start();
    QApplication::clipboard()->clear();
    CMainFrame* f = h.frame();
    for (int id : {cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::EditUndo, cmd::Preview, cmd::Raw,
                   cmd::Final, cmd::FileSave, cmd::FirstToLast})
        EXPECT_FALSE(f->isCommandEnabled(id)) << id;
    for (int id : {cmd::FileNew, cmd::FileOpen, cmd::AppAbout, cmd::Options, cmd::AppExit})
        EXPECT_TRUE(f->isCommandEnabled(id)) << id;

    // Eleven buttons and three separators, in order.
    QStringList buttons;
    for (QAction* a : f->mainToolBar()->actions())
        buttons << (a->isSeparator() ? QStringLiteral("-") : QString::number(a->data().toInt()));
    EXPECT_EQ(buttons, QStringList({"57600", "57601", "57603", "-", "57635", "57634", "57637", "-", "57607",
                                    "57664", "-", "32800", "32801", "32802"}));

    f->dispatchCommand(cmd::FileNew);
    for (int id : {cmd::EditCopy, cmd::Preview, cmd::Raw, cmd::Final, cmd::FileSave, cmd::FirstToLast})
        EXPECT_TRUE(f->isCommandEnabled(id)) << id;
    EXPECT_FALSE(f->isCommandEnabled(cmd::EditCut));
    EXPECT_FALSE(f->isCommandEnabled(cmd::EditUndo));
    EXPECT_FALSE(f->isCommandEnabled(cmd::EditPaste)); // no scene text on the clipboard
    QApplication::clipboard()->setText("Orvantis Clipboard Data - OVS\r\n");
    EXPECT_TRUE(f->isCommandEnabled(cmd::EditPaste));
    QApplication::clipboard()->setText("x Orvantis Clipboard Data - OVS\r\n");
    EXPECT_FALSE(f->isCommandEnabled(cmd::EditPaste));
    f->updateCommandUI();
    EXPECT_TRUE(f->toolbarAction(cmd::Final)->isEnabled());
    EXPECT_FALSE(f->toolbarAction(cmd::EditCut)->isEnabled());

    // In an image window the render commands have no handler again.
    h.app->OpenDocumentFile(h.writeTga("a.tga"));
    EXPECT_FALSE(f->isCommandEnabled(cmd::Preview));
    EXPECT_TRUE(f->isCommandEnabled(cmd::EditCopy));
    EXPECT_TRUE(f->isCommandEnabled(cmd::FilePrint));
}

TEST(AppShell, OpenOffersTheLastOpenedTypeFirst) {
    AppHarness h;
    h.start();
    EXPECT_EQ(captureFilters(h, cmd::FileOpen),
              QStringList({"OVS Files (*.ovs)", "TGA Files (*.tga)", "All Files (*.*)"}));
    ASSERT_TRUE(h.app->OpenDocumentFile(h.writeTga("Pic.TGA")));
    EXPECT_EQ(h.settings->getString("Recent File Load", "Name", ""), ".TGA");
    EXPECT_EQ(captureFilters(h, cmd::FileOpen),
              QStringList({"TGA Files (*.tga)", "OVS Files (*.ovs)", "All Files (*.*)"}));

    const std::string scene = h.dir.path("s.ovs");
    TempDir::write(scene, "[Param]\r\nBeobXA=1\r\n");
    ASSERT_TRUE(h.app->OpenDocumentFile(scene));
    EXPECT_EQ(captureFilters(h, cmd::FileOpen),
              QStringList({"OVS Files (*.ovs)", "TGA Files (*.tga)", "All Files (*.*)"}));
}

TEST(AppShell, SaveAsOffersTheDocumentsOwnTypes) {
    AppHarness h;
    h.start();
    h.app->OpenDocumentFile(h.writeTga("a.tga"));
    EXPECT_EQ(captureFilters(h, cmd::FileSaveAs),
              QStringList({"TGA Files (*.tga)", "YUV files (*.yuv)", "All Files (*.*)"}));
    h.frame()->dispatchCommand(cmd::FileNew);
    EXPECT_EQ(captureFilters(h, cmd::FileSaveAs), QStringList({"OVS Files (*.ovs)", "All Files (*.*)"}));
}

TEST(AppShell, SaveAsWritesAYuvFrameForTheYuvFilter) {
    AppHarness h;
    h.start();
    h.app->OpenDocumentFile(h.writeTga("a.tga", 4, 2));
    const std::string target = h.dir.path("frame.yuv");
    h.driver = [&](QDialog& d) {
        auto* fd = qobject_cast<QFileDialog*>(&d);
        fd->selectFile(QString::fromStdString(target));
        return int(QDialog::Accepted);
    };
    h.frame()->dispatchCommand(cmd::FileSaveAs);
    EXPECT_EQ(TempDir::read(target).size(), 4u * 2u * 3u / 2u);
    EXPECT_EQ(h.activeDocument()->GetPathName(), target);
}

TEST(AppShell, ACancelledDialogStillRemembersTheVisitedFolder) {
    AppHarness h;
    h.start();
    const QString other = QString::fromStdString(h.dir.path("maps"));
    QDir().mkpath(other);
    h.driver = [&](QDialog& d) {
        qobject_cast<QFileDialog*>(&d)->setDirectory(other);
        return int(QDialog::Rejected);
    };
    h.frame()->dispatchCommand(cmd::FileOpen);
    EXPECT_EQ(QString::fromStdString(h.settings->getString("Directories", "Open", "")), other);
    EXPECT_EQ(QDir::currentPath(), other);
    EXPECT_TRUE(h.shown.empty());

    // The next Open dialog starts there, even when the process went elsewhere in between.
    QDir::setCurrent(QDir::tempPath());
    QString startedIn;
    h.driver = [&](QDialog& d) {
        startedIn = qobject_cast<QFileDialog*>(&d)->directory().absolutePath();
        return int(QDialog::Rejected);
    };
    h.frame()->dispatchCommand(cmd::FileOpen);
    EXPECT_EQ(startedIn, other);
}

TEST(AppShell, CommandLine) {
    for (const char* arg : {"/e", "-e", "/E", "-Embedding"}) {
        AppHarness h;
        h.start({arg});
        EXPECT_EQ(h.windowCount(), 0u) << arg;
        EXPECT_TRUE(h.shown.empty()) << arg;
    }
    {
        AppHarness h;
        h.start();
        EXPECT_EQ(h.windowCount(), 0u);
    }
    {
        // All arguments together are one path.
        AppHarness h;
        const std::string scene = h.dir.path("my scene.ovs");
        TempDir::write(scene, "[Param]\r\nBeobXA=1\r\n");
        h.start(QString::fromStdString(scene).split(' '));
        ASSERT_EQ(h.windowCount(), 1u);
        EXPECT_EQ(h.frame()->currentMenuId(), 103);
        EXPECT_TRUE(h.frame()->activeChild()->isMaximized());
        EXPECT_EQ(h.activeDocument()->GetPathName(), scene);
    }
    {
        // A file that does not open gets one message, and it says why.
        AppHarness h;
        const std::string missing = h.dir.path("nothing.ovs");
        h.start({QString::fromStdString(missing)});
        EXPECT_EQ(h.windowCount(), 0u);
        EXPECT_EQ(h.texts(),
                  std::vector<std::string>{"Cannot open file '" + missing + "'.\nThe file does not exist."});
        EXPECT_EQ(h.shown.back().icon, MsgIcon::Stop);

        h.shown.clear();
        const std::string compressed = h.dir.path("packed.tga");
        TempDir::write(compressed, std::string("\0\0\x0a", 3) + std::string(40, '\0'));
        h.driver = [&](QDialog& d) {
            qobject_cast<QFileDialog*>(&d)->selectFile(QString::fromStdString(compressed));
            return int(QDialog::Accepted);
        };
        h.frame()->dispatchCommand(cmd::FileOpen);
        EXPECT_EQ(h.texts(),
                  std::vector<std::string>{"Cannot open file '" + compressed +
                                           "'.\nCompressed (run-length encoded) TGA files are not "
                                           "supported; only uncompressed 24-bit true colour is read."});
        EXPECT_EQ(h.windowCount(), 0u);
    }
}

TEST(AppShell, WindowPosText) {
    auto p = parseWindowPos("2,3,-1,-1,-8,-8,10,20,810,620");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->flags, 2u);
    EXPECT_EQ(p->showCommand, 3u);
    EXPECT_EQ(p->right, 810);
    EXPECT_EQ(formatWindowPos(*p), "2,3,-1,-1,-8,-8,10,20,810,620");
    EXPECT_FALSE(parseWindowPos("0,1,2"));
    EXPECT_FALSE(parseWindowPos(""));
    EXPECT_FALSE(parseWindowPos("0,1,2,3,4,5,6,7,8,x"));
}

TEST(AppShell, PlacementIsRestoredWithTheStartupShowCommand) {
    {
        AppHarness h;
        h.settings->writeString("Settings", "WindowPos", "2,3,-1,-1,-1,-1,10,20,700,500");
        h.start();
        EXPECT_TRUE(h.frame()->isMaximized());
    }
    {
        // Started minimised: the stored normal placement gives way.
        AppHarness h;
        h.settings->writeString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,10,20,700,500");
        h.start({}, 2);
        EXPECT_TRUE(h.frame()->isMinimized());
    }
    {
        AppHarness h;
        h.settings->writeString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,10,20,700,500");
        h.start();
        EXPECT_FALSE(h.frame()->isMaximized());
        EXPECT_EQ(h.frame()->geometry().size(), QSize(690, 480));
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // Three numbers are no placement: the default size stays, as far as the screen has room.
        AppHarness h;
        h.settings->writeString("Settings", "WindowPos", "0,3,5");
        h.start();
        EXPECT_FALSE(h.frame()->isMaximized());
        EXPECT_EQ(h.frame()->size(), QSize(900, 680).boundedTo(screen.size()));
    }
    {
        // Stored on a larger screen, or before the scale changed: the window comes back inside this one.
        AppHarness h;
        h.settings->writeString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,-300,-200,5000,4000");
        h.start();
        EXPECT_TRUE(screen.contains(h.frame()->frameGeometry()));
    }
}

TEST(AppShell, ExitWritesThePlacementEvenWhenCancelled) {
    AppHarness h;
    h.start();
    h.frame()->dispatchCommand(cmd::FileNew);
    auto* form = dynamic_cast<COrvantisView*>(h.activeView());
    ASSERT_TRUE(form);
    form->edit(327)->setText("5");
    ASSERT_TRUE(h.activeDocument()->IsModified());
    EXPECT_EQ(h.settings->getString("Settings", "WindowPos", ""), "");

    h.answers = {MsgAnswer::Cancel};
    h.frame()->dispatchCommand(cmd::AppExit);
    QApplication::processEvents();
    EXPECT_TRUE(h.frame()->isVisible());
    EXPECT_EQ(h.windowCount(), 1u);
    ASSERT_EQ(h.texts(), std::vector<std::string>({"Save changes to untitled1?"}));
    EXPECT_EQ(h.shown[0].buttons, MsgButtons::YesNoCancel);
    const auto stored = parseWindowPos(h.settings->getString("Settings", "WindowPos", ""));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->showCommand, 1u);

    // "No" discards the changes and the program closes.
    h.answers = {MsgAnswer::No};
    h.frame()->dispatchCommand(cmd::AppExit);
    QApplication::processEvents();
    EXPECT_FALSE(h.frame()->isVisible());
}

TEST(AppShell, HelpTopics) {
    AppHarness h;
    h.start();
    h.frame()->dispatchCommand(cmd::FileNew);
    auto* form = dynamic_cast<COrvantisView*>(h.activeView());
    QApplication::setActiveWindow(h.frame());
    form->edit(387)->setFocus();
    QApplication::processEvents();
    h.frame()->dispatchCommand(cmd::Help);
    EXPECT_EQ(h.helpTopics, std::vector<int>({65923}));
    // While a chooser of the form is open, F1 does nothing.
    form->setContextHelp(false);
    h.frame()->dispatchCommand(cmd::Help);
    EXPECT_EQ(h.helpTopics.size(), 1u);
    form->setContextHelp(true);

    // Shift+F1, then a click: the help of what was clicked.
    h.frame()->dispatchCommand(cmd::ContextHelp);
    EXPECT_TRUE(h.frame()->inHelpMode());
    QTest::mouseClick(form->edit(380), Qt::LeftButton);
    EXPECT_FALSE(h.frame()->inHelpMode());
    EXPECT_EQ(h.helpTopics.back(), 0x10000 + 380);
    h.frame()->dispatchCommand(cmd::ContextHelp);
    QWidget* finalButton = h.frame()->mainToolBar()->widgetForAction(h.frame()->toolbarAction(cmd::Final));
    QTest::mouseClick(finalButton, Qt::LeftButton);
    EXPECT_EQ(h.helpTopics.back(), 0x10000 + cmd::Final);
    EXPECT_EQ(h.helpTopics.size(), 3u);

    h.app->OpenDocumentFile(h.writeTga("a.tga"));
    h.frame()->dispatchCommand(cmd::Help);
    EXPECT_EQ(h.helpTopics.back(), 0x20066);
    h.frame()->RouteHelpRequest(1234);
    EXPECT_EQ(h.helpTopics.back(), 1234);
}

TEST(AppShell, AboutBoxShowsTheBuildAndAnimates) {
    AppHarness h;
    h.start();
    AboutDialog about(*h.app);
    EXPECT_EQ(about.windowTitle(), "About Orvantis");
    EXPECT_EQ(about.versionLine(), QStringLiteral("Orvantis Version 4.0 (%1bit/586)").arg(sizeof(void*) * 8));
    EXPECT_TRUE(about.animating());
    // Each tick of the animation's timer shows the next frame.
    EXPECT_EQ(about.currentFrame(), 0);
    ASSERT_TRUE(processEventsUntil([&] { return about.currentFrame() != 0; }))
        << "the animation did not move";
    EXPECT_EQ(about.currentFrame(), 1);
}

TEST(AppShell, ASecondStartHandsTheFileToTheRunningProgram) {
    AppHarness h;
    const QString name = QStringLiteral("orvantis-test-%1").arg(QCoreApplication::applicationPid());
    h.start({}, 1, name);
    const std::string scene = h.dir.path("handed.ovs");
    TempDir::write(scene, "[Param]\r\nBeobXA=1\r\n");

    // The second start's side runs on a thread: it blocks until the running program answers.
    // Its time limit is only a safety net here.
    bool taken = false;
    std::atomic<bool> answered = false;
    std::thread second([&] {
        taken = SingleInstance(name).handOver(QString::fromStdString(scene), 30000);
        answered = true;
    });
    const bool done = processEventsUntil([&] { return answered && h.windowCount() > 0; });
    second.join();
    ASSERT_TRUE(done) << "the running program neither answered nor opened a window";
    EXPECT_TRUE(taken);
    ASSERT_EQ(h.windowCount(), 1u);
    EXPECT_EQ(h.activeDocument()->GetPathName(), scene);
    EXPECT_FALSE(SingleInstance(name + "-none").handOver("x", 200));
}

TEST(AppShell, DesktopFilesAndDefaultsOnlyWhereNoneExists) {
    TempDir home;
    const std::string data = home.path("data"), config = home.path("config");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", home.path("nodirs").c_str(), 1);
    setenv("XDG_DATA_DIRS", home.path("nodirs").c_str(), 1);
    std::filesystem::create_directories(config);
    TempDir::write(config + "/mimeapps.list", "[Default Applications]\nimage/x-tga=gimp.desktop\n");
    apptest::ensureApplication();
    DesktopIntegration::install("/opt/orvantis/bin/orvantis");

    const std::string entry = TempDir::read(data + "/applications/orvantis.desktop");
    EXPECT_NE(entry.find("Exec=/opt/orvantis/bin/orvantis %f"), std::string::npos);
    EXPECT_NE(TempDir::read(data + "/mime/packages/orvantis.xml").find("<glob pattern=\"*.ovs\"/>"),
              std::string::npos);
    EXPECT_EQ(DesktopIntegration::defaultApplication("image/x-tga"), "gimp.desktop");
    EXPECT_EQ(DesktopIntegration::defaultApplication("application/x-orvantis-script"), "orvantis.desktop");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CONFIG_DIRS");
    unsetenv("XDG_DATA_DIRS");
}

// A user entry would hide the one a package installed (and run a build folder's program from the menu).
TEST(AppShell, DesktopFilesLeftToAnInstalledPackage) {
    TempDir home;
    const std::string data = home.path("data");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.path("config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", home.path("nodirs").c_str(), 1);
    setenv("XDG_DATA_DIRS", home.path("nodirs").c_str(), 1);
    for (const char* dir : {"system/applications", "prefix/bin", "prefix/share/applications"})
        std::filesystem::create_directories(home.path(dir));
    TempDir::write(home.path("system/applications/orvantis.desktop"), "[Desktop Entry]\n");
    TempDir::write(home.path("prefix/share/applications/orvantis.desktop"), "[Desktop Entry]\n");
    apptest::ensureApplication();
    const std::string entry = data + "/applications/orvantis.desktop";
    auto userFiles = [&] {
        return std::filesystem::exists(entry) ||
               std::filesystem::exists(data + "/mime/packages/orvantis.xml") ||
               std::filesystem::exists(data + "/icons/hicolor/scalable/apps/orvantis.svg");
    };
    DesktopIntegration::install("/work/build/orvantis");
    ASSERT_TRUE(userFiles());

    // Then the package is installed: the build's program writes nothing and takes back what it wrote.
    setenv("XDG_DATA_DIRS", home.path("system").c_str(), 1);
    DesktopIntegration::install("/work/build/orvantis");
    EXPECT_FALSE(userFiles());
    // The installed program itself, also under a prefix the desktop does not search; an entry of the
    // user's own stays.
    setenv("XDG_DATA_DIRS", home.path("nodirs").c_str(), 1);
    TempDir::write(entry, "[Desktop Entry]\nName=Terrain\nExec=orvantis --mine %f\n");
    DesktopIntegration::install(QString::fromStdString(home.path("prefix/bin/orvantis")));
    EXPECT_EQ(TempDir::read(entry), "[Desktop Entry]\nName=Terrain\nExec=orvantis --mine %f\n");
    EXPECT_FALSE(std::filesystem::exists(data + "/mime/packages/orvantis.xml"));
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CONFIG_DIRS");
    unsetenv("XDG_DATA_DIRS");
}
