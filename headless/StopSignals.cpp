#include "StopSignals.h"

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t signals = 0;

void onSignal(int number) {
    if (signals > 0) {
        // The second: at once, as the shell reports a signal's end.
        constexpr char Line[] = "transformer-efficiency: ended at once by a second signal\n";
        [[maybe_unused]] const auto written = ::write(2, Line, sizeof Line - 1);
        ::_exit(128 + number);
    }
    signals = signals + 1;
}

} // namespace

namespace StopSignals {

void install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool requested() { return signals > 0; }

void request() { signals = signals + 1; }

void clear() { signals = 0; }

} // namespace StopSignals
