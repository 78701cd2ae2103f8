#pragma once
// COrvantisDoc: the scene document. It holds no data of its own: new, open and save go to its form
// (COrvantisView), and the form's close guard runs before the window closes and before the document asks
// whether to save its changes.

#include "app/ui/Document.h"

class COrvantisView;

class COrvantisDoc : public CDocument {
    Q_OBJECT
public:
    explicit COrvantisDoc(OrvantisApp& app);

    COrvantisView* form() const;

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;
    bool SaveModified() override;
    bool CanCloseFrame(ChildFrame* frame) override;
};
