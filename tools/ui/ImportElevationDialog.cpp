#ifdef ORVANTIS_HAVE_GDAL

#include "tools/ui/ImportElevationDialog.h"

#include "app/CFormat.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/UiRegistry.h"
#include "geodata/TerrainImport.h"
#include "res/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

// The import's percentage on the progress bar, Cancel as its stop request, and the message pump
// (rate-limited, so that a fast loop does not spend its time in the event loop).
class CImportElevationDialog::RunProgress : public Progress {
public:
    explicit RunProgress(CImportElevationDialog& d) : dialog(d) {}
    void report(int percent) override { dialog.progressBar->setValue(percent); }
    bool stopRequested() const override { return dialog.stop; }
    void pump() override {
        QElapsedTimer& since = dialog.sinceLastPump;
        if (since.isValid() && since.elapsed() < dialog.pumpIntervalMs) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        since.start();
    }

private:
    CImportElevationDialog& dialog;
};

namespace {

const char* const kRasterFilter = "Elevation rasters (*.tif *.tiff *.hgt *.asc *.dem *.vrt *.img)|"
                                  "*.tif;*.tiff;*.hgt;*.asc;*.dem;*.vrt;*.img|All files (*.*)|*.*||";
const char* const kTextureFilter = "Pictures (*.tif *.tiff *.png *.jpg *.jpeg *.vrt)|"
                                   "*.tif;*.tiff;*.png;*.jpg;*.jpeg;*.vrt|All files (*.*)|*.*||";
const char* const kSceneFilter = "Scene files (*.ovs)|*.ovs|All files (*.*)|*.*||";

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLineEdit* makeEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMinimumWidth(320);
    return e;
}

void runImportDialog(OrvantisApp& app, int) {
    ToolDialogContext context{app, app.platform(), app.settings(), {}};
    CImportElevationDialog dialog(context, app.mainFrame());
    app.runDialog(dialog);
}

const ToolCommandRegistration registration{cmd::ImportElevation, runImportDialog};

} // namespace

CImportElevationDialog::CImportElevationDialog(const ToolDialogContext& context, QWidget* parent)
    : CHelpDialog(context.app, templateId, parent), context(context) {
    setWindowTitle(QStringLiteral("Import Elevation"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addFileRow = [&](const QString& label, QLineEdit* edit, QPushButton* browse) {
        auto* name = new QLabel(label, this);
        name->setBuddy(edit);
        grid->addWidget(name, row, 0);
        grid->addWidget(edit, row, 1);
        if (browse) grid->addWidget(browse, row, 2);
        ++row;
    };

    sourceEdit = makeEdit(this, "sourceEdit");
    auto* sourceBrowse = makeButton(this, "sourceBrowse", QStringLiteral("Browse..."));
    addFileRow(QStringLiteral("Elevation &raster:"), sourceEdit, sourceBrowse);
    targetEdit = makeEdit(this, "targetEdit");
    auto* targetBrowse = makeButton(this, "targetBrowse", QStringLiteral("Browse..."));
    addFileRow(QStringLiteral("Elevation &file (TGA):"), targetEdit, targetBrowse);

    auto* options = new QHBoxLayout;
    unitBox = new QComboBox(this);
    unitBox->setObjectName(QStringLiteral("unitBox"));
    unitBox->addItems({QStringLiteral("m"), QStringLiteral("dm"), QStringLiteral("cm")});
    maxSizeEdit = new QLineEdit(this);
    maxSizeEdit->setObjectName(QStringLiteral("maxSizeEdit"));
    maxSizeEdit->setPlaceholderText(QStringLiteral("no limit"));
    options->addWidget(unitBox);
    options->addSpacing(12);
    auto* sizeLabel = new QLabel(QStringLiteral("&Largest side (pixels):"), this);
    sizeLabel->setBuddy(maxSizeEdit);
    options->addWidget(sizeLabel);
    options->addWidget(maxSizeEdit);
    options->addStretch(1);
    auto* unitLabel = new QLabel(QStringLiteral("&Unit:"), this);
    unitLabel->setBuddy(unitBox);
    grid->addWidget(unitLabel, row, 0);
    grid->addLayout(options, row++, 1, 1, 2);

    textureEdit = makeEdit(this, "textureEdit");
    textureEdit->setPlaceholderText(QStringLiteral("optional: an orthophoto or satellite picture"));
    auto* textureBrowse = makeButton(this, "textureBrowse", QStringLiteral("Browse..."));
    addFileRow(QStringLiteral("&Texture raster:"), textureEdit, textureBrowse);

    sceneCheck = new QCheckBox(QStringLiteral("Write a &scene:"), this);
    sceneCheck->setObjectName(QStringLiteral("sceneCheck"));
    sceneEdit = makeEdit(this, "sceneEdit");
    sceneBrowse = makeButton(this, "sceneBrowse", QStringLiteral("Browse..."));
    grid->addWidget(sceneCheck, row, 0);
    grid->addWidget(sceneEdit, row, 1);
    grid->addWidget(sceneBrowse, row++, 2);

    factsText = new QPlainTextEdit(this);
    factsText->setObjectName(QStringLiteral("factsText"));
    factsText->setReadOnly(true);
    factsText->setMinimumHeight(150);
    grid->addWidget(factsText, row++, 0, 1, 3);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    grid->addWidget(progressBar, row++, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    importButton = makeButton(this, "importButton", QStringLiteral("&Import"));
    importButton->setDefault(true);
    openSceneButton = makeButton(this, "openSceneButton", QStringLiteral("&Open Scene"));
    openSceneButton->setEnabled(false);
    cancelButton = makeButton(this, "cancelButton", QStringLiteral("Cancel"));
    QPushButton* helpButton = makeHelpButton();
    buttons->addStretch(1);
    for (QPushButton* b : {importButton, openSceneButton, cancelButton, helpButton}) buttons->addWidget(b);
    grid->addLayout(buttons, row++, 0, 1, 3);

    inputs = {sourceEdit,  sourceBrowse, targetEdit,     targetBrowse, unitBox,
              maxSizeEdit, textureEdit,  textureBrowse,  sceneCheck,   sceneEdit,
              sceneBrowse, importButton, openSceneButton};
    sceneEdit->setEnabled(false);
    sceneBrowse->setEnabled(false);
    connect(sceneCheck, &QCheckBox::toggled, this, [this](bool on) {
        sceneEdit->setEnabled(on);
        sceneBrowse->setEnabled(on);
        // A scene named after the elevation file, beside it, unless one is given already.
        const QString target = targetEdit->text();
        if (on && sceneEdit->text().isEmpty() && !target.isEmpty()) {
            const QFileInfo t(target);
            sceneEdit->setText(t.dir().filePath(t.completeBaseName() + QStringLiteral(".ovs")));
        }
    });
    connect(sourceBrowse, &QPushButton::clicked, this,
            [this] { browse(sourceEdit, false, QString::fromLatin1(kRasterFilter), QString()); });
    connect(targetBrowse, &QPushButton::clicked, this, [this] {
        browse(targetEdit, true, QString::fromUtf8(LoadString(IDS_TOOLDLG_TGA_FILTER)),
               QStringLiteral("tga"));
    });
    connect(textureBrowse, &QPushButton::clicked, this,
            [this] { browse(textureEdit, false, QString::fromLatin1(kTextureFilter), QString()); });
    connect(sceneBrowse, &QPushButton::clicked, this,
            [this] { browse(sceneEdit, true, QString::fromLatin1(kSceneFilter), QStringLiteral("ovs")); });
    connect(importButton, &QPushButton::clicked, this, &CImportElevationDialog::runImport);
    connect(openSceneButton, &QPushButton::clicked, this, &CImportElevationDialog::openScene);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        if (running)
            stop = true; // the import notices it at its next progress step and leaves nothing behind
        else
            CHelpDialog::reject();
    });
    // F1 on any field shows the dialog's topic, as its Help button does.
    setControlId(this, HelpButtonId);
}

CImportElevationDialog::~CImportElevationDialog() = default;

void CImportElevationDialog::browse(QLineEdit* edit, bool save, const QString& filter,
                                    const QString& suffix) {
    if (running) return;
    FileChooserRequest request;
    request.save = save;
    request.title = QString::fromUtf8(LoadString(save ? IDS_TOOLDLG_SAVE_TITLE : IDS_TOOLDLG_OPEN_TITLE));
    request.defaultSuffix = suffix;
    request.nameFilters = ConvertFilterString(filter.toStdString());
    request.initialPath = edit->text();
    setContextHelp(false);
    const std::optional<QString> chosen =
        context.chooser ? context.chooser(this, request) : RunToolFileDialog(this, request);
    setContextHelp(true);
    if (chosen) edit->setText(*chosen);
}

bool CImportElevationDialog::refuse(QLineEdit* edit, const std::string& message) {
    context.platform.message(message, MsgIcon::Warning, MsgButtons::Ok);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CImportElevationDialog::setRunning(bool on) {
    running = on;
    for (QWidget* w : inputs) w->setEnabled(!on);
    if (!on) {
        sceneEdit->setEnabled(sceneCheck->isChecked());
        sceneBrowse->setEnabled(sceneCheck->isChecked());
        openSceneButton->setEnabled(!scene.empty());
    }
}

void CImportElevationDialog::runImport() {
    if (running) return;
    geodata::TerrainImportRequest request;
    request.source = CToolDialog::LocalPath(sourceEdit->text().trimmed());
    request.target = CToolDialog::LocalPath(targetEdit->text().trimmed());
    if (request.source.empty()) return void(refuse(sourceEdit, "Please choose the elevation raster."));
    if (request.target.empty()) return void(refuse(targetEdit, "Please choose the elevation file to write."));
    const int unit = unitBox->currentIndex();
    request.elevation.unit = unit == 1   ? geodata::ElevationUnit::Decimetre
                             : unit == 2 ? geodata::ElevationUnit::Centimetre
                                         : geodata::ElevationUnit::Metre;
    if (const std::string size = maxSizeEdit->text().trimmed().toStdString(); !size.empty()) {
        int n = 0;
        if (!parseIntStrict(size, n) || n < 1 || n > geodata::MaxImportSide())
            return void(refuse(maxSizeEdit, FormatString(IDS_GEO_BAD_MAX_SIZE, n, geodata::MaxImportSide())));
        request.elevation.maxSize = n;
    }
    request.textureSource = CToolDialog::LocalPath(textureEdit->text().trimmed());
    if (!request.textureSource.empty()) request.textureTarget = geodata::TextureBeside(request.target);
    if (sceneCheck->isChecked()) {
        request.scene = CToolDialog::LocalPath(sceneEdit->text().trimmed());
        if (request.scene.empty()) return void(refuse(sceneEdit, "Please choose the scene file to write."));
    }

    scene.clear();
    factsText->clear();
    progressBar->setValue(0);
    stop = false;
    sinceLastPump.invalidate();
    setRunning(true);
    RunProgress progress(*this);
    const geodata::TerrainImportResult result = geodata::ImportTerrain(request, progress);
    if (result.status == ToolStatus::Done) {
        scene = result.scene;
        QStringList lines;
        for (const std::string& line : geodata::ElevationFacts(result.elevation, request.elevation.unit))
            lines << QString::fromStdString(line);
        lines << QStringLiteral("Elevation file: ") + QString::fromStdString(request.target);
        if (!request.textureTarget.empty())
            lines << QStringLiteral("Texture file: ") + QString::fromStdString(request.textureTarget);
        if (!scene.empty()) lines << QStringLiteral("Scene: ") + QString::fromStdString(scene);
        factsText->setPlainText(lines.join(QLatin1Char('\n')));
        progressBar->setValue(100);
        cancelButton->setText(QStringLiteral("Close"));
    } else {
        progressBar->setValue(0);
        if (result.status == ToolStatus::Cancelled)
            factsText->setPlainText(QStringLiteral("Cancelled: no file was written."));
    }
    setRunning(false);
    if (result.status == ToolStatus::Failed && !result.error.empty())
        context.platform.message(result.error, MsgIcon::Stop, MsgButtons::Ok);
    if (!scene.empty()) openSceneButton->setFocus();
}

void CImportElevationDialog::openScene() {
    if (running || scene.empty()) return;
    accept();
    // Opened as any scene file is: a scene window, or the one already showing it (a failure says why).
    app().OpenDocumentFile(scene);
}

#endif
