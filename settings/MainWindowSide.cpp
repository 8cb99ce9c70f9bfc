// Everything the settings window does to the main window goes through here.
#include "SettingsForm.h"

void SettingsForm::logOnMain(const std::string& line) { main_.events.AddItem(line); }

void SettingsForm::logOnBoth(const std::string& line) {
    List1.AddItem(line);
    logOnMain(line);
}

void SettingsForm::showScopeStatus(ScopeStatus status) {
    Text1.set(status);
    main_.scopeStatus.set(status);
}

void SettingsForm::showCalculatorStatus(CalculatorStatus status) { main_.calculatorStatus.set(status); }

CalculatorStatus SettingsForm::calculatorStatus() const { return main_.calculatorStatus.status; }

bool SettingsForm::setupMayChange() const {
    return calculatorStatus() == CalculatorStatus::Wait || calculatorStatus() == CalculatorStatus::Ready;
}

void SettingsForm::showTransformerOnMain(const std::string& name) { main_.transformer.text = name; }

void SettingsForm::showScopeIdentity() {
    const TextBox& identity = main_.scopeIdentity;
    Text60.show(identity.text, identity.BackColor, identity.ForeColor);
}

bool& SettingsForm::dialogueFlag() const { return main_.dialogueRunning; }

FT_HANDLE SettingsForm::mainHandle() const { return main_.handle; }

void SettingsForm::askToRunSetupAgain(TransformerKind kind) {
    logOnBoth("Run " + kindName(kind) + " setup again");
    showCalculatorStatus(CalculatorStatus::Wait);
    showScopeStatus(ScopeStatus::RunSetupAgain);
}
