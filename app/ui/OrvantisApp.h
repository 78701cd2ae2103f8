#pragma once
// COrvantisApp: the application object. It makes the document templates, creates the main window,
// interprets the command line, handles the application-wide commands (New, Open, Print Setup, About,
// Options, the Calculate tools, the recent files, Exit) and supplies the file prompt that every Open and
// Save As goes through, with its filter order and remembered directories.

#include "app/ui/CommandTarget.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocTemplate;
class CDocument;
class CMainFrame;
class QDialog;
class QPrinter;
class QtPlatform;
class SettingsStore;
class SingleInstance;

class OrvantisApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // The topic of "Using Help".
    static constexpr int UsingHelpTopic = 0x20000 + 0xFFFF;

    struct Options {
        int processor = 586;             // the processor generation shown in the About box
        bool desktopIntegration = false; // write the desktop entry and the MIME type at start-up
        QString instanceName;            // the local socket of the single instance ("": none)
    };

    OrvantisApp(SettingsStore& settings, QtPlatform& platform, Options options);
    ~OrvantisApp() override;

    // Start-up: templates, main window, placement (with the show command 1 normal, 2 minimised,
    // 3 maximised), desktop integration, then the command line (the arguments after the program name).
    bool InitInstance(const QStringList& arguments, int showCommand = 1);

    SettingsStore& settings() const { return store; }
    QtPlatform& platform() const { return plat; }
    CMainFrame* mainFrame() const { return frame.get(); }
    int processor() const { return options.processor; }
    QPrinter& printer();

    // Templates in the order they are made: 103 scene, 102 image (registered), 101 flight path, 104 render.
    CDocTemplate* docTemplate(int resourceId) const;
    std::vector<CDocTemplate*> registeredTemplates() const;

    // Opens path as a document of the type its extension names (an open document of that path is
    // activated instead); nullptr when it fails, after one message with the reason (a file that does not
    // exist, or the document's own message).
    CDocument* OpenDocumentFile(const std::string& path);
    // The File menu's Open: the prompt, then the document.
    void OnFileOpen();
    void OnFileNew();

    // The file prompt of every Open and Save As. fileName is the proposed name on entry and the chosen
    // path on return; tmpl is the document's template for Save As (its filter first).
    bool DoPromptFileName(std::string& fileName, const QString& title, bool open, CDocTemplate* tmpl);

    // Recent-file list: four entries, "Recent File List" / "File1".."File4".
    const std::vector<std::string>& recentFiles() const { return mru; }
    void AddToRecentFileList(const std::string& path);

    // Leaving the application: every modified document is asked to save (scenes and images first, then
    // the flight path and rendering windows); false when one refuses.
    bool SaveAllModified();
    void CloseAllDocuments();

    // Help: opens a topic of the user guide (0: its contents).
    void OpenHelpTopic(int topic);
    void setHelpOpener(std::function<void(int topic)> opener) { helpOpener = std::move(opener); }

    // Every modal dialog the application shows runs through this (tests drive the dialogs here).
    int runDialog(QDialog& dialog);
    void setDialogRunner(std::function<int(QDialog&)> runner) { dialogRunner = std::move(runner); }

    void OnAppAbout();
    void OnOptions();

private:
    void makeTemplates();
    void loadRecentFiles();
    void saveRecentFiles();
    void openRecentFile(int index);
    void openHandedOverFile(const QString& path);

    SettingsStore& store;
    QtPlatform& plat;
    Options options;
    std::vector<std::unique_ptr<CDocTemplate>> templates;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<QPrinter> sharedPrinter;
    std::unique_ptr<SingleInstance> instance;
    std::vector<std::string> mru;
    std::function<void(int)> helpOpener;
    std::function<int(QDialog&)> dialogRunner;
};
