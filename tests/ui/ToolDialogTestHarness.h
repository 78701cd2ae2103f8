#pragma once
// What the tool dialog tests share: the application object, a scripted platform, the file chooser answering
// from a queue, recorded help topics, small TGA files written byte by byte, and orvantis-cli for reference
// outputs.

#include "app/Settings.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"
#include "tools/ui/ToolDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <optional>
#include <sys/wait.h>
#include <functional>
#include <string>
#include <vector>

namespace tooldlg {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// The application, platform, settings and chooser a dialog under test works with; help topics are recorded.
struct Harness {
    ScriptedPlatform platform;
    MemorySettings memory;
    SettingsStore* settings = &memory;
    QtPlatform qtPlatform;
    OrvantisApp app{memory, qtPlatform, OrvantisApp::Options{}};
    std::deque<std::optional<QString>> picks; // answers of the file chooser, in order
    std::vector<FileChooserRequest> requests;
    std::vector<int> helpTopics;

    Harness() {
        app.setHelpOpener([this](int topic) { helpTopics.push_back(topic); });
    }

    ToolDialogContext context() {
        return ToolDialogContext{app, platform, *settings,
                                 [this](QWidget*, const FileChooserRequest& r) -> std::optional<QString> {
                                     requests.push_back(r);
                                     if (picks.empty()) return std::nullopt;
                                     auto p = picks.front();
                                     picks.pop_front();
                                     return p;
                                 }};
    }
};

inline QPushButton* button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}
inline void click(QWidget* dialog, const char* name) { QTest::mouseClick(button(dialog, name), Qt::LeftButton); }

// Chooses the files through the Browse buttons: From, To and (when given) the third file.
inline void chooseFiles(Harness& h, QWidget* dialog, const std::string& from, const std::string& to,
                        const std::string& third = "") {
    h.picks.push_back(QString::fromStdString(from));
    click(dialog, "fromBrowse");
    h.picks.push_back(QString::fromStdString(to));
    click(dialog, "toBrowse");
    if (!third.empty()) {
        h.picks.push_back(QString::fromStdString(third));
        click(dialog, "thirdBrowse");
    }
}

// Runs action on the first modal dialog of type T that is shown, from that dialog's own event loop.
template <class T> void whenModal(std::function<void(T*)> action) {
    struct Watcher : QObject {
        std::function<void(T*)> action;
        bool eventFilter(QObject* object, QEvent* event) override {
            auto* dialog = event->type() == QEvent::Show ? qobject_cast<T*>(object) : nullptr;
            if (dialog && dialog->isModal()) {
                QApplication::instance()->removeEventFilter(this);
                QTimer::singleShot(0, dialog, [dialog, run = std::move(action)] { run(dialog); });
                deleteLater();
            }
            return false;
        }
    };
    auto* watcher = new Watcher;
    watcher->action = std::move(action);
    QApplication::instance()->installEventFilter(watcher);
}

// A 24-bit TGA picture, bottom row first, blue-green-red.
struct Picture {
    int width = 0, height = 0;
    std::string bgr;
    Picture(int w, int h) : width(w), height(h), bgr(static_cast<size_t>(w) * h * 3, '\0') {}
    void set(int x, int y, int b, int g, int r) {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        bgr[i] = char(b);
        bgr[i + 1] = char(g);
        bgr[i + 2] = char(r);
    }
    void setElevation(int x, int y, uint32_t e) { set(x, y, e & 0xFF, (e >> 8) & 0xFF, (e >> 16) & 0xFF); }
    void write(const std::string& path) const {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = char(width & 0xFF);
        bytes[13] = char(width >> 8);
        bytes[14] = char(height & 0xFF);
        bytes[15] = char(height >> 8);
        bytes[16] = 24;
        TempDir::write(path, bytes + bgr);
    }
};

inline bool fileExists(const std::string& path) { return std::ifstream(path).good(); }

// Runs orvantis-cli with the given arguments (each quoted); its exit status.
inline int runCli(const std::vector<std::string>& args) {
    std::string command = "'" ORVANTIS_CLI "'";
    for (const auto& a : args) command += " '" + a + "'";
    command += " >/dev/null 2>&1";
    return WEXITSTATUS(std::system(command.c_str()));
}

} // namespace tooldlg
