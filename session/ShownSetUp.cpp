#include "ScopeSettings.h"

// The grid as a read or an update left it: what the scope was set to, not
// what has been typed in the grid since and not yet written.
void ScopeSettings::rememberSetUp() {
    scopeSetUp_ = setUpInGrid();
}

PassOutcome::ScopeSetUp ScopeSettings::setUpInGrid() {
    PassOutcome::ScopeSetUp shown;
    for (int channel = 0; channel < 4; ++channel) {
        const int row = rowOfChannel(channel);
        shown.channels[channel] = {voltProbeBox(row)->text, ampProbeBox(row)->text, scaleBox(row).text,
                                   gainBox(row).text};
    }
    shown.mathScale = scaleBox(MathRow).text;
    shown.mathGain = gainBox(MathRow).text;
    shown.recognised = Text70.text;
    return shown;
}
