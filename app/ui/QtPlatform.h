#pragma once
// The core's window onto the desktop, on Qt: message boxes captioned with the application's name with the
// requested icon and buttons, the event pump and the wait cursor. Tests replace the message box by an
// answerer so that every message and question is recorded and answered without a human.

#include "app/Platform.h"

#include <functional>
#include <string>

class QWidget;

class QtPlatform : public Platform {
public:
    using Answerer = std::function<MsgAnswer(const std::string& text, MsgIcon icon, MsgButtons buttons)>;

    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    void pumpMessages() override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

    // When set, messages go to the answerer instead of a message box.
    void setAnswerer(Answerer a) { answerer = std::move(a); }
    // The parent of the message boxes (the main window); the active window when none.
    void setParentWidget(QWidget* w) { parent = w; }

private:
    Answerer answerer;
    QWidget* parent = nullptr;
};
