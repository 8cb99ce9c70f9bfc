#include "ResultBoxes.h"

ResultBoxes::ResultBoxes(MainPanel& panel, ScopeStatusBox& settingsStatus)
    : panel_(panel), settingsStatus_(settingsStatus) {}

PassControls ResultBoxes::passControls() {
    MainPanel& p = panel_;
    return PassControls{p.Text1,  p.Text3,         p.Text4,  p.Text5,  p.Text6,  p.Text7,  p.Text8,
                        p.Text9,  p.Text10,        p.Text11, p.Text12, p.Text14, p.Text16, p.Text17,
                        p.Text18, p.Text19,        p.Text20, p.Text21, p.Text22, p.Text23, p.Combo1,
                        p.List1,  settingsStatus_, p.Text15, p.Combo2, p.Combo3, p.Combo4, p.Text24};
}

void ResultBoxes::clear() {
    clearMarks();
    if (running != nullptr) {
        running->clearResults();
        return;
    }
    PassControls c = passControls();
    ::ClearResultBoxes(c);
}

void ResultBoxes::clearMarks() {
    for (Label& label : panel_.PlusMinus) {
        label.caption.clear();
        label.toolTip.clear();
        label.ForeColor.reset();
        label.BackColor.reset(); // a figure's verdict colour goes with its ±
    }
    for (Label* label : {&panel_.CalibratedPhase, &panel_.CalibratedResistor}) {
        label->caption.clear();
        label->toolTip.clear();
    }
    panel_.UncertaintyWarnings.clear();
}
