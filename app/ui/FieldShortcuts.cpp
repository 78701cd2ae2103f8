#include "app/ui/FieldShortcuts.h"

#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>

FieldShortcuts::FieldShortcuts(CMainFrame& frame) : QObject(&frame), frame(frame) {}

bool FieldShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || field->window() != &frame) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QAction* action = frame.acceleratorAction(QKeySequence(key->keyCombination()));
    if (!action) return false;
    const int id = action->data().toInt();
    if (id == cmd::EditCut || id == cmd::EditUndo) return false;
    if (id == cmd::EditCopy && field->hasSelectedText()) return false;
    if (!frame.isCommandEnabled(id)) return false;
    // Left unaccepted, the key goes on to the window's shortcut.
    event->ignore();
    return true;
}
