#pragma once
// The image document of the desktop application: a CTGAFile behind the document/view layer. It opens and
// saves through the CTGAFile (TGA, or a YUV frame for a ".yuv" name) and keeps its window open while a
// render is drawing into it.

#include "app/ui/Document.h"
#include "image/TGAFile.h"

#include <memory>

class CTGAView;

class CTGADocument : public CDocument {
    Q_OBJECT
public:
    explicit CTGADocument(OrvantisApp& app);
    // A document around an image of a derived kind (the flight path document).
    CTGADocument(OrvantisApp& app, std::unique_ptr<CTGAFile> image);
    ~CTGADocument() override;

    CTGAFile& image() const { return *tga; }
    CTGAView* firstImageView() const;

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;
    // While a render draws into the image: "Do you really want to cancel the rendering process?"; Yes asks
    // the view to stop; the document does not close at that moment either way.
    bool SaveModified() override;
    // The first view's CanCloseRendering decides first.
    bool CanCloseFrame(ChildFrame* frame) override;

    // The document's size in pixels (1 x 1 before anything is loaded).
    QSize documentSize() const;

signals:
    void imageReplaced();

private:
    std::unique_ptr<CTGAFile> tga;
};
