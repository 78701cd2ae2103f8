#pragma once
// Dialog 717 "Resample Elevation File": reduces an elevation file 1 : 2, 1 : 3 or 1 : 4 (radio buttons
// 371, 372, 373, exchanged as the index 0, 1, 2; 1 : 2 when the dialog opens).

#include "tools/ui/ToolDialog.h"
#include <memory>

namespace Ui {
class ResampleDialog;
} // namespace Ui


class CResampleDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CResampleDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CResampleDialog() override;
    int reductionIndex() const { return reduction; }

protected:
    bool ReadToolControls() override;
    bool RunTool() override;

private:
    std::unique_ptr<Ui::ResampleDialog> ui;
    int reduction = 0;
};
