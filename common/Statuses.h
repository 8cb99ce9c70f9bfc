#pragma once

#include "Colour.h"
#include "Controls.h"

#include <string>

// What the status boxes say, as values. Actions ask these values; the words
// and colours an operator sees come from one table (Statuses.cpp).

// CALCULATOR STATUS: where the operator is in the set-up, and whether a pass
// may start.
enum class CalculatorStatus {
    None, // the box is empty: nothing said yet
    PressSettings,
    GetSettings,
    SelectLoadResistor,
    SelectSupplyVoltage,
    SelectLoadCapacitor,
    Wait,
    Ready,
    Running,
    NotReady,
    Fault,
};

// OSCILLOSCOPE STATUS, on the main window and on the settings window.
enum class ScopeStatus {
    None,
    Ready,
    Running,
    RunSetupAgain,
    ResetScope,
    Disconnected,
    GetSettings,
};

// A status as the operator sees it: its words and its colour pair.
struct StatusLook {
    const char* words;
    Colour back;
    Colour fore;
};

const StatusLook& lookOf(CalculatorStatus status);
const StatusLook& lookOf(ScopeStatus status);
inline std::string wordsOf(CalculatorStatus status) {
    return lookOf(status).words;
}
inline std::string wordsOf(ScopeStatus status) {
    return lookOf(status).words;
}

// A status box: a text box that also holds the status it shows. set() is
// the only way a status reaches the box; an empty box holds None.
template <class Status> struct StatusBox : TextBox {
    Status status = Status::None;

    void set(Status newStatus) {
        status = newStatus;
        const StatusLook& look = lookOf(newStatus);
        show(look.words, look.back, look.fore);
    }
    [[nodiscard]] bool is(Status s) const { return status == s; }
    void clear() {
        status = Status::None;
        text.clear();
    }
};

using CalculatorStatusBox = StatusBox<CalculatorStatus>;
using ScopeStatusBox = StatusBox<ScopeStatus>;
