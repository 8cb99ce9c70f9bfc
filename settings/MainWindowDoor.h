#pragma once

#include "Controls.h"
#include "D2xx.h"
#include "TransformerKinds.h"

#include <cstdint>
#include <functional>

// What the settings window reads and writes of the main window, and nothing
// more: its status boxes, its set-up lists and event list, the flag of a
// dialogue under way, the link's handle, and three of its list actions. The
// main window fills it from its own members.
struct MainWindowDoor {
    TextBox& Text1;        // OSCILLOSCOPE STATUS
    TextBox& Text12;       // CALCULATOR STATUS
    const TextBox& Text13; // the connection's status
    TextBox& Text15;       // TRANSFORMER
    ComboBox& Combo1;      // SELECT LOAD RESISTOR
    ComboBox& Combo2;      // POWER SUPPLY
    ComboBox& Combo3;      // SAMPLE AVERAGE
    ComboBox& Combo4;      // LOAD CAPACITOR
    ListBox& List1;
    bool& DialogueRunning;
    const FT_HANDLE& lngHandle;
    const std::int32_t& SampleAverage;
    // "4", "16", "64", "128" in SAMPLE AVERAGE, showing the given count.
    std::function<void(std::int32_t)> fillAverageList;
    // A transformer's supply list in POWER SUPPLY, "OFF" shown.
    std::function<void(TransformerKind)> loadSupplyList;
    // "<ohms> OHM Load Resistor Selected" in the event list.
    std::function<void()> logLoadResistor;
};
