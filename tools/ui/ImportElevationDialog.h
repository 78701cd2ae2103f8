#pragma once
// File > Import Elevation: an elevation raster (GeoTIFF, .hgt, ASCII grid, ...) into an elevation file, with
// an optional texture raster warped onto its pixels and an optional scene ready to render over it, as
// `orvantis-cli import-elevation` and `import-texture --match` make them. The import runs inside the
// dialog with a progress bar; Cancel stops it and leaves no file behind. Afterwards the dialog shows the
// facts the command line prints and offers to open the scene it wrote.

#ifdef ORVANTIS_HAVE_GDAL

#include "app/Progress.h"
#include "app/ui/HelpDialog.h"
#include "tools/ui/ToolDialog.h"

#include <QElapsedTimer>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;

class CImportElevationDialog : public CHelpDialog {
public:
    static constexpr int templateId = 730;

    explicit CImportElevationDialog(const ToolDialogContext& context, QWidget* parent = nullptr);
    ~CImportElevationDialog() override;

    bool runInProgress() const { return running; }
    // The scene the last import wrote ("" when none).
    const std::string& writtenScene() const { return scene; }
    // Tests let events through at every progress step (0), so that what happens during a run does not
    // depend on its speed.
    void setPumpInterval(int ms) { pumpIntervalMs = ms; }

protected:
    bool closeRefused() const override { return running; }

private:
    class RunProgress;
    void browse(QLineEdit* edit, bool save, const QString& filter, const QString& suffix);
    void runImport();
    void openScene();
    void setRunning(bool on);
    bool refuse(QLineEdit* edit, const std::string& message);

    ToolDialogContext context;
    QLineEdit *sourceEdit, *targetEdit, *maxSizeEdit, *textureEdit, *sceneEdit;
    QComboBox* unitBox;
    QCheckBox* sceneCheck;
    QPlainTextEdit* factsText;
    QProgressBar* progressBar;
    QPushButton *sceneBrowse, *importButton, *openSceneButton, *cancelButton;
    QList<QWidget*> inputs; // off while the import runs
    bool running = false;
    bool stop = false;
    int pumpIntervalMs = 15;
    QElapsedTimer sinceLastPump;
    std::string scene;
};

#endif
