#include "tools/ui/ConversionDialogs.h"

#include "ui_ElevationToColorDialog.h"
#include "ui_ElevationToGrayDialog.h"
#include "ui_EliminateRedDialog.h"
#include "ui_GrayToElevationDialog.h"
#include "ui_InterpolationDialog.h"

#include "res/StringTable.h"
#include "tools/ElevationConversions.h"
#include "tools/SurfaceInterpolation.h"

CElevationToGrayDialog::CElevationToGrayDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(706, context, parent) {
    ui = setUpForm<Ui::ElevationToGrayDialog>();
    ui->factorEdit->setText(FormatReal(calibrationFactor));
}

CElevationToGrayDialog::~CElevationToGrayDialog() = default;

bool CElevationToGrayDialog::ReadToolControls() {
    return ReadReal(ui->factorEdit, calibrationFactor);
}

bool CElevationToGrayDialog::RunTool() {
    return Succeeded(
        ElevationToGray(LocalPath(fromFile()), LocalPath(toFile()), calibrationFactor, toolEnv()));
}

CGrayToElevationDialog::CGrayToElevationDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(707, context, parent) {
    ui = setUpForm<Ui::GrayToElevationDialog>();
}

CGrayToElevationDialog::~CGrayToElevationDialog() = default;

bool CGrayToElevationDialog::RunTool() {
    return Succeeded(GrayToElevation(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}

CElevationToColorDialog::CElevationToColorDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(705, context, parent) {
    ui = setUpForm<Ui::ElevationToColorDialog>(true);
}

CElevationToColorDialog::~CElevationToColorDialog() = default;

bool CElevationToColorDialog::RunTool() {
    return Succeeded(
        ElevationToColor(LocalPath(fromFile()), LocalPath(toFile()), LocalPath(thirdFile()), toolEnv()));
}

CEliminateRedDialog::CEliminateRedDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(715, context, parent) {
    ui = setUpForm<Ui::EliminateRedDialog>();
}

CEliminateRedDialog::~CEliminateRedDialog() = default;

bool CEliminateRedDialog::RunTool() {
    return Succeeded(EliminateRed(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}

CInterpolationDialog::CInterpolationDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(709, context, parent) {
    ui = setUpForm<Ui::InterpolationDialog>();
}

CInterpolationDialog::~CInterpolationDialog() = default;

bool CInterpolationDialog::RunTool() {
    return Succeeded(SurfaceInterpolation(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}
