#include "PrintScreen.h"

#include "Carets.h"
#include "Delay.h"
#include "EventPump.h"
#include "KeySynth.h"
#include "Screen.h"
#include "VerdictLook.h"

#include <array>
#include <string>

namespace {

// Each report box, its font size and the main-window control it repeats.
struct ReportBox {
    int number;
    int pointSize;
    std::string (*source)(const ReportSources&);
    int result = -1; // the main window's result box it repeats, in the record's order
};

const std::array<ReportBox, 24> ReportBoxes{{
    {1, 12, [](const ReportSources& f) { return f.Combo2.text; }},
    {2, 12, [](const ReportSources& f) { return f.Text3.text; }},
    {3, 12, [](const ReportSources& f) { return f.Text15.text; }},
    {4, 12, [](const ReportSources& f) { return f.Combo3.text; }},
    {5, 18, [](const ReportSources& f) { return f.Text14.text; }},
    {6, 12, [](const ReportSources& f) { return f.Text4.text; }, 1},
    {7, 12, [](const ReportSources& f) { return f.Text8.text; }, 7},
    {8, 12, [](const ReportSources& f) { return f.Text5.text; }, 2},
    {9, 12, [](const ReportSources& f) { return f.Text9.text; }, 8},
    {10, 12, [](const ReportSources& f) { return f.Text18.text; }, 3},
    {11, 12, [](const ReportSources& f) { return f.Text19.text; }, 9},
    {12, 18, [](const ReportSources& f) { return f.Text22.text; }, 10},
    {13, 12, [](const ReportSources& f) { return f.Text6.text; }, 4},
    {14, 12, [](const ReportSources& f) { return f.Text17.text; }, 11},
    {15, 12, [](const ReportSources& f) { return f.Text20.text; }, 5},
    {16, 12, [](const ReportSources& f) { return f.Text21.text; }, 12},
    {17, 12, [](const ReportSources& f) { return f.Text7.text; }, 6},
    {18, 12, [](const ReportSources& f) { return f.Text10.text; }, 13},
    {19, 18, [](const ReportSources& f) { return f.Text11.text; }, 14},
    {20, 12, [](const ReportSources& f) { return f.Combo1.text; }},
    {21, 12, [](const ReportSources& f) { return f.Text23.text; }, 15},
    {22, 18, [](const ReportSources& f) { return f.Text16.text; }, 16},
    {23, 12, [](const ReportSources& f) { return f.Text24.text; }},
    {24, 12, [](const ReportSources& f) { return f.Combo4.text; }},
}};

} // namespace

PrintScreen::PrintScreen(ReportSources main, const Platform& platform) : main_(main), platform_(platform) {}

void PrintScreen::delay(std::int32_t msdelay) {
    ::delay(platform_.clock, platform_.pump, msdelay);
}

void PrintScreen::Form_Load() {
    centreWindow(window, platform_.screen);
    window.loaded = true;
    window.visible = true;
    styleControls();
    copyTexts();
    setCarets(false);
    platform_.pump.yield();
    KeySynth& keys = platform_.keys;
    keys.keybd_event(VK_MENU, 0, 0, 0);
    delay(500);
    keys.keybd_event(VK_SNAPSHOT, 0, 0, 0);
    delay(500);
    keys.keybd_event(VK_SNAPSHOT, 0, KEYEVENTF_KEYUP, 0);
    delay(500);
    keys.keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    delay(4000);
    platform_.pump.yield();
    setCarets(true);
}

void PrintScreen::Unload() {
    static_cast<PrintScreenControls&>(*this) = PrintScreenControls();
}

void PrintScreen::styleControls() {
    for (int n = 1; n <= 24; ++n) {
        label(n)->font = {10, true};
    }
    for (const ReportBox& r : ReportBoxes) {
        TextBox& box = *textBox(r.number);
        box.text.clear();
        box.font = {r.pointSize, true};
        box.alignment = r.number == 23 ? Alignment::Left : Alignment::Centre;
        box.setColours(Colours::White, Colours::Black);
    }
}

void PrintScreen::copyTexts() {
    for (const ReportBox& r : ReportBoxes) {
        textBox(r.number)->text = r.source(main_);
        if (r.result >= 0) {
            const Label& shown = main_.PlusMinus.at(static_cast<std::size_t>(r.result));
            Label& plusMinus = PlusMinus.at(static_cast<std::size_t>(r.number));
            plusMinus.caption = shown.caption;
            plusMinus.ForeColor = shown.ForeColor;
            plusMinus.BackColor = shown.BackColor; // a verdict's colour and its text's go together
            plusMinus.font = {10, true};
        }
    }
    // Under the results: the verdict with its reason and limit set, then the
    // warnings.
    Warnings.caption = main_.Verdict;
    if (!main_.Warnings.empty()) {
        Warnings.caption += (Warnings.caption.empty() ? "" : "; ") + main_.Warnings;
    }
    Warnings.ForeColor = MarkedText;
    Warnings.font = {8, false};
    copyVerdict();
}

// The verdict as large as a result, in its own colours; every figure not
// inside its limit; the calibrated efficiencies and the calibration in force.
void PrintScreen::copyVerdict() {
    LabelVerdict.font = {10, true};
    TextVerdict.font = {18, true};
    TextVerdict.alignment = Alignment::Centre;
    if (main_.VerdictShown) {
        const VerdictLook& look = lookOf(*main_.VerdictShown);
        TextVerdict.show(verdictName(*main_.VerdictShown), look.back, look.fore);
    } else {
        TextVerdict.show("NO LIMITS", Colours::White, Colour{0x595959});
    }
    std::string reasons;
    for (const std::string& r : main_.VerdictReasons) {
        reasons += (reasons.empty() ? "" : "\n") + r;
    }
    if (main_.VerdictShown && reasons.empty()) {
        reasons = "every limited figure inside its limit";
    }
    VerdictReasons.caption = reasons;
    VerdictReasons.font = {9, false};
    const std::string phase = main_.CalibratedPhase.caption;
    const std::string resistor = main_.CalibratedResistor.caption;
    Calibrated.caption = phase.empty() && resistor.empty()
                             ? main_.CalibrationLine.caption
                             : "Calibrated: phase angle efficiency " + phase + ", load resistor efficiency " +
                                   resistor + "\n" + main_.CalibrationLine.caption;
    Calibrated.font = {10, true};
}

void PrintScreen::setCarets(bool shown) {
    for (int n = 1; n <= 24; ++n) {
        const std::string name = "Text" + std::to_string(n);
        textBox(n)->caretHidden = !shown;
        if (shown) {
            platform_.carets.ShowCaret(name);
        } else {
            platform_.carets.HideCaret(name);
        }
    }
}
