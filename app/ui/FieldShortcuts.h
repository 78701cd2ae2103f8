#pragma once
// Menu accelerators that work from every field. A text field claims keys such as Ctrl+E (end of line) and
// Ctrl+A (select all) before the window's shortcuts see them, so Preview, Apply and the rest did nothing
// while a field had the focus (nearly always). This filter hands such a key to the main window's command
// whenever the command is available there; only the keys that edit text stay with the field: Cut and Undo
// always, Copy while the field has a selection, Paste unless the clipboard holds what the command pastes.

#include <QObject>

class CMainFrame;

class FieldShortcuts : public QObject {
public:
    explicit FieldShortcuts(CMainFrame& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CMainFrame& frame;
};
