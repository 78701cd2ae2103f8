#include "app/ui/OrvantisApp.h"

#include "app/Settings.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/DesktopIntegration.h"
#include "app/ui/Document.h"
#include "app/ui/HelpSystem.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OptionsDialog.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/UiRegistry.h"
#include "image/ui/TGADocument.h"
#include "image/ui/TGAView.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisDoc.h"
#include "scene/ui/OrvantisView.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>

#include <algorithm>

namespace {
std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
} // namespace

OrvantisApp::OrvantisApp(SettingsStore& settings, QtPlatform& platform, Options opts)
    : store(settings), plat(platform), options(std::move(opts)) {
    onCommand(cmd::AppAbout, [this] { OnAppAbout(); });
    onCommand(cmd::FileOpen, [this] { OnFileOpen(); });
    onCommand(cmd::FileNew, [this] { OnFileNew(); });
    onCommand(cmd::FilePrintSetup, [this] {
        QPageSetupDialog dlg(&printer(), frame.get());
        runDialog(dlg);
    });
    onCommand(cmd::Options, [this] { OnOptions(); });
    onCommand(cmd::AppExit, [this] { frame->close(); });
    for (int i = 0; i < cmd::FileMruCount; ++i)
        onCommand(
            cmd::FileMru1 + i, [this, i] { openRecentFile(i); },
            [this, i](CommandState& s) { s.enabled = static_cast<size_t>(i) < mru.size(); });
    // The tools: a command whose dialog is not part of this build has no handler and stays disabled.
    for (int id : cmd::toolCommands)
        if (const ToolCommandRunner* run = ui_registry::toolRunner(id))
            onCommand(id, [this, run, id] { (*run)(*this, id); });
    // File > Import Elevation: only in a build with the raster import.
    if (const ToolCommandRunner* run = ui_registry::toolRunner(cmd::ImportElevation))
        onCommand(cmd::ImportElevation, [this, run] { (*run)(*this, cmd::ImportElevation); });
}

OrvantisApp::~OrvantisApp() {
    instance.reset();
    if (frame) {
        // Whatever is still open goes without questions: the questions were asked when the window closed.
        CloseAllDocuments();
        frame.reset();
    }
    // Documents go before their templates.
    for (const auto& t : templates) {
        const std::vector<CDocument*> docs = t->documents();
        for (CDocument* d : docs) delete d;
    }
}

QPrinter& OrvantisApp::printer() {
    if (!sharedPrinter) sharedPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *sharedPrinter;
}

bool OrvantisApp::InitInstance(const QStringList& arguments, int showCommand) {
    loadRecentFiles();
    makeTemplates();

    frame = std::make_unique<CMainFrame>(*this);
    plat.setParentWidget(frame.get());
    frame->restorePlacement(showCommand);

    if (options.desktopIntegration) DesktopIntegration::install(QCoreApplication::applicationFilePath());
    if (!options.instanceName.isEmpty()) {
        instance = std::make_unique<SingleInstance>(options.instanceName);
        connect(instance.get(), &SingleInstance::fileReceived, this, &OrvantisApp::openHandedOverFile);
        instance->listen();
    }

    // The command line: nothing for none, nothing for -e or /e; otherwise everything is one path.
    const QString line = arguments.join(QLatin1Char(' '));
    if (line.isEmpty()) return true;
    if (line.size() >= 2 && (line[0] == '-' || line[0] == '/') && (line[1] == 'e' || line[1] == 'E'))
        return true;
    OpenDocumentFile(line.toStdString());
    return true;
}

void OrvantisApp::makeTemplates() {
    templates.push_back(std::make_unique<CDocTemplate>(
        103, QString::fromLatin1(LoadString(IDS_DOCSTRING_SCENE)),
        [](OrvantisApp& app) -> CDocument* { return new COrvantisDoc(app); },
        [](CDocument* doc) -> CView* { return new COrvantisView(static_cast<COrvantisDoc*>(doc)); }));
    templates.push_back(std::make_unique<CDocTemplate>(
        102, QString::fromLatin1(LoadString(IDS_DOCSTRING_IMAGE)),
        [](OrvantisApp& app) -> CDocument* { return new CTGADocument(app); },
        [](CDocument* doc) -> CView* { return new CTGAView(static_cast<CTGADocument*>(doc)); }));
    for (int id : {101, 104}) {
        CDocTemplate::DocumentFactory d;
        CDocTemplate::ViewFactory v;
        ui_registry::heldTemplate(id, d, v);
        templates.push_back(std::make_unique<CDocTemplate>(id, QString(), d, v));
    }
}

CDocTemplate* OrvantisApp::docTemplate(int resourceId) const {
    for (const auto& t : templates)
        if (t->resourceId() == resourceId) return t.get();
    return nullptr;
}

std::vector<CDocTemplate*> OrvantisApp::registeredTemplates() const {
    return {docTemplate(103), docTemplate(102)};
}

CDocument* OrvantisApp::OpenDocumentFile(const std::string& path) {
    const QString full = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    // A document already open under that name is activated.
    for (CDocTemplate* t : registeredTemplates())
        for (CDocument* d : t->documents())
            if (QString::fromStdString(d->GetPathName()) == full) {
                if (CView* v = d->firstView())
                    if (v->frame()) frame->mdiArea()->setActiveSubWindow(v->frame());
                return d;
            }
    // A name that leads nowhere is said so, once, before any document tries it.
    if (!QFileInfo::exists(full)) {
        plat.message(FormatString(IDS_FILE_DOES_NOT_EXIST, path.c_str()), MsgIcon::Stop, MsgButtons::Ok);
        return nullptr;
    }
    // The type is chosen by the extension; a name of no known type is tried as the first type.
    const std::string ext = lower(QFileInfo(full).suffix().prepend('.').toStdString());
    CDocTemplate* chosen = nullptr;
    for (CDocTemplate* t : registeredTemplates())
        if (lower(t->GetDocString(CDocTemplate::filterExt).toStdString()) == ext) chosen = t;
    if (!chosen) chosen = registeredTemplates().front();
    return chosen->OpenDocumentFile(*this, path);
}

void OrvantisApp::OnFileNew() {
    // The scene is the only type with a File New name: a new scene is made at once.
    for (CDocTemplate* t : registeredTemplates())
        if (!t->GetDocString(CDocTemplate::fileNewName).isEmpty()) {
            t->OpenDocumentFile(*this, std::string());
            return;
        }
}

void OrvantisApp::OnFileOpen() {
    std::string name;
    if (!DoPromptFileName(name, QString::fromLatin1(LoadString(IDS_OPEN_TITLE)), true, nullptr)) return;
    OpenDocumentFile(name);
}

bool OrvantisApp::DoPromptFileName(std::string& fileName, const QString& title, bool open,
                                   CDocTemplate* tmpl) {
    QFileDialog dlg(frame.get(), title);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    QStringList filters;
    QStringList suffixes; // the default extension that goes with each filter
    auto addFilter = [&](const QString& name, const QString& ext) {
        filters << name;
        suffixes << ext;
    };
    if (!open && tmpl) {
        const QString ext = tmpl->GetDocString(CDocTemplate::filterExt);
        addFilter(tmpl->GetDocString(CDocTemplate::filterName), ext.mid(1));
        if (ext.compare(QStringLiteral(".tga"), Qt::CaseInsensitive) == 0)
            addFilter(QString::fromLatin1(LoadString(IDS_FILTER_YUV)), QStringLiteral("yuv"));
        dlg.setDefaultSuffix(ext.mid(1));
    } else if (open) {
        const std::string last = lower(store.getString("Recent File Load", "Name", ".ovs"));
        std::vector<CDocTemplate*> ordered;
        for (CDocTemplate* t : registeredTemplates())
            if (lower(t->GetDocString(CDocTemplate::filterExt).toStdString()) == last) ordered.push_back(t);
        for (CDocTemplate* t : registeredTemplates())
            if (lower(t->GetDocString(CDocTemplate::filterExt).toStdString()) != last) ordered.push_back(t);
        for (CDocTemplate* t : ordered)
            addFilter(t->GetDocString(CDocTemplate::filterName),
                      t->GetDocString(CDocTemplate::filterExt).mid(1));
    }
    addFilter(QString::fromLatin1(LoadString(IDS_FILTER_ALL)), QString());
    dlg.setNameFilters(filters);
    dlg.selectNameFilter(filters.front());
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, filters, suffixes](const QString& f) {
        const qsizetype i = filters.indexOf(f);
        if (i >= 0 && !suffixes[i].isEmpty()) dlg.setDefaultSuffix(suffixes[i]);
    });

    // The remembered directory becomes the current one before the dialog and is stored back after it,
    // whether the dialog was confirmed or cancelled.
    const char* key = open ? "Open" : "Save";
    const std::string remembered = store.getString("Directories", key, "");
    if (!remembered.empty()) QDir::setCurrent(QString::fromStdString(remembered));
    dlg.setDirectory(QDir::currentPath());
    if (!fileName.empty()) dlg.selectFile(QString::fromStdString(fileName));

    const int result = runDialog(dlg);
    const QString visited = dlg.directory().absolutePath();
    if (QDir(visited).exists()) QDir::setCurrent(visited);
    store.writeString("Directories", key, QDir::currentPath().toStdString());

    if (result != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    fileName = QFileInfo(dlg.selectedFiles().front()).absoluteFilePath().toStdString();
    return true;
}

int OrvantisApp::runDialog(QDialog& dialog) {
    if (dialogRunner) return dialogRunner(dialog);
    return dialog.exec();
}

// ---- recent files -----------------------------------------------------------------------------------------

void OrvantisApp::loadRecentFiles() {
    mru.clear();
    for (int i = 1; i <= cmd::FileMruCount; ++i) {
        std::string f = store.getString("Recent File List", "File" + std::to_string(i), "");
        if (!f.empty()) mru.push_back(f);
    }
}

void OrvantisApp::saveRecentFiles() {
    for (int i = 1; i <= cmd::FileMruCount; ++i) {
        const size_t k = static_cast<size_t>(i - 1);
        store.writeString("Recent File List", "File" + std::to_string(i),
                          k < mru.size() ? mru[k] : std::string());
    }
}

void OrvantisApp::AddToRecentFileList(const std::string& path) {
    if (path.empty()) return;
    mru.erase(std::remove(mru.begin(), mru.end(), path), mru.end());
    mru.insert(mru.begin(), path);
    if (mru.size() > static_cast<size_t>(cmd::FileMruCount)) mru.resize(cmd::FileMruCount);
    saveRecentFiles();
}

void OrvantisApp::openRecentFile(int index) {
    if (static_cast<size_t>(index) >= mru.size()) return;
    const std::string path = mru[static_cast<size_t>(index)];
    if (!OpenDocumentFile(path)) {
        // An entry that no longer opens leaves the list.
        mru.erase(mru.begin() + index);
        saveRecentFiles();
    }
}

// ---- leaving ----------------------------------------------------------------------------------------------

bool OrvantisApp::SaveAllModified() {
    for (int id : {103, 102, 101, 104}) {
        CDocTemplate* t = docTemplate(id);
        if (!t) continue;
        const std::vector<CDocument*> docs = t->documents();
        for (CDocument* d : docs)
            if (!d->SaveModified()) return false;
    }
    return true;
}

void OrvantisApp::CloseAllDocuments() {
    for (const auto& t : templates) {
        const std::vector<CDocument*> docs = t->documents();
        for (CDocument* d : docs) d->OnCloseDocument();
    }
}

// ---- dialogs and help -------------------------------------------------------------------------------------

void OrvantisApp::OnAppAbout() {
    AboutDialog dlg(*this, frame.get());
    runDialog(dlg);
}

void OrvantisApp::OnOptions() {
    OptionsDialog dlg(*this, frame.get());
    runDialog(dlg);
}

void OrvantisApp::OpenHelpTopic(int topic) {
    if (helpOpener)
        helpOpener(topic);
    else
        HelpSystem::openTopic(topic);
}

void OrvantisApp::openHandedOverFile(const QString& path) {
    if (!frame) return;
    if (frame->isMinimized()) frame->showNormal();
    frame->raise();
    frame->activateWindow();
    OpenDocumentFile(path.toStdString());
}
