#pragma once

#include "D2xx.h"

#include <cstdint>

// The link's handle and the flags every routine that talks to the scope
// tests before it acts: the main window's variables of the same names.
struct LinkState {
    FT_HANDLE lngHandle = 0;
    std::int32_t ScopeOpen = 0;
    bool TestFailed = false;
    bool StopRequested = false;
    bool CalculationRunning = false;
    // A dialogue with the scope is under way (connection, pass, or one of the
    // settings window's actions); no second one may start inside its yields.
    bool DialogueRunning = false;
};
