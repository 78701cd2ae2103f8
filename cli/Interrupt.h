#pragma once
// Ctrl+C for long commands: the first SIGINT only asks the running command to stop (it finishes cleanly:
// files closed, temporary files removed); a second one ends the process at once, unless the guard was made
// to keep catching it.

namespace cli {

class InterruptGuard {
public:
    // Installs the handler; the previous one comes back when the guard goes.
    explicit InterruptGuard(bool secondEndsProcess = true);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once SIGINT arrived.
    static bool requested();
};

} // namespace cli
