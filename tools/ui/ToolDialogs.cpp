#include "tools/ui/ToolDialogs.h"

#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/UiRegistry.h"
#include "res/StringTable.h"

#include "tools/ui/CombineDialogs.h"
#include "tools/ui/ConversionDialogs.h"
#include "tools/ui/DemImportDialog.h"
#include "tools/ui/RectifyDialog.h"
#include "tools/ui/ResampleDialog.h"

#include <QFileInfo>

std::unique_ptr<CToolDialog> CreateToolDialog(int commandId, const ToolDialogContext& context, QWidget* parent) {
    switch (commandId) {
    case 32803: return std::make_unique<CDemImportDialog>(context, parent);
    case 32804: return std::make_unique<CElevationToColorDialog>(context, parent);
    case 32806: return std::make_unique<CGrayToElevationDialog>(context, parent);
    case 32807: return std::make_unique<CInterpolationDialog>(context, parent);
    case 32808: return std::make_unique<CEliminateRedDialog>(context, parent);
    case 32809: return std::make_unique<CConvolutionDialog>(context, parent);
    case 32810: return std::make_unique<CMergeDialog>(context, parent);
    case 32811: return std::make_unique<CMaskDialog>(context, parent);
    case 32812: return std::make_unique<CElevationToGrayDialog>(context, parent);
    case 32813: return std::make_unique<CResampleDialog>(context, parent);
    case 32815: return std::make_unique<CRectifyDialog>(context, parent);
    default: return nullptr;
    }
}

int RunToolDialog(OrvantisApp& app, int commandId) {
    ToolDialogContext context{app, app.platform(), app.settings(), {}};
    std::unique_ptr<CToolDialog> dialog = CreateToolDialog(commandId, context, app.mainFrame());
    if (!dialog) return -1;
    const int result = app.runDialog(*dialog);
    if (result == QDialog::Accepted) OfferToOpenResult(app, dialog->toFile());
    return result;
}

void OfferToOpenResult(OrvantisApp& app, const QString& path) {
    const QFileInfo written(path);
    if (written.suffix().compare(QStringLiteral("tga"), Qt::CaseInsensitive) != 0 || !written.isFile())
        return;
    const std::string name = CToolDialog::LocalPath(written.absoluteFilePath());
    if (app.platform().message(FormatString(IDS_TOOLDLG_OPEN_RESULT, name.c_str()), MsgIcon::Question,
                               MsgButtons::YesNo) == MsgAnswer::Yes)
        app.OpenDocumentFile(name);
}

namespace {
void runTool(OrvantisApp& app, int commandId) { RunToolDialog(app, commandId); }

// The Calculate menu's tool commands find their dialogs here.
const ToolCommandRegistration registrations[] = {{32803, runTool}, {32804, runTool}, {32806, runTool},
                                                 {32807, runTool}, {32808, runTool}, {32809, runTool},
                                                 {32810, runTool}, {32811, runTool}, {32812, runTool},
                                                 {32813, runTool}, {32815, runTool}};
} // namespace
