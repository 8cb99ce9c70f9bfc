#pragma once

#include "LinkState.h"
#include "MainPanel.h"
#include "ResultBoxes.h"
#include "SettingsControls.h"
#include "TransformerKinds.h"

#include <cstdint>
#include <optional>
#include <string>

class D2xx;
class ScopeExchange;

// The operator's picks in the set-up lists, as values.
struct MainPicks {
    bool loadResistor = false;         // a resistor, or NO LOAD
    bool supply = false;               // a voltage, or OFF
    std::optional<double> supplyVolts; // the voltage picked
    bool loadCapacitor = false;        // a capacitor, or NO LOAD
};

// The four set-up lists.
enum class SetUpList { LoadResistor, Supply, SampleAverage, LoadCapacitor };

// The one set-up of the bench: the four lists as the main window shows them,
// the transformer named on the main window and recognised by the settings
// window, and the scope gains that window shows. Every rule of the picks is
// written here, once: the windows' lists, a script and a plan all pick
// through pick(), and get the same statuses, lines and refusals.
class SetUp {
  public:
    SetUp(MainPanel& panel, SettingsControls& settings, LinkState& link, ScopeExchange& exchange, D2xx& d2xx,
          ResultBoxes& results);

    // The lists' actions, run when an item has been picked (the list shows it).
    void loadResistorPicked();  // Combo1
    void supplyVoltagePicked(); // Combo2
    void sampleAveragePicked(); // Combo3
    void loadCapacitorPicked(); // Combo4

    // An item picked as the operator picks it from the open list: shown, then
    // the list's action. False (nothing done) when the list has no such item.
    bool pick(SetUpList list, const std::string& item);
    ComboBox& list(SetUpList which);

    // The picks as values: "NO LOAD" and "OFF" are no choice.
    bool loadResistorChosen() const;
    std::optional<double> loadResistorOhms() const;
    bool supplyChosen() const;
    std::optional<double> supplyVolts() const;
    bool capacitorChosen() const;
    MainPicks picks() const;
    // TRANSFORMER on the main window, and the set-up the settings window
    // recognised (its own TRANSFORMER box).
    TransformerKind transformer() const;
    TransformerKind recognised() const;
    // The settings window's SCOPE GAIN boxes: CH1, CH2, MATH, CH3, CH4.
    GainRow shownGains() const;

    // The lists' contents.
    void fillLists();
    void loadSupplyList(TransformerKind kind); // its supply list, "OFF" shown
    void offerLoadResistors();                 // the resistors, while none is picked
    void fillAverageList(std::int32_t shown);  // "4", "16", "64", "128"
    // The same, showing the listed count picked or else the one applied.
    std::int32_t showListedAverage();
    void RefillAverageList();
    // "<ohms> OHM Load Resistor Selected", or INFINITE for NO LOAD.
    void logLoadResistor();

    // OSCILLOSCOPE STATUS on the main window and on the settings window.
    void showScopeStatus(ScopeStatus status);
    void ShowScopeReady();
    // "Run <transformer> setup again" in both event lists; CALCULATOR STATUS
    // waits and both scope statuses ask for the set-up to be run again.
    void askToRunSetupAgain(TransformerKind kind);

    // The count last applied, and the capacitor last taken (0: none).
    std::int32_t SampleAverage = 16;
    double LoadCapacitance = 0;

  private:
    void applySampleAverage();
    void sendAverage();

    MainPanel& panel_;
    SettingsControls& settings_;
    LinkState& link_;
    ScopeExchange& exchange_;
    D2xx& d2xx_;
    ResultBoxes& results_;
};
