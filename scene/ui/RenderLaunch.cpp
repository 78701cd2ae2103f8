#include "scene/ui/RenderLaunch.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "render/JobFile.h"
#include "render/ui/RenderingView.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisView.h"

#include <QPointer>

#include <memory>

namespace {

struct RegisterLauncher {
    RegisterLauncher() {
        COrvantisView::setRenderLauncher(
            [](COrvantisView& form, int mode) { LaunchRender(form, static_cast<RenderMode>(mode)); });
    }
} registerLauncher;

} // namespace

CRenderingView* LaunchRender(COrvantisView& form, RenderMode mode, FrameSink* sink) {
    CDocument* sceneDoc = form.GetDocument();
    if (!sceneDoc) return nullptr;
    OrvantisApp& app = sceneDoc->app();
    const bool wasModified = sceneDoc->IsModified();

    // The job: the key order of the scene's file (every key empty for a scene never saved) with the form's
    // values written over it and exactly its current path points. Relative file names are the scene file's
    // neighbours, as everywhere else: the job names them with the scene's folder (a scene never saved has
    // none, and its names are taken as they stand).
    CSceneParams values = form.scene;
    if (const std::string folder = form.sceneFolder(); !folder.empty())
        ResolveSceneRelativePaths(values, folder);
    std::unique_ptr<JobFile> job = JobFile::Create(values, sceneDoc->GetPathName());
    if (!job) {
        app.platform().message(FormatString(IDS_CANNOT_CREATE_JOB, JobFile::TempFolder().c_str()),
                               MsgIcon::Stop, MsgButtons::Ok);
        return nullptr;
    }

    // The render document takes its picture size from here when its view is first updated (the job holds
    // the same whole numbers).
    RenderOutputSize& size = RenderOutputSize::of(app);
    size.width = values.SizeX;
    size.height = values.SizeY;

    CDocTemplate* tmpl = app.docTemplate(104);
    CDocument* doc = tmpl ? tmpl->OpenDocumentFile(app, std::string()) : nullptr;
    auto* view = doc ? dynamic_cast<CRenderingView*>(doc->firstView()) : nullptr;
    if (!view) {
        if (doc) doc->OnCloseDocument();
        return nullptr; // the job file goes with its object
    }

    QPointer<COrvantisView> launchingForm(&form);
    QPointer<CRenderingView> window(view);
    view->AttachForm(&form);
    if (view->frame()) view->frame()->setReturnFrame(form.frame());
    form.renderWindowOpen = 1;
    view->RunJob(job->path(), mode, sceneDoc->GetPathName(), sink);

    if (launchingForm)
        if (CDocument* d = launchingForm->GetDocument()) d->SetModifiedFlag(wasModified);
    return window.data();
}
