#include "cli/Interrupt.h"

#include <csignal>

namespace cli {
namespace {
volatile std::sig_atomic_t interrupted = 0;
struct sigaction previous;

void recordInterrupt(int) {
    interrupted = 1;
}
} // namespace

InterruptGuard::InterruptGuard(bool secondEndsProcess) {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = recordInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags =
        secondEndsProcess ? SA_RESETHAND : 0; // SA_RESETHAND: a second Ctrl+C takes the default way out
    sigaction(SIGINT, &action, &previous);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previous, nullptr);
}

bool InterruptGuard::requested() {
    return interrupted != 0;
}

} // namespace cli
