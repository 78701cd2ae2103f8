#include "app/ui/Document.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "res/StringTable.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

// ---- CView
// -------------------------------------------------------------------------------------------------

CView::~CView() {
    if (document) document->RemoveView(this);
}

// ---- CDocument
// ---------------------------------------------------------------------------------------------

CDocument::CDocument(OrvantisApp& app) : QObject(&app), application(app) {
    onCommand(cmd::FileSave, [this] { DoFileSave(); });
    onCommand(cmd::FileSaveAs, [this] { DoSave(std::string(), true); });
    onCommand(cmd::FileClose, [this] {
        // Closing the document closes all of its windows, after the same checks as closing its last one.
        if (!viewList.empty() && !CanCloseFrame(nullptr)) return;
        OnCloseDocument();
    });
}

CDocument::~CDocument() {
    if (docTemplate) docTemplate->RemoveDocument(this);
}

bool CDocument::OnNewDocument() {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path) {
    // The base only proves that the file can be read; documents read their content themselves.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        application.platform().message(
            FormatString(IDS_CANNOT_OPEN_FILE_BECAUSE, path.c_str(), std::strerror(errno)), MsgIcon::Stop,
            MsgButtons::Ok);
        return false;
    }
    std::fclose(f);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string&) {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::SaveModified() {
    if (!IsModified()) return true;
    QString name = pathName.empty() ? title : QFileInfo(QString::fromStdString(pathName)).fileName();
    const std::string text = FormatString(IDS_SAVE_CHANGES_TO, name.toStdString().c_str());
    switch (application.platform().message(text, MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes:
        return DoFileSave();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CDocument::CanCloseFrame(ChildFrame* frame) {
    // Only the closing of the last window of a document asks to save it.
    int others = 0;
    for (CView* v : viewList)
        if (v->frame() != frame) ++others;
    if (frame && others > 0) return true;
    return SaveModified();
}

void CDocument::OnCloseDocument() {
    if (closing) return;
    closing = true;
    // Closing the last frame deletes the document (see ChildFrame); close them all without asking.
    std::vector<ChildFrame*> frames;
    for (CView* v : viewList)
        if (v->frame()) frames.push_back(v->frame());
    if (frames.empty()) {
        deleteLater();
        return;
    }
    for (ChildFrame* f : frames) f->closeWithoutAsking();
}

bool CDocument::DoSave(const std::string& path, bool replace) {
    std::string newName = path;
    if (newName.empty()) {
        newName = pathName;
        if (newName.empty()) {
            // An untitled document proposes its title with the template's extension.
            newName = title.toStdString();
            if (docTemplate) {
                const QString ext = docTemplate->GetDocString(CDocTemplate::filterExt);
                if (!ext.isEmpty() && !title.contains('.')) newName += ext.toStdString();
            }
        }
        if (!application.DoPromptFileName(newName, QString::fromLatin1(LoadString(IDS_SAVE_AS_TITLE)), false,
                                          docTemplate))
            return false;
    }
    if (!OnSaveDocument(newName)) return false;
    if (replace) SetPathName(newName);
    return true;
}

bool CDocument::DoFileSave() {
    return DoSave(pathName, pathName.empty());
}

void CDocument::SetPathName(const std::string& path, bool addToMru) {
    QFileInfo info(QString::fromStdString(path));
    pathName = info.absoluteFilePath().toStdString();
    SetTitle(info.fileName());
    if (addToMru) application.AddToRecentFileList(pathName);
}

void CDocument::SetTitle(const QString& t) {
    title = t;
    for (CView* v : viewList)
        if (v->frame()) v->frame()->updateTitle();
    emit titleChanged();
}

void CDocument::SetModifiedFlag(bool m) {
    if (modified == m) return;
    modified = m;
    for (CView* v : viewList)
        if (v->frame()) v->frame()->updateTitle();
    emit modifiedChanged(m);
}

void CDocument::AddView(CView* view) {
    viewList.push_back(view);
    view->document = this;
}

void CDocument::RemoveView(CView* view) {
    viewList.erase(std::remove(viewList.begin(), viewList.end(), view), viewList.end());
    view->document = nullptr;
    // A document without windows is gone: it leaves its template's list at once and is deleted soon.
    if (viewList.empty()) {
        if (docTemplate) docTemplate->RemoveDocument(this);
        deleteLater();
    }
}

void CDocument::UpdateAllViews(CView* sender) {
    for (CView* v : viewList)
        if (v != sender) v->OnUpdate(sender);
}

// ---- CDocTemplate
// ------------------------------------------------------------------------------------------

CDocTemplate::CDocTemplate(int resourceId, QString docStr, DocumentFactory d, ViewFactory v)
    : resource(resourceId), docString(std::move(docStr)), makeDocument(std::move(d)), makeView(std::move(v)) {
}

QString CDocTemplate::GetDocString(DocStringIndex index) const {
    const QStringList fields = docString.split('\n');
    return index < fields.size() ? fields[index] : QString();
}

void CDocTemplate::setFactories(DocumentFactory d, ViewFactory v) {
    makeDocument = std::move(d);
    makeView = std::move(v);
}

void CDocTemplate::AddDocument(CDocument* d) {
    d->docTemplate = this;
    docs.push_back(d);
}

void CDocTemplate::RemoveDocument(CDocument* d) {
    docs.erase(std::remove(docs.begin(), docs.end(), d), docs.end());
    d->docTemplate = nullptr;
}

ChildFrame* CDocTemplate::CreateNewFrame(CDocument* doc) {
    CView* view = makeView(doc);
    if (!view) return nullptr;
    doc->AddView(view);
    auto* frame = new ChildFrame(doc->app(), view, resource);
    return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(OrvantisApp& app, const std::string& path, bool makeVisible) {
    if (!canCreate()) return nullptr;
    CDocument* doc = makeDocument(app);
    if (!doc) return nullptr;
    AddDocument(doc);
    ChildFrame* frame = CreateNewFrame(doc);
    if (!frame) {
        delete doc;
        return nullptr;
    }
    if (path.empty()) {
        ++untitledCount;
        QString name = GetDocString(docName);
        if (name.isEmpty())
            name = QString::fromLatin1(LoadString(IDS_UNTITLED));
        else
            name += QString::number(untitledCount);
        doc->SetTitle(name);
        if (!doc->OnNewDocument()) {
            frame->closeWithoutAsking();
            --untitledCount;
            return nullptr;
        }
    } else {
        doc->SetTitle(QFileInfo(QString::fromStdString(path)).fileName());
        if (!doc->OnOpenDocument(path)) {
            frame->closeWithoutAsking();
            return nullptr;
        }
        doc->SetPathName(path);
    }
    app.mainFrame()->addChildFrame(frame);
    for (CView* v : doc->views()) v->OnInitialUpdate();
    if (makeVisible) frame->showInitially();
    return doc;
}
