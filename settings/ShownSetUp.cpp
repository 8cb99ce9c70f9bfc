#include "SettingsForm.h"

PassOutcome::ScopeSetUp SettingsForm::shownSetUp() {
    rememberShownSetUp();
    return lastShownSetUp_;
}

void SettingsForm::rememberShownSetUp() {
    if (GridRead && window.loaded) {
        lastShownSetUp_ = setUpInGrid();
    }
}

PassOutcome::ScopeSetUp SettingsForm::setUpInGrid() {
    PassOutcome::ScopeSetUp shown;
    for (int channel = 0; channel < 4; ++channel) {
        const int row = rowOfChannel(channel);
        shown.channels[channel] = {voltProbeBox(row)->text, ampProbeBox(row)->text,
                                   scaleBox(row).text, gainBox(row).text};
    }
    shown.mathScale = scaleBox(MathRow).text;
    shown.mathGain = gainBox(MathRow).text;
    shown.recognised = Text70.text;
    return shown;
}
