#include "AnswerFields.h"
#include "CommandNumber.h"
#include "DialogueFlag.h"
#include "DisplayPattern.h"
#include "EventPump.h"
#include "GridTexts.h"
#include "NumberText.h"
#include "ScopeSettings.h"
#include "SetUp.h"
#include "SetupLists.h"
#include "Statuses.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<double, 7> VoltProbeFactors{1, 10, 20, 50, 100, 500, 1000};
constexpr std::array<double, 8> AmpProbeFactors{0.2, 1, 2, 5, 10, 50, 100, 1000};

bool accepted(double v, const double* first, const double* last) {
    return std::find(first, last, v) != last;
}

std::string channelName(int channel) {
    return "CH" + std::to_string(channel + 1);
}

} // namespace

void ScopeSettings::handBackToMain() {
    showSelectionPrompt();
    showScopeStatus(ScopeStatus::Ready);
    // A typed count that is not one of the list's leaves the last applied one.
    SavedAverage = setUp_.showListedAverage();
}

void ScopeSettings::startAction(const char* mainLine) {
    SettingsBusy = true;
    // The link may have been closed and opened again since the last action.
    lngHandle = mainHandle();
    logOnMain(mainLine);
    showCalculatorStatus(CalculatorStatus::Wait);
    showScopeStatus(ScopeStatus::Running);
    platform_.pump.yield();
}

void ScopeSettings::recover() {
    resetPath();
    SettingsBusy = false;
}

void ScopeSettings::rejectProbe(TextBox& box) {
    box.setColours(Colours::Red, Colours::White);
}

ScopeSettings::Outcome ScopeSettings::updateProbe(int channel, bool current) {
    const int row = rowOfChannel(channel);
    const auto r = static_cast<std::size_t>(row);
    const auto ch = static_cast<std::size_t>(channel);
    TextBox& box = current ? *ampProbeBox(row) : *voltProbeBox(row);
    const std::string& text = box.text;
    if (text.find_first_of("xX") == std::string::npos) {
        rejectProbe(box);
        return Outcome::Next;
    }
    const auto v = parseNumber(std::string_view(text).substr(0, text.size() - 1));
    const bool ok = v && (current ? accepted(*v, AmpProbeFactors.begin(), AmpProbeFactors.end())
                                  : accepted(*v, VoltProbeFactors.begin(), VoltProbeFactors.end()));
    if (!ok) {
        rejectProbe(box);
        return Outcome::Next;
    }
    box.text = current ? ampProbeText(*v) : voltProbeText(*v);
    double& known = current ? CurrentProbeFactor[ch] : ProbeFactor[ch];
    if (*v != known) {
        const std::string name = channelName(channel);
        const std::string attenuationFailed = "Set " + name + " Attenuation Factor Failed";
        const std::string command = current        ? name + ":CURRENTPROBE " + commandNumber(*v)
                                    : channel == 0 ? name + ":PROBE " + commandNumber(*v) + "X"
                                                   : name + ":PROBE " + commandNumber(*v);
        if (!exchange.SendCommand(command, attenuationFailed)) {
            return Outcome::Failed;
        }
        const std::string query = name + ":SCALE?";
        const std::string queryFailed = current ? "Read " + name + " Scale Failed" : attenuationFailed;
        if (!exchange.SendCommand(query, queryFailed)) {
            return Outcome::Failed;
        }
        platform_.pump.yield();
        const auto answer = exchange.ReadAnswer(":" + query.substr(0, query.size() - 1) + " ");
        if (!answer) {
            return Outcome::Failed;
        }
        // A read-back that is no number leaves the scale box as it was.
        if (const auto scale = scaleReadBack(*answer)) {
            scaleBox(row).text = formatPattern(*scale, "###0.00");
        }
        RowChanged[r] = true;
        known = *v;
    }
    const char* units = current ? "A" : "V";
    if (ChannelUnits[r] == units) {
        box.setColours(Colours::White, Colours::Black);
    } else {
        box.setColours(Colours::Black, Colours::Blue);
    }
    return Outcome::Next;
}

ScopeSettings::Outcome ScopeSettings::updateScale(int row, std::optional<double>& scale) {
    const auto r = static_cast<std::size_t>(row);
    const std::string name = row == MathRow ? "MATH" : channelName(channelOfRow(row));
    const std::string prefix = row == MathRow ? std::string("MATH:VERTICAL:SCALE ") : name + ":SCALE ";
    scale = parseNumber(scaleBox(row).text);
    // A number whose command would not fit one line (1e300, 1e-320) is no
    // scale either: the row is left as it is, as for a text that is no number.
    if (!scale || !isSendable(prefix + commandNumber(*scale))) {
        scale.reset();
        return Outcome::Next;
    }
    scaleBox(row).text = formatPattern(*scale, "###0.00");
    if (*scale == ScaleSetting[r]) {
        return Outcome::Next;
    }
    const std::string command = prefix + commandNumber(*scale);
    if (!exchange.SendCommand(command, "Set " + name + " Scale Factor Failed")) {
        return Outcome::Failed;
    }
    RowChanged[r] = true;
    ScaleSetting[r] = *scale;
    return Outcome::Next;
}

bool ScopeSettings::canWrite(int firstBox, int lastBox) {
    for (int n = firstBox; n <= lastBox; ++n) {
        if (textBox(n)->text.empty()) {
            return false;
        }
    }
    // Refused also while any dialogue with the scope is under way.
    return !SettingsBusy && !dialogueFlag();
}

void ScopeSettings::updateScope() {
    if (!canWrite(32, 44)) {
        return;
    }
    DialogueFlag dialogue(dialogueFlag());
    startAction("Update Scope Settings Button Pressed");
    RowChanged.fill(false);
    for (bool current : {false, true}) {
        for (int channel = 0; channel < 4; ++channel) {
            if (updateProbe(channel, current) == Outcome::Failed) {
                recover();
                return;
            }
        }
    }
    std::array<std::optional<double>, Rows> scales;
    for (int row = 0; row < Rows; ++row) {
        platform_.pump.yield();
        if (updateScale(row, scales[static_cast<std::size_t>(row)]) == Outcome::Failed) {
            recover();
            return;
        }
    }
    for (int row = 0; row < Rows; ++row) {
        platform_.pump.yield();
        const auto r = static_cast<std::size_t>(row);
        if (RowChanged[r]) {
            showGain(row, scales[r].value_or(ScaleSetting[r]), Colours::Blue);
            RowChanged[r] = false;
        }
    }
    handBackToMain();
    rememberSetUp();
    SettingsBusy = false;
}
