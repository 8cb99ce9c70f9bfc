#include "StopSignals.h"

#include <csignal>
#include <ctime>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t signals = 0;
// When the first signal came, in monotonic seconds and nanoseconds.
volatile std::sig_atomic_t firstSeconds = 0;
volatile std::sig_atomic_t firstNanoseconds = 0;

constexpr long long NanosecondsASecond = 1'000'000'000LL;

long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    return static_cast<long long>(now.tv_sec) * NanosecondsASecond + now.tv_nsec;
}

void onSignal(int number) {
    const long long now = monotonicNanoseconds();
    if (signals == 0) {
        firstSeconds = static_cast<std::sig_atomic_t>(now / NanosecondsASecond);
        firstNanoseconds = static_cast<std::sig_atomic_t>(now % NanosecondsASecond);
        signals = 1;
        return;
    }
    const long long first = static_cast<long long>(firstSeconds) * NanosecondsASecond + firstNanoseconds;
    if (now - first < NanosecondsASecond) {
        return; // the same stop, delivered twice
    }
    // A second stop: at once, as the shell reports a signal's end.
    constexpr char Line[] = "transformer-efficiency: ended at once by a second signal\n";
    [[maybe_unused]] const auto written = ::write(2, Line, sizeof Line - 1);
    ::_exit(128 + number);
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

bool requested() {
    return signals > 0;
}

void request() {
    if (signals == 0) {
        onSignal(SIGINT);
    }
}

void clear() {
    signals = 0;
}

} // namespace StopSignals
