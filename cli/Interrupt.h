#pragma once
// Stopping a long command from outside. Ctrl+C (SIGINT), SIGTERM (kill, a job scheduler), SIGHUP (the
// terminal went away) and SIGPIPE (the reader of the output went away, as in `render ... | head -1`) all
// ask the running command to stop; it then finishes cleanly (files closed, temporary files and the job file
// removed) and exits with 128 + the number of the first signal. Signals that come while it stops are only
// noted, so a second Ctrl+C cannot cut the clean-up short.

namespace cli {

class InterruptGuard {
public:
    // Installs the handlers; the previous ones come back when the guard goes.
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once one of the signals arrived.
    static bool requested();
    // 128 + the first signal's number (130 for Ctrl+C): the exit status of a stopped command.
    static int exitStatus();
};

} // namespace cli
