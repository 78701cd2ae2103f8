#include "path/ui/PathDoc.h"

#include "app/ui/Commands.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "path/ui/PathView.h"
#include "res/StringTable.h"

CPathDoc::CPathDoc(OrvantisApp& app) : CTGADocument(app) {
    // The map is never saved by the editor.
    removeCommand(cmd::FileSave);
    removeCommand(cmd::FileSaveAs);
}

CPathView* CPathDoc::pathView() const {
    return dynamic_cast<CPathView*>(firstView());
}

bool CPathDoc::SaveModified() {
    if (!IsModified()) return true;
    switch (app().platform().message(LoadString(IDS_PATH_SAVE_CHANGES), MsgIcon::Information,
                                     MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes:
        if (CPathView* v = pathView()) v->ApplyToForm();
        return true;
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}
