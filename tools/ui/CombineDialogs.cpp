#include "tools/ui/CombineDialogs.h"

#include "ui_ConvolutionDialog.h"
#include "ui_MaskDialog.h"
#include "ui_MergeDialog.h"

#include "res/StringTable.h"
#include "tools/Convolution.h"
#include "tools/MaskTool.h"

CConvolutionDialog::CConvolutionDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(701, context, parent) {
    ui = setUpForm<Ui::ConvolutionDialog>(true);
}

CConvolutionDialog::~CConvolutionDialog() = default;

bool CConvolutionDialog::RunTool() {
    return Succeeded(Convolve(LocalPath(fromFile()), LocalPath(toFile()), LocalPath(thirdFile()), toolEnv()));
}

CMergeDialog::CMergeDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(711, context, parent) {
    ui = setUpForm<Ui::MergeDialog>(true);
    ui->bias1Edit->setText(FormatReal(firstBias));
    ui->bias2Edit->setText(FormatReal(secondBias));
    ui->addRadio->setChecked(true);
}

CMergeDialog::~CMergeDialog() = default;

bool CMergeDialog::ReadToolControls() {
    if (!ReadReal(ui->bias1Edit, firstBias, kMergeBiasMin, kMergeBiasMax)) return false;
    if (!ReadReal(ui->bias2Edit, secondBias, kMergeBiasMin, kMergeBiasMax)) return false;
    mergeMode = ui->multiplyRadio->isChecked() ? MergeMode::Multiply : MergeMode::Add;
    return true;
}

bool CMergeDialog::RunTool() {
    return Succeeded(Merge(LocalPath(fromFile()), LocalPath(toFile()), LocalPath(thirdFile()), mergeMode,
                           firstBias, secondBias, toolEnv()));
}

CMaskDialog::CMaskDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(710, context, parent) {
    ui = setUpForm<Ui::MaskDialog>(true);
}

CMaskDialog::~CMaskDialog() = default;

bool CMaskDialog::RunTool() {
    // A mask whose size differs from the image fails without a message; the dialog returns to idle.
    return Succeeded(MaskFile(LocalPath(fromFile()), LocalPath(toFile()), LocalPath(thirdFile()), toolEnv()));
}
