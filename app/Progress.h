#pragma once
// What a long loop (a frame, a tool run) reports to and asks of whoever started it.

class Progress {
public:
    virtual ~Progress() = default;

    // The work done so far, in percent (already truncated to an integer); shown as "%d%%".
    virtual void report(int /*percent*/) {}

    // True once the user asked to stop (the render window's Stop, a tool dialog's Cancel, Ctrl+C).
    virtual bool stopRequested() const { return false; }

    // Lets pending window messages through; called at the points where the program would drain its
    // message queue (once per grid cell, once per tool row). Implementations may rate-limit it.
    virtual void pump() {}
};

// A progress object that shows nothing and never stops.
class NullProgress : public Progress {};
