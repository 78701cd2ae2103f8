#include "scene/ui/OrvantisDoc.h"

#include "app/SettingsDefaults.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "res/StringTable.h"
#include "scene/SceneSchema.h"
#include "scene/ui/OrvantisView.h"

COrvantisDoc::COrvantisDoc(OrvantisApp& app) : CDocument(app) {}

COrvantisView* COrvantisDoc::form() const {
    return dynamic_cast<COrvantisView*>(firstView());
}

bool COrvantisDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return false;
    if (COrvantisView* f = form()) f->NewScene();
    return true;
}

bool COrvantisDoc::OnOpenDocument(const std::string& path) {
    // The framework only proves that the file opens; the form reads the script.
    if (!CDocument::OnOpenDocument(path)) return false;
    COrvantisView* f = form();
    if (!f) return false;
    if (!f->LoadScript(path)) {
        app().platform().message(
            FormatString(IDS_SCENE_NOT_A_SCRIPT, path.c_str(), SceneSchema().front().key), MsgIcon::Stop,
            MsgButtons::Ok);
        return false;
    }
    settings::WriteLastOpenedExtension(app().settings(), settings::ExtensionOf(path));
    return true;
}

bool COrvantisDoc::OnSaveDocument(const std::string& path) {
    COrvantisView* f = form();
    return f && f->SaveScript(path);
}

bool COrvantisDoc::SaveModified() {
    if (COrvantisView* f = form())
        if (!f->CanCloseScene()) return false;
    return CDocument::SaveModified();
}

bool COrvantisDoc::CanCloseFrame(ChildFrame* frame) {
    if (COrvantisView* f = form())
        if (!f->CanCloseScene()) return false;
    return CDocument::CanCloseFrame(frame);
}
