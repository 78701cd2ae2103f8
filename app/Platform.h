#pragma once
// The few services of the desktop that the core needs: message boxes, questions, the message pump and the
// wait cursor. The desktop application implements them with Qt, the command line on the console, and the
// tests with a scripted stand-in that records every message and answers from a queue.

#include <string>

enum class MsgIcon { None, Stop, Question, Warning, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class Platform {
public:
    virtual ~Platform() = default;

    // Shows text in a message box captioned with the application's name; returns the button pressed.
    virtual MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) = 0;

    // Lets pending window messages be dispatched (long loops call it so the program stays usable).
    virtual void pumpMessages() {}

    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}

    // Convenience forms.
    void error(const std::string& text) { message(text, MsgIcon::Stop, MsgButtons::Ok); }
    bool askRetry(const std::string& text) {
        return message(text, MsgIcon::Stop, MsgButtons::YesNo) == MsgAnswer::Yes;
    }
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(Platform& p) : platform(p) { platform.beginWaitCursor(); }
    ~WaitCursor() { platform.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Platform& platform;
};

// A platform that says nothing and answers every question with its "no" button. Used where a caller has
// no user to ask (worker threads, batch code that reports through other means).
class SilentPlatform : public Platform {
public:
    MsgAnswer message(const std::string&, MsgIcon, MsgButtons buttons) override {
        switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::OkCancel: return MsgAnswer::Cancel;
        default: return MsgAnswer::No;
        }
    }
};
