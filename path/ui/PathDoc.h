#pragma once
// CPathDoc: the map of a flight path window. The picture is only shown, never written back; the document's
// modified mark means that the points changed. Closing a changed path asks whether to hand the new points
// to the scene.

#include "image/ui/TGADocument.h"

class CPathView;

class CPathDoc : public CTGADocument {
    Q_OBJECT
public:
    explicit CPathDoc(OrvantisApp& app);

    CPathView* pathView() const;

    // Unchanged: closes. Changed: "The flight path has been changed.\nSave the new flight path?" with Yes,
    // No and Cancel: Yes gives the points to the scene as Apply does, No keeps the scene's old points,
    // Cancel keeps the window open.
    bool SaveModified() override;
};
