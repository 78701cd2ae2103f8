#pragma once
// The DEM import (dialog 703 "Convert DEM File to Elevation File") and its header listing (dialog 702).

#include "tools/ui/ToolDialog.h"


#include <functional>
#include <string>
#include <vector>
#include <memory>

namespace Ui {
class DemImportDialog;
class DemListDialog;
} // namespace Ui

// The listing of a DEM file's header: one line per entry, label and value separated by a tab; the values
// line up at a tab stop 200 dialog units from the left, and the list scrolls horizontally over 1000 pixels.
// OK goes on with the import, Cancel stops it.
class CDemListDialog : public CHelpDialog {
    Q_OBJECT
public:
    CDemListDialog(OrvantisApp& app, const QString& path, const std::vector<std::string>& lines,
                   QWidget* parent = nullptr);
    ~CDemListDialog() override;

    // The tab stop in pixels (200 dialog units of the list's font) and the horizontal extent.
    int tabStopPixels() const { return tabStop; }
    static constexpr int horizontalExtent = 1000;

private:
    std::unique_ptr<Ui::DemListDialog> ui;
    int tabStop = 0;
};

class CDemImportDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CDemImportDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CDemImportDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::DemImportDialog> ui;
};
