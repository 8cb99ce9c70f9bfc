// The main window's set-up lists: what a pick in each does, and the lists'
// contents.
#include "Form1.h"

#include "CommandNumber.h"
#include "NumberText.h"
#include "SetupLists.h"
#include "Statuses.h"
#include "TransformerKinds.h"

// --- setup lists -------------------------------------------------------------

void Form1::ShowScopeReady() {
    Settings.showScopeStatus(ScopeStatus::Ready);
}

void Form1::RefillAverageList() {
    // A typed count that is not one of the list's leaves the last applied one.
    SampleAverage = listedAverageCount(Combo3.text).value_or(SampleAverage);
    fillAverageList(SampleAverage);
}

void Form1::fillAverageList(std::int32_t shown) {
    Combo3.Clear();
    for (const char* item : AverageCounts) {
        Combo3.AddItem(item);
    }
    Combo3.text = std::to_string(shown);
}

void Form1::loadSupplyList(TransformerKind kind) {
    Combo2.Clear();
    for (const std::string& item : supplyList(kind)) {
        Combo2.AddItem(item);
    }
    Combo2.text = "OFF";
}

MainPicks Form1::picks() const {
    return MainPicks{Combo1.text != "NO LOAD", Combo2.text != "OFF", parseNumber(Combo2.text),
                     Combo4.text != "NO LOAD"};
}

void Form1::offerLoadResistors() {
    if (Combo1.text != "NO LOAD") {
        return;
    }
    Combo1.Clear();
    for (const char* item : LoadResistorItems) {
        Combo1.AddItem(item);
    }
    Combo1.text = "NO LOAD";
}

std::int32_t Form1::showListedAverage() {
    const std::int32_t shown = listedAverageCount(Combo3.text).value_or(SampleAverage);
    fillAverageList(shown);
    return shown;
}

void Form1::logLoadResistor() {
    if (Combo1.text != "NO LOAD") {
        List1.AddItem(Combo1.text + " OHM Load Resistor Selected");
    } else {
        List1.AddItem("INFINITE OHM Load Resistor Selected");
    }
}

void Form1::applySampleAverage() {
    SampleAverage = listedAverageCount(Combo3.text).value_or(SampleAverage);
}

void Form1::loadResistorPicked() {
    if (ScopeOpen != 1) {
        return;
    }
    ClearResultBoxes();
    if (Text12.is(CalculatorStatus::Wait)) {
        return;
    }
    if (Combo2.text == "OFF") {
        Text12.set(CalculatorStatus::SelectSupplyVoltage);
        const TransformerKind kind = kindNamed(Text15.text);
        if (kind != TransformerKind::Other) {
            loadSupplyList(kind);
        }
    } else {
        Text12.set(CalculatorStatus::Ready);
    }
    logLoadResistor();
}

void Form1::supplyVoltagePicked() {
    if (ScopeOpen != 1) {
        return;
    }
    ClearResultBoxes();
    if (Text12.is(CalculatorStatus::Wait)) {
        return;
    }
    if (Combo2.text == "OFF") {
        Text12.set(CalculatorStatus::SelectSupplyVoltage);
        ShowScopeReady();
        List1.AddItem("0.0 VOLTS RMS Pwr Supply Voltage Selected");
        applySampleAverage();
        return;
    }
    const TransformerKind kind = kindNamed(Settings.shownTransformer());
    if (kind == TransformerKind::Other) {
        applySampleAverage();
        return;
    }
    List1.AddItem(Combo2.text + " VOLTS RMS Pwr Supply Voltage Selected");
    if (!gainsSuit(kind, parseNumber(Combo2.text), Settings.shownGains())) {
        Settings.askToRunSetupAgain(kind);
    } else {
        if (Combo4.text == "NO LOAD") {
            Text12.set(CalculatorStatus::SelectLoadCapacitor);
        } else {
            Text12.set(CalculatorStatus::Ready);
        }
        ShowScopeReady();
        RefillAverageList();
    }
    applySampleAverage();
}

void Form1::sampleAveragePicked() {
    if (ScopeOpen != 1) {
        return;
    }
    const bool allReady = Text12.is(CalculatorStatus::Ready) && Text1.is(ScopeStatus::Ready) &&
                          Settings.status() == ScopeStatus::Ready;
    // A count sent inside another dialogue would land between its query and
    // its answer; it is refused like a count chosen while not ready.
    if (!allReady || DialogueRunning) {
        Combo3.text = commandNumber(SampleAverage);
        return;
    }
    // Only a listed count goes to the scope, written as plain digits; any
    // other text is put back like a refused pick.
    const auto count = listedAverageCount(Combo3.text);
    if (!count) {
        Combo3.text = commandNumber(SampleAverage);
        return;
    }
    SampleAverage = *count;
    Combo3.text = std::to_string(*count);
    const std::string command = "ACQ:NUMAVG " + Combo3.text;
    exchange.record.BytesWritten = 0;
    exchange.record.CommandBuffer = command + "\r\n";
    exchange.record.ReadTimedOut = false;
    exchange.record.ReadError = false;
    const std::uint32_t length = lineByteCount(command);
    const FT_STATUS status = platform.d2xx.FT_Write(
        lngHandle, exchange.record.CommandBuffer.data(), length, &exchange.record.BytesWritten);
    if (status != FT_OK) {
        List1.AddItem("ACQUIRE NUMERICAL AVERAGE Failed");
        return;
    }
    List1.AddItem(exchange.record.CommandBuffer.substr(0, length - 2));
}

void Form1::loadCapacitorPicked() {
    if (ScopeOpen != 1) {
        return;
    }
    if (Text12.is(CalculatorStatus::Wait)) {
        if (Combo4.text != "NO LOAD") {
            Combo4.text = LoadCapacitance != 0 ? plainNumber(LoadCapacitance) : "NO LOAD";
        }
        return;
    }
    if (Combo4.text == "NO LOAD") {
        LoadCapacitance = 0;
        Text12.set(CalculatorStatus::SelectLoadCapacitor);
        ShowScopeReady();
        List1.AddItem("0.0 uF Load Capacitor Selected");
        return;
    }
    if (Combo2.text == "OFF") {
        Combo4.text = "NO LOAD";
        LoadCapacitance = 0;
        List1.AddItem("0.0 uF Load Capacitor Selected");
        return;
    }
    Text12.set(CalculatorStatus::Ready);
    ShowScopeReady();
    RefillAverageList();
    LoadCapacitance = parseNumber(Combo4.text).value_or(0);
    List1.AddItem(Combo4.text + " uF Load Capacitor Selected");
}
