#include "image/ui/TGADocument.h"

#include "app/SettingsDefaults.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/ui/TGAView.h"
#include "res/StringTable.h"

#include <QSize>

CTGADocument::CTGADocument(OrvantisApp& app)
    // The filter weights follow the "Antialiasing" option as it is when the document is made.
    : CTGADocument(app,
                   std::make_unique<CTGAFile>(app.platform(), settings::ReadAntialiasing(app.settings()))) {}

CTGADocument::CTGADocument(OrvantisApp& app, std::unique_ptr<CTGAFile> image)
    : CDocument(app), tga(std::move(image)) {
    tga->setSettings(&app.settings());
}

CTGADocument::~CTGADocument() = default;

CTGAView* CTGADocument::firstImageView() const {
    return dynamic_cast<CTGAView*>(firstView());
}

bool CTGADocument::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return false;
    // A new image document is the target of a render: busy until the render lets go of it.
    tga->setBusy(true);
    if (CTGAView* v = firstImageView()) v->BeginWork();
    return true;
}

bool CTGADocument::OnOpenDocument(const std::string& path) {
    if (!tga->OpenImage(path)) return false;
    SetModifiedFlag(false);
    return true;
}

bool CTGADocument::OnSaveDocument(const std::string& path) {
    if (!tga->SaveImage(path)) return false;
    tga->setModified(false);
    SetModifiedFlag(false);
    return true;
}

bool CTGADocument::SaveModified() {
    if (tga->isBusy()) {
        if (app().platform().message(LoadString(IDS_CANCEL_RENDERING_QUESTION), MsgIcon::Information,
                                     MsgButtons::YesNo) == MsgAnswer::Yes)
            if (CView* v = firstView()) v->RequestStop();
        return false;
    }
    return CDocument::SaveModified();
}

bool CTGADocument::CanCloseFrame(ChildFrame* frame) {
    if (CView* v = firstView())
        if (!v->CanCloseRendering()) return false;
    return CDocument::CanCloseFrame(frame);
}

QSize CTGADocument::documentSize() const {
    return tga->hasImage() ? QSize(tga->headerWidth(), tga->headerHeight()) : QSize(1, 1);
}
