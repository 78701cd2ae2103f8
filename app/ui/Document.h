#pragma once
// The document/view layer of the desktop application: a document owns data, its views show it in MDI child
// windows, and a document template binds a resource id (menu, document string) to the classes that make the
// document and its view. Plain and small on purpose: what the program's windows need and nothing more.

#include "app/ui/CommandTarget.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocTemplate;
class CDocument;
class ChildFrame;
class OrvantisApp;
class QWidget;

// A view: the client widget of one MDI child window. View classes derive from a QWidget class and CView.
class CView : public CommandTarget {
public:
    virtual ~CView();

    CDocument* GetDocument() const { return document; }
    virtual QWidget* widget() = 0;

    // Called once after the document has been loaded or made, before the window is shown.
    virtual void OnInitialUpdate() {}
    // The document changed (sender: the view that changed it, or none).
    virtual void OnUpdate(CView* /*sender*/) {}
    // Asked before the window closes (image views forward the render's busy flag here).
    virtual bool CanCloseRendering() { return true; }
    // The rendering window answers true and stops its run on RequestStop ("Stop rendering").
    virtual bool IsRenderingView() const { return false; }
    virtual void RequestStop() {}
    // True while a render runs in the view: "Stop rendering" applies only then.
    virtual bool IsRendering() const { return false; }

    // The help topic of an F1 request in this view: a topic number, 0 when the view handles the request by
    // doing nothing, or -1 when it does not handle it.
    virtual int HelpTopic() { return -1; }

    ChildFrame* frame() const { return childFrame; }

private:
    friend class CDocument;
    friend class ChildFrame;
    CDocument* document = nullptr;
    ChildFrame* childFrame = nullptr;
};

class CDocument : public QObject, public CommandTarget {
    Q_OBJECT
public:
    explicit CDocument(OrvantisApp& app);
    ~CDocument() override;

    OrvantisApp& app() const { return application; }
    CDocTemplate* GetDocTemplate() const { return docTemplate; }

    // Life of a document (the framework's hooks; documents override them).
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path);
    virtual bool OnSaveDocument(const std::string& path);
    // "Save changes to %1?" when modified: Yes saves, No discards, Cancel refuses. True: may close.
    virtual bool SaveModified();
    // Asked when frame is about to close: for the last frame of the document, SaveModified.
    virtual bool CanCloseFrame(ChildFrame* frame);
    // Closes every window of the document without asking; the document is then deleted.
    void OnCloseDocument();

    // Save As when path is empty or replace is set with a prompt; else saves under path.
    bool DoSave(const std::string& path, bool replace = true);
    bool DoFileSave();

    const std::string& GetPathName() const { return pathName; }
    void SetPathName(const std::string& path, bool addToMru = true);
    QString GetTitle() const { return title; }
    void SetTitle(const QString& t);

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool m = true);

    const std::vector<CView*>& views() const { return viewList; }
    CView* firstView() const { return viewList.empty() ? nullptr : viewList.front(); }
    void AddView(CView* view);
    void RemoveView(CView* view);
    void UpdateAllViews(CView* sender);

signals:
    void titleChanged();
    void modifiedChanged(bool modified);

private:
    friend class CDocTemplate;
    OrvantisApp& application;
    CDocTemplate* docTemplate = nullptr;
    std::string pathName;
    QString title;
    bool modified = false;
    bool closing = false;
    std::vector<CView*> viewList;
};

// Binds a resource id to a document class and a view class. Registered templates take part in File New and
// in the Open dialog's filters; the others are held by the application for the windows that the program
// opens itself (the flight path editor, the rendering window).
class CDocTemplate {
public:
    using DocumentFactory = std::function<CDocument*(OrvantisApp&)>;
    using ViewFactory = std::function<CView*(CDocument*)>;

    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };

    CDocTemplate(int resourceId, QString docString, DocumentFactory makeDocument, ViewFactory makeView);

    int resourceId() const { return resource; }
    // A field of the document string ("\n"-separated); empty when absent.
    QString GetDocString(DocStringIndex index) const;

    // Makes a document with its window and view: a new, untitled one when path is empty, else one read from
    // path. Returns nullptr when the document could not be made or read (nothing is left behind).
    CDocument* OpenDocumentFile(OrvantisApp& app, const std::string& path, bool makeVisible = true);
    // Makes one more child window with a view on an existing document.
    ChildFrame* CreateNewFrame(CDocument* doc);

    bool canCreate() const { return static_cast<bool>(makeDocument) && static_cast<bool>(makeView); }
    void setFactories(DocumentFactory d, ViewFactory v);

    const std::vector<CDocument*>& documents() const { return docs; }
    void AddDocument(CDocument* d);
    void RemoveDocument(CDocument* d);

private:
    int resource;
    QString docString;
    DocumentFactory makeDocument;
    ViewFactory makeView;
    int untitledCount = 0;
    std::vector<CDocument*> docs;
};
