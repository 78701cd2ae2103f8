#pragma once
// What the application tests share: a QApplication made once, the application object on a settings file
// of its own (ORVANTIS_INI in a fresh folder), message boxes answered from a queue and recorded, help
// topics recorded instead of opened, and every modal dialog handed to the test's driver.

#include "app/IniSettings.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Document.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/TGAFile.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMdiArea>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

inline void flushDeletes() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Shown {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
};

struct AppHarness {
    TempDir dir;
    std::string iniPath = dir.path("orvantis.ini");
    std::unique_ptr<IniSettings> settings;
    QtPlatform platform;
    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;
    std::vector<int> helpTopics;
    // Runs every modal dialog; the default cancels it.
    std::function<int(QDialog&)> driver = [](QDialog&) { return int(QDialog::Rejected); };
    std::unique_ptr<OrvantisApp> app;
    QString savedCwd = QDir::currentPath();

    AppHarness() {
        ensureApplication();
        setenv("ORVANTIS_INI", iniPath.c_str(), 1);
        settings = std::make_unique<IniSettings>(iniPath);
        platform.setAnswerer([this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
            shown.push_back({text, icon, buttons});
            if (!answers.empty()) {
                MsgAnswer a = answers.front();
                answers.pop_front();
                return a;
            }
            return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
                   : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                                  : MsgAnswer::Cancel;
        });
    }
    ~AppHarness() {
        if (app) {
            // Leave without questions: every document is closed as it stands.
            app->CloseAllDocuments();
            flushDeletes();
            app.reset();
        }
        flushDeletes();
        QDir::setCurrent(savedCwd);
    }

    OrvantisApp& start(const QStringList& args = {}, int showCommand = 1,
                       const QString& instanceName = QString()) {
        OrvantisApp::Options options;
        options.processor = 586;
        options.instanceName = instanceName;
        app = std::make_unique<OrvantisApp>(*settings, platform, options);
        app->setHelpOpener([this](int topic) { helpTopics.push_back(topic); });
        app->setDialogRunner([this](QDialog& d) { return driver(d); });
        app->InitInstance(args, showCommand);
        QApplication::processEvents();
        return *app;
    }

    CMainFrame* frame() const { return app->mainFrame(); }
    CView* activeView() const { return frame()->activeView(); }
    CDocument* activeDocument() const { return activeView() ? activeView()->GetDocument() : nullptr; }
    size_t windowCount() const { return frame()->childFrames().size(); }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const Shown& s : shown) t.push_back(s.text);
        return t;
    }

    // A small TGA picture written through the image document.
    std::string writeTga(const std::string& name, int width = 4, int height = 3, uint8_t level = 128) const {
        SilentPlatform silent;
        CTGAFile tga(silent);
        tga.CreateImage(width, height);
        tga.FillGray(level);
        const std::string path = dir.path(name);
        tga.SaveImage(path);
        return path;
    }
};

} // namespace apptest
