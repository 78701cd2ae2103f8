#pragma once
// Dialog 714 "Correct Distortion": four points as they appear in the distorted From file (the primed
// edits, on the left) and where they must lie in the corrected To file (on the right). The sixteen values
// are remembered in the settings ("RectifyCorners"): loaded when the dialog opens, saved when a run starts.

#include "tools/Rectify.h"
#include "tools/ui/ToolDialog.h"


#include <array>
#include <memory>

namespace Ui {
class RectifyDialog;
} // namespace Ui

class CRectifyDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CRectifyDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CRectifyDialog() override;
    const RectifyCorners& corners() const { return values; }

    // The sixteen edits in the order of their control ids 393 to 408: x1, x1', x2, x2', x3, x3', x4, x4',
    // y1, y1', ... y4'.
    std::array<QLineEdit*, 16> edits() const;

protected:
    bool ReadToolControls() override;
    bool RunTool() override;

private:
    std::array<double*, 16> fields();

    std::unique_ptr<Ui::RectifyDialog> ui;
    RectifyCorners values;
};
