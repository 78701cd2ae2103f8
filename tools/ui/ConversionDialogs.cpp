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
    : CToolDialog(706, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = std::make_unique<Ui::ElevationToGrayDialog>();
    ui->setupUi(this);
    initFrame();
    ui->factorEdit->setText(FormatReal(calibrationFactor));
}

CElevationToGrayDialog::~CElevationToGrayDialog() = default;

bool CElevationToGrayDialog::ReadToolControls() { return ReadReal(ui->factorEdit, calibrationFactor); }

bool CElevationToGrayDialog::RunTool() {
    return Succeeded(ElevationToGray(LocalPath(fromFile()), LocalPath(toFile()), calibrationFactor, toolEnv()));
}

CGrayToElevationDialog::CGrayToElevationDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(707, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = std::make_unique<Ui::GrayToElevationDialog>();
    ui->setupUi(this);
    initFrame();
}

CGrayToElevationDialog::~CGrayToElevationDialog() = default;

bool CGrayToElevationDialog::RunTool() {
    return Succeeded(GrayToElevation(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}

CElevationToColorDialog::CElevationToColorDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(705, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = std::make_unique<Ui::ElevationToColorDialog>();
    ui->setupUi(this);
    initFrame(true);
}

CElevationToColorDialog::~CElevationToColorDialog() = default;

bool CElevationToColorDialog::RunTool() {
    return Succeeded(
        ElevationToColor(LocalPath(fromFile()), LocalPath(toFile()), LocalPath(thirdFile()), toolEnv()));
}

CEliminateRedDialog::CEliminateRedDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(715, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = std::make_unique<Ui::EliminateRedDialog>();
    ui->setupUi(this);
    initFrame();
}

CEliminateRedDialog::~CEliminateRedDialog() = default;

bool CEliminateRedDialog::RunTool() {
    return Succeeded(EliminateRed(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}

CInterpolationDialog::CInterpolationDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(709, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = std::make_unique<Ui::InterpolationDialog>();
    ui->setupUi(this);
    initFrame();
}

CInterpolationDialog::~CInterpolationDialog() = default;

bool CInterpolationDialog::RunTool() {
    return Succeeded(SurfaceInterpolation(LocalPath(fromFile()), LocalPath(toFile()), toolEnv()));
}
