#include "Statuses.h"

#include <array>
#include <cstddef>

namespace {

// The words and colours of every status, in the order of its enum.
constexpr std::array<StatusLook, 11> CalculatorLooks{{
    {"", Colours::White, Colours::Black},
    {"PRESS SETTINGS", Colours::Blue, Colours::White},
    {"GET SETTINGS", Colours::Blue, Colours::White},
    {"SELECT LOAD RESISTOR", Colours::Yellow, Colours::Black},
    {"SELECT PWR SUPPLY VOLTAGE", Colours::Yellow, Colours::Black},
    {"SELECT LOAD CAPACITOR", Colours::Yellow, Colours::Black},
    {"WAIT", Colours::Yellow, Colours::Black},
    {"READY", Colours::Green, Colours::Black},
    {"RUNNING", Colours::Yellow, Colours::Black},
    {"NOT READY", Colours::Red, Colours::White},
    {"FAULT", Colours::Red, Colours::White},
}};

constexpr std::array<StatusLook, 7> ScopeLooks{{
    {"", Colours::White, Colours::Black},
    {"READY", Colours::Green, Colours::Black},
    {"RUNNING", Colours::Yellow, Colours::Black},
    {"RUN SETUP AGAIN", Colours::Yellow, Colours::Black},
    {"RESET SCOPE", Colours::Red, Colours::White},
    {"DISCONNECTED", Colours::Red, Colours::White},
    {"GET SETTINGS", Colours::Blue, Colours::White},
}};

} // namespace

const StatusLook& lookOf(CalculatorStatus status) {
    return CalculatorLooks.at(static_cast<std::size_t>(status));
}

const StatusLook& lookOf(ScopeStatus status) {
    return ScopeLooks.at(static_cast<std::size_t>(status));
}
