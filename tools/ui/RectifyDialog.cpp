#include "tools/ui/RectifyDialog.h"

#include "ui_RectifyDialog.h"

#include "res/StringTable.h"

CRectifyDialog::CRectifyDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(714, context, parent) {
    ui = setUpForm<Ui::RectifyDialog>();
    values = LoadRectifyCorners(settings());
    const auto shown = edits();
    const auto member = fields();
    for (size_t i = 0; i < shown.size(); ++i) shown[i]->setText(FormatReal(*member[i]));
}

CRectifyDialog::~CRectifyDialog() = default;

std::array<QLineEdit*, 16> CRectifyDialog::edits() const {
    return {ui->x1Edit, ui->x1pEdit, ui->x2Edit, ui->x2pEdit, ui->x3Edit, ui->x3pEdit,
            ui->x4Edit, ui->x4pEdit, ui->y1Edit, ui->y1pEdit, ui->y2Edit, ui->y2pEdit,
            ui->y3Edit, ui->y3pEdit, ui->y4Edit, ui->y4pEdit};
}

std::array<double*, 16> CRectifyDialog::fields() {
    RectifyCorners& c = values;
    return {&c.x[0], &c.xs[0], &c.x[1], &c.xs[1], &c.x[2], &c.xs[2], &c.x[3], &c.xs[3],
            &c.y[0], &c.ys[0], &c.y[1], &c.ys[1], &c.y[2], &c.ys[2], &c.y[3], &c.ys[3]};
}

bool CRectifyDialog::ReadToolControls() {
    const auto shown = edits();
    const auto member = fields();
    for (size_t i = 0; i < shown.size(); ++i)
        if (!ReadReal(shown[i], *member[i])) return false;
    return true;
}

bool CRectifyDialog::RunTool() {
    // The values are remembered before anything else, also when the run is then refused or cancelled.
    SaveRectifyCorners(settings(), values);
    return Succeeded(Rectify(LocalPath(fromFile()), LocalPath(toFile()), values, toolEnv()));
}
