// Everything the settings window's routines do to the main window goes
// through here.
#include "ScopeSettings.h"

#include "SetUp.h"

void ScopeSettings::logOnMain(const std::string& line) {
    main_.List1.AddItem(line);
}

void ScopeSettings::logOnBoth(const std::string& line) {
    List1.AddItem(line);
    logOnMain(line);
}

void ScopeSettings::showScopeStatus(ScopeStatus status) {
    setUp_.showScopeStatus(status);
}

void ScopeSettings::showCalculatorStatus(CalculatorStatus status) {
    main_.Text12.set(status);
}

CalculatorStatus ScopeSettings::calculatorStatus() const {
    return main_.Text12.status;
}

bool ScopeSettings::setupMayChange() const {
    return calculatorStatus() == CalculatorStatus::Wait || calculatorStatus() == CalculatorStatus::Ready;
}

void ScopeSettings::showTransformerOnMain(const std::string& name) {
    main_.Text15.text = name;
}

void ScopeSettings::showScopeIdentity() {
    const TextBox& identity = main_.Text13;
    Text60.show(identity.text, identity.BackColor, identity.ForeColor);
}

bool& ScopeSettings::dialogueFlag() const {
    return link_.DialogueRunning;
}

FT_HANDLE ScopeSettings::mainHandle() const {
    return link_.lngHandle;
}
