#pragma once
// The From-To tools of the Calculate menu: elevation to grey (with its calibration factor), grey to
// elevation, elevation to colour (with its palette file), the removal of pure-red pixels and the surface
// interpolation from red isocontour lines.

#include "tools/ui/ToolDialog.h"

#include "ui_ElevationToColorDialog.h"
#include "ui_ElevationToGrayDialog.h"
#include "ui_EliminateRedDialog.h"
#include "ui_GrayToElevationDialog.h"
#include "ui_InterpolationDialog.h"

// Dialog 706 "Convert Elevation File to Grayscale File": calibration factor in edit 326 (initially 0).
class CElevationToGrayDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CElevationToGrayDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    double factor() const { return calibrationFactor; }

protected:
    bool ReadToolControls() override;
    bool RunTool() override;

private:
    Ui::ElevationToGrayDialog ui;
    double calibrationFactor = 0.0;
};

// Dialog 707 "Convert Grayscale File to Elevation File".
class CGrayToElevationDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CGrayToElevationDialog(const ToolDialogContext& context, QWidget* parent = nullptr);

protected:
    bool RunTool() override;

private:
    Ui::GrayToElevationDialog ui;
};

// Dialog 705 "Convert Elevation File to Color File": the palette file (edit 364, Browse 322).
class CElevationToColorDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CElevationToColorDialog(const ToolDialogContext& context, QWidget* parent = nullptr);

protected:
    bool RunTool() override;

private:
    Ui::ElevationToColorDialog ui;
};

// Dialog 715 "Eliminate Red Values".
class CEliminateRedDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CEliminateRedDialog(const ToolDialogContext& context, QWidget* parent = nullptr);

protected:
    bool RunTool() override;

private:
    Ui::EliminateRedDialog ui;
};

// Dialog 709 "Surface Interpolation" (red isocontour lines to a grey surface).
class CInterpolationDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CInterpolationDialog(const ToolDialogContext& context, QWidget* parent = nullptr);

protected:
    bool RunTool() override;

private:
    Ui::InterpolationDialog ui;
};
