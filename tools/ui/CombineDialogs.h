#pragma once
// The tools that combine an image with a second file: convolution with a value matrix, merge of two
// images with biases, and masking.

#include "tools/Merge.h"
#include "tools/ui/ToolDialog.h"
#include <memory>

namespace Ui {
class ConvolutionDialog;
class MaskDialog;
class MergeDialog;
} // namespace Ui


// Dialog 701 "Convolution": the value-matrix file (edit 391, Browse 325).
class CConvolutionDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CConvolutionDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CConvolutionDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::ConvolutionDialog> ui;
};

// Dialog 711 "Merge Files": file 2 (edit 355, Browse 318), the biases (edits 312 and 313, 1.0 each,
// between -256 and 256) and the mode (Add 300, checked when the dialog opens, or Multiply 361).
class CMergeDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CMergeDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CMergeDialog() override;
    double bias1() const { return firstBias; }
    double bias2() const { return secondBias; }
    MergeMode mode() const { return mergeMode; }

protected:
    bool ReadToolControls() override;
    bool RunTool() override;

private:
    std::unique_ptr<Ui::MergeDialog> ui;
    double firstBias = 1.0, secondBias = 1.0;
    MergeMode mergeMode = MergeMode::Add;
};

// Dialog 710 "Mask a File": the mask file (edit 360, Browse 320) and the notes on its three reference
// pixels.
class CMaskDialog : public CToolDialog {
    Q_OBJECT
public:
    explicit CMaskDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CMaskDialog() override;

protected:
    bool RunTool() override;

private:
    std::unique_ptr<Ui::MaskDialog> ui;
};
