#include "path/ui/PathEditorLaunch.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "path/ui/PathDoc.h"
#include "path/ui/PathView.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisView.h"

#include <cstdio>
#include <string>

namespace {

bool opensForReading(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

struct RegisterLauncher {
    RegisterLauncher() {
        COrvantisView::setPathEditorLauncher([](COrvantisView& form) { OpenPathEditor(form); });
    }
} registerLauncher;

} // namespace

CPathView* OpenPathEditor(COrvantisView& form) {
    CDocument* sceneDoc = form.GetDocument();
    if (!sceneDoc) return nullptr;
    OrvantisApp& app = sceneDoc->app();
    // A field that does not read has shown its message and holds the focus.
    if (!form.takeValues()) return nullptr;

    const bool texture = form.scene.UseTextureFile != 0;
    const std::string map =
        form.sceneFilePath(texture ? form.scene.TextureFileName : form.scene.ElevationFileName);
    if (!opensForReading(map)) {
        app.platform().message(FormatString(IDS_CANNOT_OPEN_FILE, map.c_str()), MsgIcon::Stop,
                               MsgButtons::Ok);
        form.focusControl(
            SceneFieldControlId(texture ? SceneField::TextureFileName : SceneField::ElevationFileName));
        return nullptr;
    }

    CDocTemplate* tmpl = app.docTemplate(101);
    if (!tmpl) return nullptr;
    CDocument* doc = tmpl->OpenDocumentFile(app, map);
    auto* pathDoc = dynamic_cast<CPathDoc*>(doc);
    CPathView* view = pathDoc ? pathDoc->pathView() : nullptr;
    if (!view) {
        if (doc) doc->OnCloseDocument();
        return nullptr;
    }
    view->AttachForm(&form);
    if (view->frame()) view->frame()->setReturnFrame(form.frame());
    form.pathWindowOpen = 1;
    return view;
}
