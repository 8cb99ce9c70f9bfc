#pragma once

#include "OsVersion.h"
#include "Platform.h"
#include "ProgramHost.h"
#include "Screen.h"
#include "SimD2xx.h"
#include "SimScope.h"

#include <utility>

// The world outside the program on the simulated bench, as the tests and the
// benchmarks set it up: a clock, the scope and its device library on that
// clock, a 1600 x 1000 screen, Windows 6.1 and a host that records the
// program's end. Each user brings the event pump and the report's parts
// (clipboard, keys, carets) of its own kind.
template <class ClockType> struct SimulatedDesk {
    template <class... ClockArguments>
    explicit SimulatedDesk(ClockArguments&&... clockArguments)
        : clock(std::forward<ClockArguments>(clockArguments)...) {}

    // A platform of these parts; `device` is what the forms call (the
    // simulated device library, or a wrapper of it or of another backend).
    Platform platformOn(D2xx& device, EventPump& pump, Clipboard& clipboard, KeySynth& keys, Carets& carets) {
        return Platform{device, clock, pump, screen, os, host, clipboard, keys, carets};
    }

    ClockType clock;
    SimScope scope;
    SimD2xx d2xx{scope, clock};
    FixedScreen screen{1600, 1000};
    FixedOsVersion os{6, 1};
    RecordingProgramHost host;
};
