#pragma once
// CHelpDialog: the base of the program's modal dialogs (About, Options, the tool dialogs) with the context
// help rule: the Help button opens topic 0x20000 + the dialog's template id, F1 on a control opens
// 0x10000 + the control's id (its "controlId" property), and while the dialog shows a chooser of its own
// (the context-help flag cleared) help requests do nothing.

#include <QDialog>

class OrvantisApp;

class CHelpDialog : public QDialog {
    Q_OBJECT
public:
    CHelpDialog(OrvantisApp& app, int templateId, QWidget* parent = nullptr);

    int templateId() const { return dialogId; }
    OrvantisApp& app() const { return application; }

    // Cleared while the dialog shows a chooser of its own.
    void setContextHelp(bool allowed) { contextHelp = allowed; }
    bool contextHelpAllowed() const { return contextHelp; }

    // A help request (F1 or the Help button); topic 0 lets the focused control decide. False when it is
    // not handled (no control has the focus).
    bool helpRequest(int topic = 0);

    // Tags a widget with its control id (used by the help rule and by tests).
    static void setControlId(QWidget* w, int id);
    static int controlId(const QWidget* w);

    static constexpr int HelpButtonId = 57669;

    // Escape and the window's close button: refused while closeRefused() says so.
    void reject() override;

protected:
    // Whether the dialog may not close now (a run of its own on the stack); never by default.
    virtual bool closeRefused() const { return false; }
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Makes the dialog's "&Help" button (id 57669).
    class QPushButton* makeHelpButton();

private:
    OrvantisApp& application;
    int dialogId;
    bool contextHelp = true;
};

// The classic dialog look: light grey background (192, 192, 192) with black text.
void applyDialogLook(QWidget* w);
