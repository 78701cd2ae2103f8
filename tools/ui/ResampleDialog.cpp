#include "tools/ui/ResampleDialog.h"

#include "ui_ResampleDialog.h"

#include "res/StringTable.h"
#include "tools/Resample.h"

CResampleDialog::CResampleDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(717, context, parent) {
    ui = setUpForm<Ui::ResampleDialog>();
    ui->reduction2Radio->setChecked(true);
}

CResampleDialog::~CResampleDialog() = default;

bool CResampleDialog::ReadToolControls() {
    reduction = ui->reduction4Radio->isChecked() ? 2 : ui->reduction3Radio->isChecked() ? 1 : 0;
    return true;
}

bool CResampleDialog::RunTool() {
    return Succeeded(Resample(LocalPath(fromFile()), LocalPath(toFile()), reduction + 2, toolEnv()));
}
