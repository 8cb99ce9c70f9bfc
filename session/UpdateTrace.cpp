#include "CommandNumber.h"
#include "DialogueFlag.h"
#include "DisplayPattern.h"
#include "EventPump.h"
#include "NumberText.h"
#include "ScopeSettings.h"

namespace {

// The definition goes out between double quotes as a command of its own: a
// quote, a semicolon, a control character or a character beyond ASCII in it
// would put text on the link that is not part of the definition. A scope's
// definitions are short: 40 characters is room for any of them.
constexpr std::size_t LongestDefinition = 40;

bool isSafeDefinition(const std::string& text) {
    return text.size() <= LongestDefinition && isSendable(text) && text.find_first_of("\";") == std::string::npos;
}

} // namespace

ScopeSettings::Outcome ScopeSettings::updatePosition(int row) {
    const auto r = static_cast<std::size_t>(row);
    TextBox& box = positionBox(row);
    const std::string name = row == MathRow ? "MATH" : "CH" + std::to_string(channelOfRow(row) + 1);
    const std::string prefix = row == MathRow ? std::string("MATH:VERTICAL:POSITION ") : name + ":POSITION ";
    const auto p = parseNumber(box.text);
    // No number, or one whose command would not fit one line: the row is
    // left as it is.
    if (!p || !isSendable(prefix + commandNumber(*p))) {
        return Outcome::Next;
    }
    box.text = formatPattern(*p, "###0.0");
    if (*p == PositionSetting[r]) {
        return Outcome::Next;
    }
    const std::string command = prefix + commandNumber(*p);
    if (!exchange.SendCommand(command, "Set " + name + " Position Failed")) {
        return Outcome::Failed;
    }
    PositionSetting[r] = *p;
    return Outcome::Next;
}

ScopeSettings::Outcome ScopeSettings::updateMathDefinition() {
    const std::string definition = Text59.text;
    if (definition == MathDefinition) {
        return Outcome::Next;
    }
    if (!isSafeDefinition(definition)) {
        Text59.setColours(Colours::Red, Colours::White);
        return Outcome::Next;
    }
    const std::string command = "MATH:DEFINE \"" + definition + "\"";
    if (!exchange.SendCommand(command, "Set MATH:DEFINE Failed")) {
        return Outcome::Failed;
    }
    MathDefinition = definition;
    Label12.visible = definition == "CH1 * CH2";
    Label13.visible = definition == "CH3 * CH4";
    return Outcome::Next;
}

void ScopeSettings::updateTrace() {
    if (!canWrite(54, 59)) {
        return;
    }
    DialogueFlag dialogue(dialogueFlag());
    startAction("Update Trace Position");
    for (int row = 0; row < Rows; ++row) {
        if (row > 0) {
            platform_.pump.yield();
        }
        if (updatePosition(row) == Outcome::Failed) {
            recover();
            return;
        }
    }
    platform_.pump.yield();
    if (updateMathDefinition() == Outcome::Failed) {
        recover();
        return;
    }
    delay(2000);
    handBackToMain();
    SettingsBusy = false;
}
