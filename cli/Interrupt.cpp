#include "cli/Interrupt.h"

#include <csignal>
#include <iterator>

namespace cli {
namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
volatile std::sig_atomic_t firstSignal = 0;
struct sigaction previous[std::size(kSignals)];

void recordSignal(int number) {
    if (firstSignal == 0) firstSignal = number;
}
} // namespace

InterruptGuard::InterruptGuard() {
    firstSignal = 0;
    struct sigaction action {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a write to a full pipe goes on after the signal, so no line of output is lost.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous[i]);
}

InterruptGuard::~InterruptGuard() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
}

bool InterruptGuard::requested() {
    return firstSignal != 0;
}

int InterruptGuard::exitStatus() {
    return 128 + (firstSignal != 0 ? static_cast<int>(firstSignal) : SIGINT);
}

} // namespace cli
