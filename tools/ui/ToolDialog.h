#pragma once
// CToolDialog: the frame of every tool dialog of the Calculate menu. It names a From file and a To file
// (and, for some tools, a third file), each filled only by its Browse button; OK starts the tool inside
// the dialog with a percentage display, and Cancel either closes the dialog or stops the run.
//
// The forms are Qt Designer files whose common widgets carry fixed object names (fromEdit, fromBrowse,
// toEdit, toBrowse, okButton, cancelButton, helpButton, progressText; thirdEdit, thirdBrowse where a tool
// has a third file). Every widget keeps its control id in the dynamic property "controlId" (the dialog
// itself its template id) and, where it shows a text, the string-table number of that text in "stringId".

#include "app/Platform.h"
#include "app/Progress.h"
#include "app/ui/HelpDialog.h"
#include "tools/ToolCommon.h"

#include <QElapsedTimer>
#include <QFileDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class OrvantisApp;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsStore;

// What a Browse button asks of the file chooser.
struct FileChooserRequest {
    bool save = false;       // a Save-file dialog (the To chooser); otherwise an Open-file dialog
    QString title;           // "Open" or "Save As"
    QString defaultSuffix;   // added to a name typed without extension ("tga", "dem")
    QStringList nameFilters; // Qt filters converted from the "name|pattern|...||" filter string
    QString initialPath;     // the current path of the field, selected when the dialog opens
    QString initialFolder;   // for an empty field: the folder of the file last chosen in a tool dialog
};

// Shows a chooser for request and returns the chosen path, or nothing when the user cancelled.
using FileChooser = std::function<std::optional<QString>(QWidget* parent, const FileChooserRequest& request)>;

// "TGA files (*.tga)|*.tga|All files (*.*)|*.*||" -> {"TGA files (*.tga)", "All files (*)"}. The pattern
// of each pair is what the filter matches; "*.*" means every file (also those without a dot).
QStringList ConvertFilterString(const std::string& filter);

// The file dialog of a Browse button (not the platform's native one): an Open dialog wants an existing
// file; a Save dialog confirms before overwriting and wants the chosen file's folder to exist.
class ToolFileDialog : public QFileDialog {
    Q_OBJECT
public:
    ToolFileDialog(QWidget* parent, const FileChooserRequest& request);
    void accept() override;
};

// Runs a ToolFileDialog modally.
std::optional<QString> RunToolFileDialog(QWidget* parent, const FileChooserRequest& request);

// What a tool dialog works with: the application (help), the platform for the tools' messages, the
// settings store and the file chooser (empty: RunToolFileDialog).
struct ToolDialogContext {
    OrvantisApp& app;
    Platform& platform;
    SettingsStore& settings;
    FileChooser chooser;
};

class CToolDialog;

// The progress of a run as the dialog shows it: the "%d%%" text, the idle flag as the stop request, and
// the message pump (rate-limited so that a fast loop does not spend its time in the event loop).
class ToolDialogProgress : public Progress {
public:
    explicit ToolDialogProgress(CToolDialog& dialog) : dialog(dialog) {}
    void report(int percent) override;
    bool stopRequested() const override;
    void pump() override;

    // Pending events are processed at most once per this many milliseconds.
    static constexpr int pumpIntervalMs = 15;
    void setInterval(int ms) { intervalMs = ms; }

private:
    CToolDialog& dialog;
    QElapsedTimer sinceLastPump;
    int intervalMs = pumpIntervalMs;
};

class CToolDialog : public CHelpDialog {
    Q_OBJECT
public:
    CToolDialog(int dialogId, int fromExtensionId, int fromFilterId, int toExtensionId, int toFilterId,
                const ToolDialogContext& context, QWidget* parent = nullptr);
    // A tool that reads TGA files and writes TGA files or YUV frames.
    CToolDialog(int dialogId, const ToolDialogContext& context, QWidget* parent);
    ~CToolDialog() override;

    int dialogId() const { return templateId(); }
    // 1 while no run is in progress, 0 while the tool runs (set back to 1 by Cancel to stop the run).
    int idleFlag() const { return idle; }
    bool runInProgress() const { return running; }
    const QString& fromFile() const { return fromPath; }
    const QString& toFile() const { return toPath; }
    const QString& thirdFile() const { return thirdPath; }
    QString progressTextShown() const;
    // Tests pump at every progress step (0), so that what happens during a run does not depend on its speed.
    void setPumpInterval(int ms) { progress.setInterval(ms); }

    // Puts each widget's string-table text (property "stringId") on it: window titles, labels, buttons.
    static void ApplyStringTable(QWidget* root);

    // A path as the core's file functions take it (the file system's encoding).
    static std::string LocalPath(const QString& path);

    // Connects a form's Help button (id 57669) to the help rule.
    static void ConnectHelpButton(CHelpDialog* dialog, QPushButton* help);

    // Shows a real number the way the data exchange does ("%.15g": 1.0 shows as "1").
    static QString FormatReal(double value);

protected:
    // Called by the derived dialog after its form is set up: finds the common controls, applies the
    // string table and connects the buttons. A tool with a third file has the widgets thirdEdit and
    // thirdBrowse; its chooser is an Open dialog for TGA files and OK waits for it too.
    void initFrame(bool hasThirdFile = false);
    // Sets up the dialog's designer form and then the frame around it.
    template <class Form> std::unique_ptr<Form> setUpForm(bool hasThirdFile = false) {
        auto form = std::make_unique<Form>();
        form->setupUi(this);
        initFrame(hasThirdFile);
        return form;
    }

    // The tool's operations, in the order of the frame.
    // The choosers, OK and the window's close button: off while the tool runs.
    virtual void setControlsEnabled(bool enabled);
    virtual bool RunTool() = 0;
    virtual void UpdateOkButton();
    // Reads the tool's own controls into its members; false when a value was refused (the message has
    // been shown and the field has the focus).
    virtual bool ReadToolControls() { return true; }

    // A run that wrote its output (completely, or what a damaged input allowed) counts as a success.
    static bool Succeeded(ToolStatus status) {
        return status == ToolStatus::Done || status == ToolStatus::Incomplete;
    }

    // The environment a tool engine runs in: this dialog's platform and progress, the user's antialiasing.
    ToolEnv toolEnv();
    Platform& platform() { return context.platform; }
    OrvantisApp& application() { return context.app; }
    SettingsStore& settings() { return context.settings; }

    // Data exchange of a real number: false (after "Please enter a number." or the range message, with
    // the field focused and selected) when the text is not a number or lies outside [low, high].
    bool ReadReal(QLineEdit* edit, double& value);
    bool ReadReal(QLineEdit* edit, double& value, double low, double high);

    // Escape and the window's close button are refused while a run is on the stack.
    bool closeRefused() const override { return running; }

private slots:
    void onOk();
    void onCancel();
    void chooseFrom();
    void chooseTo();
    void chooseThird();

private:
    friend class ToolDialogProgress;
    std::optional<QString> choose(bool save, int extensionId, int filterId, const QString& current);
    // Lets the user choose path; a choice marks it chosen and updates OK and the fields.
    void chooseFile(bool save, int extensionId, int filterId, QString& path, int& chosen);
    void setCloseEnabled(bool enabled);
    void refreshFileFields();
    bool refuseField(QLineEdit* edit, const std::string& message);

    ToolDialogContext context;
    QString toPath, fromPath, thirdPath;
    int idle = 1;
    int fromExtensionId, fromFilterId, toExtensionId, toFilterId;
    int fromChosen = 0, toChosen = 0, thirdChosen = 0;
    bool hasThird = false;
    bool running = false; // RunTool is on the stack (a cancelled run may still be unwinding)
    Qt::WindowFlags flagsBeforeRun;
    bool closeRemoved = false;

    QLineEdit *fromEdit = nullptr, *toEdit = nullptr, *thirdEdit = nullptr;
    QPushButton *fromBrowse = nullptr, *toBrowse = nullptr, *thirdBrowse = nullptr;
    QPushButton *okButton = nullptr, *cancelButton = nullptr, *helpButton = nullptr;
    QLabel* progressText = nullptr;
    ToolDialogProgress progress{*this};
};
