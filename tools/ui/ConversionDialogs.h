#pragma once
// The From-To tools of the Calculate menu: elevation to grey (with its calibration factor), grey to
// elevation, elevation to colour (with its palette file), the removal of pure-red pixels and the surface
// interpolation from red isocontour lines.

#include "tools/ui/ToolDialog.h"
#include <memory>

namespace Ui {
class ElevationToColorDialog;
class ElevationToGrayDialog;
class EliminateRedDialog;
class GrayToElevationDialog;
class InterpolationDialog;
} // namespace Ui


// Dialog 706 "Convert Elevation File to Grayscale File": calibration factor in edit 326 (initially 0).
class CElevationToGrayDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CElevationToGrayDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CElevationToGrayDialog() override;
    double factor() const { return calibrationFactor; }

protected:
    bool ReadToolControls() override;
    bool RunTool() override;

private:
    std::unique_ptr<Ui::ElevationToGrayDialog> ui;
    double calibrationFactor = 0.0;
};

// Dialog 707 "Convert Grayscale File to Elevation File".
class CGrayToElevationDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CGrayToElevationDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CGrayToElevationDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::GrayToElevationDialog> ui;
};

// Dialog 705 "Convert Elevation File to Color File": the palette file (edit 364, Browse 322).
class CElevationToColorDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CElevationToColorDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CElevationToColorDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::ElevationToColorDialog> ui;
};

// Dialog 715 "Eliminate Red Values".
class CEliminateRedDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CEliminateRedDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CEliminateRedDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::EliminateRedDialog> ui;
};

// Dialog 709 "Surface Interpolation" (red isocontour lines to a grey surface).
class CInterpolationDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CInterpolationDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CInterpolationDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::InterpolationDialog> ui;
};
