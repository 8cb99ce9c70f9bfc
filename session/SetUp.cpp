// The set-up lists: what a pick in each does, and the lists' contents.
#include "SetUp.h"

#include "CommandNumber.h"
#include "D2xx.h"
#include "NumberText.h"
#include "ScopeExchange.h"
#include "SetupLists.h"
#include "Statuses.h"

SetUp::SetUp(MainPanel& panel, SettingsControls& settings, LinkState& link, ScopeExchange& exchange, D2xx& d2xx,
             ResultBoxes& results)
    : panel_(panel), settings_(settings), link_(link), exchange_(exchange), d2xx_(d2xx), results_(results) {}

// --- the picks as values ------------------------------------------------------

bool SetUp::loadResistorChosen() const {
    return panel_.Combo1.text != NoLoadItem;
}

std::optional<double> SetUp::loadResistorOhms() const {
    return loadResistorChosen() ? parseNumber(panel_.Combo1.text) : std::nullopt;
}

bool SetUp::supplyChosen() const {
    return panel_.Combo2.text != NoSupplyItem;
}

std::optional<double> SetUp::supplyVolts() const {
    return parseNumber(panel_.Combo2.text);
}

bool SetUp::capacitorChosen() const {
    return panel_.Combo4.text != NoLoadItem;
}

MainPicks SetUp::picks() const {
    return MainPicks{loadResistorChosen(), supplyChosen(), supplyVolts(), capacitorChosen()};
}

TransformerKind SetUp::transformer() const {
    return kindNamed(panel_.Text15.text);
}

TransformerKind SetUp::recognised() const {
    return kindNamed(settings_.Text70.text);
}

GainRow SetUp::shownGains() const {
    const SettingsControls& s = settings_;
    return {s.Text45.text, s.Text46.text, s.Text47.text, s.Text48.text, s.Text49.text};
}

ComboBox& SetUp::list(SetUpList which) {
    switch (which) {
    case SetUpList::LoadResistor:
        return panel_.Combo1;
    case SetUpList::Supply:
        return panel_.Combo2;
    case SetUpList::SampleAverage:
        return panel_.Combo3;
    case SetUpList::LoadCapacitor:
        break;
    }
    return panel_.Combo4;
}

bool SetUp::pick(SetUpList which, const std::string& item) {
    ComboBox& combo = list(which);
    if (std::find(combo.items.begin(), combo.items.end(), item) == combo.items.end()) {
        return false;
    }
    combo.text = item;
    switch (which) {
    case SetUpList::LoadResistor:
        loadResistorPicked();
        break;
    case SetUpList::Supply:
        supplyVoltagePicked();
        break;
    case SetUpList::SampleAverage:
        sampleAveragePicked();
        break;
    case SetUpList::LoadCapacitor:
        loadCapacitorPicked();
        break;
    }
    return true;
}

// --- the lists' contents -------------------------------------------------------

void SetUp::fillLists() {
    panel_.Combo1.Clear();
    panel_.Combo1.AddItem(NoLoadItem);
    panel_.Combo2.Clear();
    panel_.Combo2.AddItem(NoSupplyItem);
    panel_.Combo3.Clear();
    panel_.Combo3.AddItem("16");
    panel_.Combo4.Clear();
    for (const char* item : LoadCapacitorItems) {
        panel_.Combo4.AddItem(item);
    }
}

void SetUp::showScopeStatus(ScopeStatus status) {
    settings_.Text1.set(status);
    panel_.Text1.set(status);
}

void SetUp::ShowScopeReady() {
    showScopeStatus(ScopeStatus::Ready);
}

void SetUp::askToRunSetupAgain(TransformerKind kind) {
    const std::string line = "Run " + kindName(kind) + " setup again";
    settings_.List1.AddItem(line);
    panel_.List1.AddItem(line);
    panel_.Text12.set(CalculatorStatus::Wait);
    showScopeStatus(ScopeStatus::RunSetupAgain);
}

void SetUp::RefillAverageList() {
    // A typed count that is not one of the list's leaves the last applied one.
    SampleAverage = listedAverageCount(panel_.Combo3.text).value_or(SampleAverage);
    fillAverageList(SampleAverage);
}

void SetUp::fillAverageList(std::int32_t shown) {
    panel_.Combo3.Clear();
    for (const char* item : AverageCounts) {
        panel_.Combo3.AddItem(item);
    }
    panel_.Combo3.text = std::to_string(shown);
}

void SetUp::loadSupplyList(TransformerKind kind) {
    panel_.Combo2.Clear();
    for (const std::string& item : supplyList(kind)) {
        panel_.Combo2.AddItem(item);
    }
    panel_.Combo2.text = NoSupplyItem;
}

void SetUp::offerLoadResistors() {
    if (loadResistorChosen()) {
        return;
    }
    panel_.Combo1.Clear();
    for (const char* item : LoadResistorItems) {
        panel_.Combo1.AddItem(item);
    }
    panel_.Combo1.text = NoLoadItem;
}

std::int32_t SetUp::showListedAverage() {
    const std::int32_t shown = listedAverageCount(panel_.Combo3.text).value_or(SampleAverage);
    fillAverageList(shown);
    return shown;
}

void SetUp::logLoadResistor() {
    if (loadResistorChosen()) {
        panel_.List1.AddItem(panel_.Combo1.text + " OHM Load Resistor Selected");
    } else {
        panel_.List1.AddItem("INFINITE OHM Load Resistor Selected");
    }
}

void SetUp::applySampleAverage() {
    SampleAverage = listedAverageCount(panel_.Combo3.text).value_or(SampleAverage);
}

// --- the picks ----------------------------------------------------------------

void SetUp::loadResistorPicked() {
    if (link_.ScopeOpen != 1) {
        return;
    }
    results_.clear();
    if (panel_.Text12.is(CalculatorStatus::Wait)) {
        return;
    }
    if (!supplyChosen()) {
        panel_.Text12.set(CalculatorStatus::SelectSupplyVoltage);
        if (transformer() != TransformerKind::Other) {
            loadSupplyList(transformer());
        }
    } else {
        panel_.Text12.set(CalculatorStatus::Ready);
    }
    logLoadResistor();
}

void SetUp::supplyVoltagePicked() {
    if (link_.ScopeOpen != 1) {
        return;
    }
    results_.clear();
    if (panel_.Text12.is(CalculatorStatus::Wait)) {
        return;
    }
    if (!supplyChosen()) {
        panel_.Text12.set(CalculatorStatus::SelectSupplyVoltage);
        ShowScopeReady();
        panel_.List1.AddItem("0.0 VOLTS RMS Pwr Supply Voltage Selected");
        applySampleAverage();
        return;
    }
    const TransformerKind kind = recognised();
    if (kind == TransformerKind::Other) {
        applySampleAverage();
        return;
    }
    panel_.List1.AddItem(panel_.Combo2.text + " VOLTS RMS Pwr Supply Voltage Selected");
    if (!gainsSuit(kind, supplyVolts(), shownGains())) {
        askToRunSetupAgain(kind);
    } else {
        panel_.Text12.set(capacitorChosen() ? CalculatorStatus::Ready : CalculatorStatus::SelectLoadCapacitor);
        ShowScopeReady();
        RefillAverageList();
    }
    applySampleAverage();
}

void SetUp::sampleAveragePicked() {
    if (link_.ScopeOpen != 1) {
        return;
    }
    const bool allReady = panel_.Text12.is(CalculatorStatus::Ready) && panel_.Text1.is(ScopeStatus::Ready) &&
                          settings_.Text1.is(ScopeStatus::Ready);
    // A count sent inside another dialogue would land between its query and
    // its answer; it is refused like a count chosen while not ready. Only a
    // listed count goes to the scope, written as plain digits; any other
    // text is put back like a refused pick.
    const auto count = listedAverageCount(panel_.Combo3.text);
    if (!allReady || link_.DialogueRunning || !count) {
        panel_.Combo3.text = commandNumber(SampleAverage);
        return;
    }
    SampleAverage = *count;
    panel_.Combo3.text = std::to_string(*count);
    sendAverage();
}

void SetUp::sendAverage() {
    const std::string command = "ACQ:NUMAVG " + panel_.Combo3.text;
    ExchangeRecord& r = exchange_.record;
    r.BytesWritten = 0;
    r.CommandBuffer = command + "\r\n";
    r.ReadTimedOut = false;
    r.ReadError = false;
    const std::uint32_t length = lineByteCount(command);
    const FT_STATUS status = d2xx_.FT_Write(link_.lngHandle, r.CommandBuffer.data(), length, &r.BytesWritten);
    if (status != FT_OK) {
        panel_.List1.AddItem("ACQUIRE NUMERICAL AVERAGE Failed");
        return;
    }
    panel_.List1.AddItem(r.CommandBuffer.substr(0, length - 2));
}

void SetUp::loadCapacitorPicked() {
    if (link_.ScopeOpen != 1) {
        return;
    }
    if (panel_.Text12.is(CalculatorStatus::Wait)) {
        if (capacitorChosen()) {
            panel_.Combo4.text = LoadCapacitance != 0 ? plainNumber(LoadCapacitance) : NoLoadItem;
        }
        return;
    }
    if (!capacitorChosen()) {
        LoadCapacitance = 0;
        panel_.Text12.set(CalculatorStatus::SelectLoadCapacitor);
        ShowScopeReady();
        panel_.List1.AddItem("0.0 uF Load Capacitor Selected");
        return;
    }
    if (!supplyChosen()) {
        panel_.Combo4.text = NoLoadItem;
        LoadCapacitance = 0;
        panel_.List1.AddItem("0.0 uF Load Capacitor Selected");
        return;
    }
    panel_.Text12.set(CalculatorStatus::Ready);
    ShowScopeReady();
    RefillAverageList();
    LoadCapacitance = parseNumber(panel_.Combo4.text).value_or(0);
    panel_.List1.AddItem(panel_.Combo4.text + " uF Load Capacitor Selected");
}
