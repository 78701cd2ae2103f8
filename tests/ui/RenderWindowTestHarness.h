#pragma once
// The desktop application as the render tests drive it: a fresh settings file and temporary folder per test
// (ORVANTIS_INI, TMPDIR), message boxes answered from a queue and recorded, scene windows filled through
// their edits, and a way to act while a render runs (the run lets events through, so a zero-delay timer
// fires inside it).

#include "app/IniSettings.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/TGAFile.h"
#include "render/ui/RenderingView.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisDoc.h"
#include "scene/ui/OrvantisView.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace render_test {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// An elevation file of size x size pixels: a round hill (heights up to peak) on a slope.
inline void writeElevation(const std::string& path, int size = 96, int peak = 600) {
    SilentPlatform silent;
    CTGAFile elev(silent);
    ASSERT_TRUE(elev.CreateImage(size, size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x - size * 0.55, dy = y - size * 0.45;
            const double hill = peak * std::exp(-(dx * dx + dy * dy) / (size * size * 0.05));
            const auto h = static_cast<uint32_t>(hill + 2.0 * x);
            uint8_t* p = elev.pixelAt(x, y);
            p[0] = uint8_t(h & 0xFF);         // blue: low byte
            p[1] = uint8_t((h >> 8) & 0xFF);  // green: middle byte
            p[2] = uint8_t((h >> 16) & 0xFF); // red: high byte
        }
    ASSERT_TRUE(elev.SaveImage(path));
}

// A plain picture of the given size: colour bands, so that it is not uniform.
inline void writePicture(const std::string& path, int width, int height) {
    SilentPlatform silent;
    CTGAFile pic(silent);
    ASSERT_TRUE(pic.CreateImage(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = pic.pixelAt(x, y);
            p[0] = uint8_t(x * 7);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t(128 + (x + y) % 100);
        }
    ASSERT_TRUE(pic.SaveImage(path));
}

class Harness : public ::testing::Test {
protected:
    struct Shown {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    void SetUp() override {
        ensureApplication();
        std::filesystem::create_directories(dir.path("tmp"));
        if (const char* t = std::getenv("TMPDIR")) savedTmp = std::string(t);
        setenv("TMPDIR", dir.path("tmp").c_str(), 1);
        setenv("ORVANTIS_INI", dir.path("orvantis.ini").c_str(), 1);
        settings = std::make_unique<IniSettings>();
        platform.setAnswerer([this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
            shown.push_back({text, icon, buttons});
            if (onMessage) onMessage(text);
            if (!answers.empty()) {
                MsgAnswer a = answers.front();
                answers.pop_front();
                return a;
            }
            return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
        });
        elevationPath = dir.path("elevation.tga");
        writeElevation(elevationPath);
        app = std::make_unique<OrvantisApp>(*settings, platform, OrvantisApp::Options{});
        ASSERT_TRUE(app->InitInstance({}));
    }

    void TearDown() override {
        // Every window goes without questions.
        for (ChildFrame* f : app->mainFrame()->childFrames()) f->closeWithoutAsking();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.reset();
        if (savedTmp)
            setenv("TMPDIR", savedTmp->c_str(), 1);
        else
            unsetenv("TMPDIR");
        unsetenv("ORVANTIS_INI");
    }

    // A new scene window; the scene renders size x size... pixels of the test terrain into dir/out/.
    COrvantisView* newScene() {
        auto* doc = static_cast<COrvantisDoc*>(app->docTemplate(103)->OpenDocumentFile(*app, ""));
        return doc ? doc->form() : nullptr;
    }
    static void type(COrvantisView* form, int id, const std::string& text) {
        form->edit(id)->setText(QString::fromStdString(text));
    }
    // A small scene looking at the hill: width x height pixels, grid divisions, frames 0 .. to of total.
    COrvantisView* smallScene(int width = 80, int height = 60, int grid = 24, int total = 3, int to = 2) {
        COrvantisView* form = newScene();
        std::filesystem::create_directories(dir.path("out"));
        type(form, 343, elevationPath);
        type(form, 374, dir.path("out") + "/frame%03d.tga");
        type(form, 379, std::to_string(width));
        type(form, 380, std::to_string(height));
        type(form, 348, std::to_string(grid));
        type(form, 349, std::to_string(grid));
        type(form, 387, std::to_string(total));
        type(form, 386, std::to_string(to));
        // From beside the terrain towards the hill, lit from above.
        type(form, 327, "-10");
        type(form, 329, "-10");
        type(form, 331, "90");
        type(form, 366, "-35");
        type(form, 328, "-5");
        type(form, 330, "-5");
        type(form, 332, "85");
        type(form, 351, "45");
        type(form, 367, "-33");
        type(form, 356, "-0.6");
        type(form, 357, "0.8");
        type(form, 358, "2");
        return form;
    }

    // The scene window's own launch (its values taken and checked first); the new rendering window, or
    // nullptr when none was made.
    CRenderingView* launch(COrvantisView* form, RenderMode mode) {
        const size_t before = renderDocuments().size();
        form->LaunchRender(static_cast<int>(mode));
        const auto docs = renderDocuments();
        return docs.size() > before ? dynamic_cast<CRenderingView*>(docs.back()->firstView()) : nullptr;
    }

    // The job files waiting in the temporary folder.
    std::vector<std::string> jobFiles() const {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(dir.path("tmp")))
            if (e.path().filename().string().rfind("ORVA", 0) == 0) found.push_back(e.path().string());
        return found;
    }
    std::vector<std::string> outputFiles() const {
        std::vector<std::string> found;
        if (!std::filesystem::exists(dir.path("out"))) return found;
        for (const auto& e : std::filesystem::directory_iterator(dir.path("out")))
            found.push_back(e.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    // Runs action once, inside the next render run (the first time the run lets events through).
    void duringRun(std::function<void()> action) {
        QTimer::singleShot(0, app.get(), [this, action = std::move(action)] {
            ranDuringRun = renderingView() != nullptr && renderingView()->isRunning();
            action();
        });
    }

    std::vector<CDocument*> renderDocuments() const { return app->docTemplate(104)->documents(); }
    CRenderingView* renderingView() const {
        const auto docs = renderDocuments();
        return docs.empty() ? nullptr : dynamic_cast<CRenderingView*>(docs.back()->firstView());
    }
    // Lets closed windows go.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    bool wasShown(const std::string& text) const {
        for (const Shown& s : shown)
            if (s.text == text) return true;
        return false;
    }

    TempDir dir;
    std::optional<std::string> savedTmp;
    std::string elevationPath;
    std::unique_ptr<IniSettings> settings;
    QtPlatform platform;
    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
    std::function<void(const std::string&)> onMessage;
    std::unique_ptr<OrvantisApp> app;
    bool ranDuringRun = false;
};

} // namespace render_test
