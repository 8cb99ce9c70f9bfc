#pragma once

#include "Controls.h"
#include "D2xx.h"
#include "Statuses.h"
#include "TransformerKinds.h"

#include <cstdint>
#include <functional>
#include <optional>

// The operator's picks in the main window's set-up lists, as the settings
// window needs them.
struct MainPicks {
    bool loadResistor = false;               // a resistor, or NO LOAD
    bool supply = false;                     // a voltage, or OFF
    std::optional<double> supplyVolts;       // the voltage picked
    bool loadCapacitor = false;              // a capacitor, or NO LOAD
};

// What the settings window reads and writes of the main window, and nothing
// more, by what each thing is. The main window fills it from its own members;
// the settings window touches it only in MainWindowSide.cpp.
struct MainWindowDoor {
    ScopeStatusBox& scopeStatus;           // OSCILLOSCOPE STATUS
    CalculatorStatusBox& calculatorStatus; // CALCULATOR STATUS
    const TextBox& scopeIdentity;          // OSCILLOSCOPE: the scope's identity
    TextBox& transformer;                  // TRANSFORMER
    ListBox& events;
    bool& dialogueRunning;
    const FT_HANDLE& handle;
    std::function<MainPicks()> picks;
    // The load resistors in SELECT LOAD RESISTOR while none is picked yet.
    std::function<void()> offerLoadResistors;
    // "4", "16", "64", "128" in SAMPLE AVERAGE, showing the listed count
    // picked (else the one last applied); returns the count shown.
    std::function<std::int32_t()> showAverageCounts;
    // A transformer's supply list in POWER SUPPLY, "OFF" shown.
    std::function<void(TransformerKind)> showSupplyListOf;
    // "<ohms> OHM Load Resistor Selected" in the event list.
    std::function<void()> logResistorPick;
};
