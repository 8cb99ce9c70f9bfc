#include "ScopeSettings.h"
#include "Statuses.h"

#include "Delay.h"
#include "Screen.h"

ScopeSettings::ScopeSettings(MainPanel& main, LinkState& link, SetUp& setUp, const Platform& platform)
    : exchange(platform.d2xx, platform.pump, List1, lngHandle, TestFailed), main_(main), link_(link), setUp_(setUp),
      platform_(platform) {}

void ScopeSettings::delay(std::int32_t msdelay) {
    ::delay(platform_.clock, platform_.pump, msdelay);
}

TextBox* ScopeSettings::voltProbeBox(int row) {
    return row == MathRow ? nullptr : textBox(32 + channelOfRow(row));
}

TextBox* ScopeSettings::ampProbeBox(int row) {
    return row == MathRow ? nullptr : textBox(36 + channelOfRow(row));
}

TextBox* ScopeSettings::sensorBox(int row) {
    return row == MathRow ? nullptr : textBox(50 + channelOfRow(row));
}

void ScopeSettings::ShowSettings() {
    SettingsBusy = false;
    GridRead = false;
    TestFailed = false;
    centreWindow(window, platform_.screen);
    window.loaded = true;
    window.visible = true;
    for (int n = 1; n <= 25; ++n) {
        label(n)->font = {10, true};
    }
    Label12.font = {15, true};
    Label13.font = {15, true};
    List1.font = {8, false};
    List1.BackColor = Colours::White;
    List1.ForeColor = Colours::Black;
    for (int n = 1; n <= 70; ++n) {
        TextBox& box = *textBox(n);
        box.text.clear();
        box.font = {12, true};
        box.alignment = Alignment::Centre;
        box.setColours(Colours::White, Colours::Black);
    }
    Text60.setColours(Colours::Blue, Colours::White);
    for (int n = 1; n <= 8; ++n) {
        button(n)->font = {8, true};
    }
    showCalculatorStatus(CalculatorStatus::GetSettings);
    Text1.set(ScopeStatus::GetSettings);
    showScopeIdentity();
}

void ScopeSettings::UnloadSettings() {
    // The controls go back to their design state; the variables stay.
    GridRead = false;
    static_cast<SettingsControls&>(*this) = SettingsControls();
}

void ScopeSettings::closeWindow() {
    if (SettingsBusy) {
        return;
    }
    logOnMain("Close Settings Window Button Pressed");
    UnloadSettings();
}
