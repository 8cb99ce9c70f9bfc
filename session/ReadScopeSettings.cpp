#include "AnswerFields.h"
#include "DialogueFlag.h"
#include "DisplayPattern.h"
#include "EndLink.h"
#include "EventPump.h"
#include "GridTexts.h"
#include "ScopeSettings.h"
#include "SetUp.h"
#include "SetupLists.h"
#include "Statuses.h"
#include "TransformerKinds.h"

#include <array>

namespace {

struct ExpectedRow {
    const char* query;
    const char* header; // how the scope's answer to the query begins
    const char* failureLine;
    const char* channel;
    const char* units;
    const char* type;
    Colour swatch;
    Colour swatchText;
};

constexpr std::array<ExpectedRow, 5> Expected{{
    {"MEASU:MEAS1?", ":MEASUREMENT:MEAS1:", "Write MEASU:MEAS1 Request Failed", "CH1", "V", "CRMS", Colours::Yellow,
     Colours::Black},
    {"MEASU:MEAS2?", ":MEASUREMENT:MEAS2:", "Write MEASU:MEAS2 Request Failed", "CH2", "A", "CRMS", Colours::Blue,
     Colours::White},
    {"MEASU:MEAS3?", ":MEASUREMENT:MEAS3:", "Write MEASU:MEAS3 Request Failed", "MATH", "VA", "MEAN", Colours::Red,
     Colours::White},
    {"MEASU:MEAS4?", ":MEASUREMENT:MEAS4:", "Write MEASU:MEAS4 Request Failed", "CH3", "V", "CRMS", Colours::Magenta,
     Colours::Black},
    {"MEASU:MEAS5?", ":MEASUREMENT:MEAS5:", "Write MEASU:MEAS5 Request Failed", "CH4", "A", "CRMS", Colours::Green,
     Colours::Black},
}};

struct ChannelQuery {
    const char* query;
    const char* header;
    const char* failureLine;
};
constexpr std::array<ChannelQuery, 4> ChannelQueries{{
    {"CH1?", ":CH1:", "Write CH1 Request Failed"},
    {"CH2?", ":CH2:", "Write CH2 Request Failed"},
    {"CH3?", ":CH3:", "Write CH3 Request Failed"},
    {"CH4?", ":CH4:", "Write CH4 Request Failed"},
}};

} // namespace

void ScopeSettings::getSettings() {
    // Refused also while another dialogue with the scope runs (a measurement
    // pass started while this window was open): its answers would mix.
    if (SettingsBusy || dialogueFlag()) {
        return;
    }
    logOnMain("Get Settings Button Pressed");
    Text70.text.clear();
    ReadScopeSettings();
}

void ScopeSettings::markMismatch(TextBox& box) {
    box.show("False", Colours::Red, Colours::White);
}

void ScopeSettings::prepareRead() {
    GridRead = false;
    SettingsBusy = true;
    lngHandle = mainHandle();
    List1.Clear();
    showCalculatorStatus(CalculatorStatus::Wait);
    showScopeStatus(ScopeStatus::Running);
    setUp_.offerLoadResistors();
    Label12.visible = false;
    Label13.visible = false;
    for (int n = 2; n <= 59; ++n) {
        textBox(n)->text.clear();
    }
    for (int n = 61; n <= 64; ++n) {
        textBox(n)->text.clear();
    }
    for (int n : {32, 33, 34, 35, 36, 37, 38, 39, 50, 51, 52, 53, 65, 66, 67, 68, 69}) {
        textBox(n)->setColours(Colours::White, Colours::Black);
    }
    platform_.pump.yield();
}

bool ScopeSettings::queryStep(const char* query, const char* header, const char* failureLine, std::string& answer) {
    if (!exchange.SendCommand(query, failureLine)) {
        return false;
    }
    if (std::string_view(query) == "MEASU:IMMED:VALUE?") {
        List1.AddItem("Read the RESONANT FREQUENCY in Hz");
    }
    auto received = exchange.ReadAnswer(header);
    if (!received) {
        return false;
    }
    answer = std::move(*received);
    return true;
}

void ScopeSettings::ReadScopeSettings() {
    DialogueFlag dialogue(dialogueFlag());

    prepareRead();
    std::string answer;
    const auto ok = [&]() -> bool {
        if (!queryStep("MEASU:IMMED?", ":MEASUREMENT:IMMED:", "Read MEASU:IMMED Request Failed", answer)) {
            return false;
        }
        readImmediate(answer);
        if (!queryStep("MEASU:IMMED:VALUE?", ":MEASUREMENT:IMMED:VALUE ", "FREQUENCY Request Failed", answer)) {
            return false;
        }
        for (int row = 0; row < Rows; ++row) {
            const ExpectedRow& e = Expected[static_cast<std::size_t>(row)];
            if (!queryStep(e.query, e.header, e.failureLine, answer)) {
                return false;
            }
            readSlot(row, answer);
        }
        for (int channel = 0; channel < 4; ++channel) {
            const ChannelQuery& q = ChannelQueries[static_cast<std::size_t>(channel)];
            if (!queryStep(q.query, q.header, q.failureLine, answer)) {
                return false;
            }
            readChannel(channel, answer);
            if (channel == 1) {
                if (!queryStep("MATH?", ":MATH:", "Write MATH Request Failed", answer)) {
                    return false;
                }
                readMath(answer);
            }
        }
        return true;
    }();
    if (ok) {
        completeRead();
    } else {
        resetPath();
    }
    closingSteps();
    if (ok) {
        rememberSetUp();
    }
}

void ScopeSettings::readImmediate(const std::string& answer) {
    ImmediateName = charactersAt(answer, 13, 7);
    Text61.text = ImmediateName;
    const int source = findKeyword(answer, "SOURCE1");
    ImmediateChannel = source == 0 ? "" : textUpTo(answer, source + 7, '\r').value_or("");
    Text62.text = ImmediateChannel;
    const int units = findKeyword(answer, "UNITS");
    auto unitsText = units == 0 ? std::nullopt : textUpTo(answer, units + 7, ';');
    if (unitsText && !unitsText->empty()) {
        unitsText->pop_back();
    }
    ImmediateUnits = unitsText.value_or("");
    Text63.text = ImmediateUnits;
    const int type = findKeyword(answer, "TYPE");
    ImmediateType = type == 0 ? "" : textUpTo(answer, type + 5, ';').value_or("");
    Text64.text = ImmediateType;
}

void ScopeSettings::readSlot(int row, const std::string& answer) {
    const ExpectedRow& e = Expected[static_cast<std::size_t>(row)];
    const auto r = static_cast<std::size_t>(row);
    const bool math = row == MathRow;

    MeasurementName[r] = charactersAt(answer, 13, 7);
    measurementBox(row).text = MeasurementName[r];

    MeasurementChannel[r] = fixedField(answer, "SOURCE", 7, math ? 4 : 3);
    if (MeasurementChannel[r] == e.channel) {
        channelBox(row).text = MeasurementChannel[r];
    } else {
        markMismatch(channelBox(row));
    }
    ChannelUnits[r] = fixedField(answer, "UNITS", 7, math ? 2 : 1);
    if (ChannelUnits[r] == e.units) {
        unitsBox(row).text = ChannelUnits[r];
    } else {
        markMismatch(unitsBox(row));
    }
    MeasurementType[r] = fixedField(answer, "TYPE", 5, 4);
    if (MeasurementType[r] == e.type) {
        typeBox(row).text = MeasurementType[r];
    } else {
        markMismatch(typeBox(row));
    }
    colourBox(row).setColours(e.swatch, e.swatchText);
}

void ScopeSettings::showGain(int row, double scale, Colour noneText) {
    const auto r = static_cast<std::size_t>(row);
    if (row == MathRow) {
        // Only when CH1 and CH2 carry one voltage and one current.
        const std::string& u1 = ChannelUnits[0];
        const std::string& u2 = ChannelUnits[1];
        if ((u1 == "V" && u2 == "A") || (u1 == "A" && u2 == "V")) {
            GainShown[r] = scale;
            Text47.text = gainText(scale, "VA");
        }
        return;
    }
    const auto channel = static_cast<std::size_t>(channelOfRow(row));
    if (ChannelUnits[r] == "V") {
        GainShown[r] = scale;
        gainBox(row).text = gainText(scale, "V");
        sensorBox(row)->show("NONE", Colours::Black, noneText);
    } else if (ChannelUnits[r] == "A") {
        GainShown[r] = scale;
        gainBox(row).text = gainText(scale, "A");
        SensorFactor[channel] = channel == 0 || channel == 2 ? 1.0 : 0.1;
        sensorBox(row)->text = sensorText(SensorFactor[channel]);
    }
}

void ScopeSettings::readChannel(int channel, const std::string& answer) {
    const int row = rowOfChannel(channel);
    const auto r = static_cast<std::size_t>(row);
    const auto ch = static_cast<std::size_t>(channel);
    const std::string& units = ChannelUnits[r];

    ChannelCoupling[r] = fixedField(answer, "COUPLING", 9, 2);
    if (ChannelCoupling[r] == "AC") {
        couplingBox(row).text = ChannelCoupling[r];
    } else {
        markMismatch(couplingBox(row));
    }

    if (const auto invert = invertField(answer)) {
        ChannelInvert[r] = *invert;
        invertBox(row).text = *invert;
    } else {
        invertBox(row).show(ChannelInvert[r] == "OFF" ? "True" : "False", Colours::Red, Colours::White);
    }

    // A numeric field that is missing or no number leaves its box empty and
    // the value known from before; UPDATE SCOPE then refuses the empty box.
    TextBox& voltProbe = *voltProbeBox(row);
    if (const auto probe = numberField(answer, "PROBE", 6)) {
        ProbeFactor[ch] = *probe;
        voltProbe.text = voltProbeText(*probe);
    }
    if (units == "V") {
        voltProbe.setColours(Colours::White, Colours::Black);
    } else {
        voltProbe.setColours(Colours::Black, Colours::Blue);
    }
    TextBox& ampProbe = *ampProbeBox(row);
    if (const auto probe = numberField(answer, "CURRENTPROBE", 13)) {
        CurrentProbeFactor[ch] = *probe;
        ampProbe.text = ampProbeText(*probe);
    }
    if (units == "A") {
        ampProbe.setColours(Colours::White, Colours::Black);
    } else {
        ampProbe.setColours(Colours::Black, Colours::Blue);
    }
    if (const auto scale = numberField(answer, "SCALE", 6)) {
        ScaleSetting[r] = *scale;
        scaleBox(row).text = formatPattern(*scale, "###0.00");
        showGain(row, *scale, channel == 1 ? Colours::White : Colours::Blue);
    }
    if (const auto position = numberField(answer, "POSITION", 9)) {
        PositionSetting[r] = *position;
        positionBox(row).text = formatPattern(*position, "###0.0");
    }
}

void ScopeSettings::readMath(const std::string& answer) {
    constexpr auto m = static_cast<std::size_t>(MathRow);
    if (const auto definition = definitionField(answer)) {
        MathDefinition = *definition;
        Text59.text = MathDefinition;
        Label12.visible = MathDefinition == "CH1 * CH2";
        Label13.visible = MathDefinition == "CH3 * CH4";
    }

    ChannelCoupling[m] = "AC";
    Text24.text = "AC";
    if (ChannelCoupling[0] != "AC" || ChannelCoupling[1] != "AC") {
        Text24.setColours(Colours::Red, Colours::White);
    }

    const bool bothOff = ChannelInvert[0] == "OFF" && ChannelInvert[1] == "OFF";
    const bool bothOn = ChannelInvert[0] == "ON" && ChannelInvert[1] == "ON";
    ChannelInvert[m] = bothOff || bothOn ? "OFF" : "ON";
    Text29.text = ChannelInvert[m];

    if (const auto scale = numberField(answer, "SCALE", 6)) {
        ScaleSetting[m] = *scale;
        Text42.text = formatPattern(*scale, "###0.00");
        showGain(MathRow, *scale, Colours::Blue);
    }
    if (const auto position = numberField(answer, "POSITION", 9)) {
        PositionSetting[m] = *position;
        Text56.text = formatPattern(*position, "###0.0");
    }
}

void ScopeSettings::completeRead() {
    GridRead = true;
    showSelectionPrompt();
    showScopeStatus(ScopeStatus::Ready);
}

void ScopeSettings::showSelectionPrompt() {
    const MainPicks picked = setUp_.picks();
    if (!picked.loadResistor) {
        showCalculatorStatus(CalculatorStatus::SelectLoadResistor);
    } else if (!picked.loadCapacitor) {
        showCalculatorStatus(CalculatorStatus::SelectLoadCapacitor);
    } else {
        showCalculatorStatus(CalculatorStatus::Ready);
    }
}

void ScopeSettings::resetPath() {
    Text1.set(ScopeStatus::ResetScope);
    platform_.pump.yield();
    if (endLink(platform_.d2xx, lngHandle, List1)) {
        List1.AddItem("Close Scope");
    }
    if (TestFailed) {
        List1.AddItem("Test Failed");
    }
}

void ScopeSettings::closingSteps() {
    SettingsBusy = false;
    recogniseSetup();
    addGainNotes();
}

void ScopeSettings::recogniseSetup() {
    std::string found = GeneralName;
    if (Text32.text == "20X" && Text34.text == "20X" && Text37.text == "10X" && Text39.text == "10X") {
        found = SplitFluxName;
    } else if (Text32.text == "20X" && Text34.text == "1X" && Text37.text == "10X" && Text39.text == "10X") {
        found = StandardName;
    }
    const bool named = Text70.text == SplitFluxName || Text70.text == StandardName || Text70.text == GeneralName;
    if (Text70.text.empty() || (named && Text70.text != found)) {
        logOnMain("");
        logOnMain("Demonstrate " + found);
    }
    showTransformerOnMain(found);
    Text70.text = found;
}

void ScopeSettings::addGainNotes() {
    const std::array<const TextBox*, 5> gains{&Text45, &Text46, &Text47, &Text48, &Text49};
    const std::array<const char*, 5> names{"  CH1: ", "  CH2: ", "  MATH: ", "  CH3: ", "  CH4: "};
    const auto listRow = [&](const GainRow& row) {
        for (std::size_t i = 0; i < 5; ++i) {
            List1.AddItem(names[i] + row[i]);
        }
    };
    if (Text70.text == SplitFluxName) {
        static const std::array<const char*, 3> supplyLines{"POWER SUPPLY VOLTAGE > 10.0 V RMS",
                                                            "POWER SUPPLY VOLTAGE > 5.0 V RMS <= 10.0 V RMS",
                                                            "POWER SUPPLY VOLTAGE <= 5.0V RMS "};
        for (std::size_t set = 0; set < 3; ++set) {
            const GainRow& row = splitFluxGainSets()[set];
            bool match = true;
            for (std::size_t i = 0; i < 5 && match; ++i) {
                match = gains[i]->text == row[i];
            }
            if (match) {
                List1.AddItem("");
                List1.AddItem("Recommended Scope Gain Settings for " + Text70.text + ":");
                List1.AddItem(supplyLines[set]);
                listRow(row);
                List1.AddItem("");
                return;
            }
        }
    } else if (Text70.text == StandardName) {
        List1.AddItem("");
        List1.AddItem("Recommended Scope Gain Settings for " + Text70.text + ":");
        listRow(*recommendedGains(TransformerKind::Standard, 0));
        List1.AddItem("");
    } else {
        List1.AddItem("");
        List1.AddItem("Gain Settings for GENERAL TRANSFORMER:");
        for (std::size_t i = 0; i < 5; ++i) {
            List1.AddItem(names[i] + gains[i]->text);
        }
        List1.AddItem("");
    }
}
