#include "tools/ui/ToolDialog.h"

#include "app/CFormat.h"
#include "app/Settings.h"
#include "app/SettingsDefaults.h"
#include "res/StringTable.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QWindow>

namespace {
QString fromTable(int id) {
    return QString::fromUtf8(LoadString(id));
}
} // namespace

// ---------------------------------------------------------------------------------------------------------
// File choosers

QStringList ConvertFilterString(const std::string& filter) {
    QStringList parts = QString::fromUtf8(filter.c_str()).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i];
        const QString pattern = parts[i + 1];
        if (name.isEmpty() || pattern.isEmpty()) break; // the "||" that ends the list
        QStringList qtPatterns;
        for (const QString& p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            qtPatterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        const QString shown = QLatin1Char('(') + qtPatterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        const QString written = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (name.endsWith(written))
            result << name.left(name.size() - written.size()) + shown;
        else
            result << name + QLatin1Char(' ') + shown;
    }
    return result;
}

ToolFileDialog::ToolFileDialog(QWidget* parent, const FileChooserRequest& request) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setWindowTitle(request.title);
    setNameFilters(request.nameFilters);
    setDefaultSuffix(request.defaultSuffix);
    if (request.save) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    }
    if (!request.initialPath.isEmpty()) {
        QFileInfo info(request.initialPath);
        setDirectory(info.absolutePath());
        selectFile(info.fileName());
    } else if (!request.initialFolder.isEmpty() && QFileInfo(request.initialFolder).isDir()) {
        setDirectory(request.initialFolder);
    }
}

void ToolFileDialog::accept() {
    if (acceptMode() == QFileDialog::AcceptSave) {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            QFileInfo info(files.first());
            if (!info.isDir() && !info.absoluteDir().exists()) {
                QMessageBox::warning(
                    this, windowTitle(),
                    QString::fromUtf8(
                        FormatString(IDS_TOOLDLG_PATH_MISSING, files.first().toUtf8().constData()).c_str()));
                return;
            }
        }
    }
    QFileDialog::accept();
}

std::optional<QString> RunToolFileDialog(QWidget* parent, const FileChooserRequest& request) {
    ToolFileDialog dialog(parent, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

// ---------------------------------------------------------------------------------------------------------
// Progress

void ToolDialogProgress::report(int percent) {
    if (dialog.progressText)
        dialog.progressText->setText(QString::fromStdString(FormatString(IDS_PROGRESS_FORMAT, percent)));
}

bool ToolDialogProgress::stopRequested() const {
    return dialog.idle != 0;
}

void ToolDialogProgress::pump() {
    if (sinceLastPump.isValid() && sinceLastPump.elapsed() < intervalMs) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceLastPump.start();
}

// ---------------------------------------------------------------------------------------------------------
// The dialog frame

CToolDialog::CToolDialog(int dialogId, int fromExtensionId, int fromFilterId, int toExtensionId,
                         int toFilterId, const ToolDialogContext& context, QWidget* parent)
    : CHelpDialog(context.app, dialogId, parent), context(context), fromExtensionId(fromExtensionId),
      fromFilterId(fromFilterId), toExtensionId(toExtensionId), toFilterId(toFilterId) {}

CToolDialog::CToolDialog(int dialogId, const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(dialogId, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {}

CToolDialog::~CToolDialog() = default;

void CToolDialog::initFrame(bool hasThirdFile) {
    hasThird = hasThirdFile;
    fromEdit = findChild<QLineEdit*>(QStringLiteral("fromEdit"));
    toEdit = findChild<QLineEdit*>(QStringLiteral("toEdit"));
    fromBrowse = findChild<QPushButton*>(QStringLiteral("fromBrowse"));
    toBrowse = findChild<QPushButton*>(QStringLiteral("toBrowse"));
    okButton = findChild<QPushButton*>(QStringLiteral("okButton"));
    cancelButton = findChild<QPushButton*>(QStringLiteral("cancelButton"));
    helpButton = findChild<QPushButton*>(QStringLiteral("helpButton"));
    progressText = findChild<QLabel*>(QStringLiteral("progressText"));
    if (hasThird) {
        thirdEdit = findChild<QLineEdit*>(QStringLiteral("thirdEdit"));
        thirdBrowse = findChild<QPushButton*>(QStringLiteral("thirdBrowse"));
    }
    Q_ASSERT(fromEdit && toEdit && fromBrowse && toBrowse && okButton && cancelButton && helpButton &&
             progressText && (!hasThird || (thirdEdit && thirdBrowse)));

    setProperty("controlId", templateId());
    ApplyStringTable(this);
    // The file fields are filled by their Browse buttons only: they show so, with the dialog's grey.
    for (QLineEdit* edit : {fromEdit, toEdit, thirdEdit}) {
        if (!edit) continue;
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        edit->setPalette(pal);
    }
    progressText->clear();
    okButton->setEnabled(false);
    okButton->setDefault(true);

    connect(okButton, &QPushButton::clicked, this, &CToolDialog::onOk);
    connect(cancelButton, &QPushButton::clicked, this, &CToolDialog::onCancel);
    ConnectHelpButton(this, helpButton);
    connect(fromBrowse, &QPushButton::clicked, this, &CToolDialog::chooseFrom);
    connect(toBrowse, &QPushButton::clicked, this, &CToolDialog::chooseTo);
    if (hasThird) connect(thirdBrowse, &QPushButton::clicked, this, &CToolDialog::chooseThird);
    refreshFileFields();
}

void CToolDialog::ApplyStringTable(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QVariant id = w->property("stringId");
        if (!id.isValid()) continue;
        const QString text = fromTable(id.toInt());
        if (w->isWindow())
            w->setWindowTitle(text);
        else if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            group->setTitle(text);
    }
}

void CToolDialog::ConnectHelpButton(CHelpDialog* dialog, QPushButton* help) {
    QObject::connect(help, &QPushButton::clicked, dialog, [dialog, help] {
        help->setFocus();
        dialog->helpRequest(0);
    });
}

std::string CToolDialog::LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString CToolDialog::FormatReal(double value) {
    return QString::fromStdString(cformat("%.15g", value));
}

QString CToolDialog::progressTextShown() const {
    return progressText ? progressText->text() : QString();
}

ToolEnv CToolDialog::toolEnv() {
    return ToolEnv{context.platform, progress, settings::ReadAntialiasing(context.settings),
                   &context.settings};
}

void CToolDialog::refreshFileFields() {
    fromEdit->setText(fromPath);
    toEdit->setText(toPath);
    if (thirdEdit) thirdEdit->setText(thirdPath);
}

std::optional<QString> CToolDialog::choose(bool save, int extensionId, int filterId, const QString& current) {
    FileChooserRequest request;
    request.save = save;
    request.title = fromTable(save ? IDS_TOOLDLG_SAVE_TITLE : IDS_TOOLDLG_OPEN_TITLE);
    request.defaultSuffix = fromTable(extensionId);
    request.nameFilters = ConvertFilterString(LoadString(filterId));
    request.initialPath = current;
    request.initialFolder = QString::fromStdString(context.settings.getString("Directories", "Tools", ""));
    setContextHelp(false);
    std::optional<QString> chosen =
        context.chooser ? context.chooser(this, request) : RunToolFileDialog(this, request);
    setContextHelp(true);
    return chosen;
}

void CToolDialog::chooseFile(bool save, int extensionId, int filterId, QString& path, int& chosen) {
    if (running) return;
    if (auto choice = choose(save, extensionId, filterId, path)) {
        path = *choice;
        chosen = 1;
        // The next chooser of any tool dialog starts where this file was found.
        context.settings.writeString("Directories", "Tools", QFileInfo(path).absolutePath().toStdString());
        UpdateOkButton();
        refreshFileFields();
    }
}

void CToolDialog::chooseFrom() {
    chooseFile(false, fromExtensionId, fromFilterId, fromPath, fromChosen);
}

void CToolDialog::chooseTo() {
    chooseFile(true, toExtensionId, toFilterId, toPath, toChosen);
}

void CToolDialog::chooseThird() {
    if (hasThird) chooseFile(false, IDS_TOOLDLG_TGA_EXT, IDS_TOOLDLG_TGA_FILTER, thirdPath, thirdChosen);
}

void CToolDialog::UpdateOkButton() {
    if (fromChosen && toChosen && (!hasThird || thirdChosen)) okButton->setEnabled(true);
}

void CToolDialog::setControlsEnabled(bool enabled) {
    fromBrowse->setEnabled(enabled);
    toBrowse->setEnabled(enabled);
    okButton->setEnabled(enabled);
    if (thirdBrowse) thirdBrowse->setEnabled(enabled);
    setCloseEnabled(enabled);
}

void CToolDialog::setCloseEnabled(bool enabled) {
    // The window's close button is taken away while a tool runs (closeEvent refuses as well, for window
    // managers that ignore the hint). The native window is changed directly: changing the widget's flags
    // would hide the dialog and end its modal loop.
    QWindow* window = windowHandle();
    if (!window) return;
    if (!enabled) {
        if (closeRemoved) return;
        flagsBeforeRun = window->flags();
        window->setFlags((flagsBeforeRun | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
        closeRemoved = true;
    } else if (closeRemoved) {
        window->setFlags(flagsBeforeRun);
        closeRemoved = false;
    }
}

void CToolDialog::onOk() {
    if (running || !okButton->isEnabled()) return;
    setControlsEnabled(false);
    idle = 0;
    if (!ReadToolControls()) {
        setControlsEnabled(true);
        idle = 1;
        return;
    }
    running = true;
    const bool succeeded = RunTool();
    running = false;
    progressText->clear();
    if (succeeded && idle == 0) {
        idle = 1;
        setCloseEnabled(true);
        accept();
        return;
    }
    // Failed, or cancelled during the run: the dialog stays open and idle with its file names.
    setControlsEnabled(true);
    idle = 1;
}

void CToolDialog::onCancel() {
    if (!running) {
        CHelpDialog::reject();
        return;
    }
    if (idle == 0) {
        // The run notices the flag at its next progress step and leaves without writing its output.
        progressText->clear();
        setControlsEnabled(true);
        idle = 1;
    }
}

bool CToolDialog::refuseField(QLineEdit* edit, const std::string& message) {
    context.platform.message(message, MsgIcon::Warning, MsgButtons::Ok);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool CToolDialog::ReadReal(QLineEdit* edit, double& value) {
    double v = 0;
    if (!parseRealStrict(edit->text().toStdString(), v))
        return refuseField(edit, LoadString(IDS_PLEASE_ENTER_NUMBER));
    value = v;
    return true;
}

bool CToolDialog::ReadReal(QLineEdit* edit, double& value, double low, double high) {
    double v = 0;
    if (!ReadReal(edit, v)) return false;
    if (v < low || v > high)
        return refuseField(edit, FormatString(IDS_TOOLDLG_NUMBER_RANGE, cformat("%.15g", low).c_str(),
                                              cformat("%.15g", high).c_str()));
    value = v;
    return true;
}
