#include "PrintScreenControls.h"

#include <array>

PrintScreenControls::PrintScreenControls() {
    window.caption = "Print Screen";
    window.width = 560;
    // The Parts' sheet, then the verdict and the calibrated figures under it.
    window.height = 930;
    LabelVerdict.caption = "VERDICT";
    LabelVerdict.alignment = Alignment::Centre;
    const std::array<std::pair<int, const char*>, 24> captions{{
        {1, "POWER SUPPLY  (V RMS)"},
        {2, "RESONANT FREQUENCY (Hz)"},
        {3, "TRANSFORMER"},
        {4, "SAMPLE AVERAGE"},
        {5, "TEST TIMESTAMP"},
        {6, "INPUT VOLTAGE (V RMS)"},
        {7, "OUTPUT VOLTAGE (V RMS)"},
        {8, "INPUT CURRENT (A RMS)"},
        {9, "OUTPUT CURRENT (A RMS)"},
        {10, "APPARENT INPUT POWER (VA)"},
        {11, "APPARENT OUTPUT POWER (VA)"},
        {12, "APPARENT POWER MULTIPLIER"},
        {13, "INPUT PHASE ANGLE (DEGREES)"},
        {14, "OUTPUT PHASE ANGLE (DEGREES)"},
        {15, "REACTIVE INPUT POWER (VAR)"},
        {16, "REACTIVE OUTPUT POWER (VAR)"},
        {17, "PHASE REAL INPUT POWER (WATTS)"},
        {18, "PHASE REAL OUTPUT POWER (WATTS)"},
        {19, "PHASE ANGLE: EFFICIENCY (%)"},
        {20, "LOAD RESISTOR (OHMS)"},
        {21, "RESISTOR REAL OUTPUT POWER (WATTS)"},
        {22, "LOAD RESISTOR: EFFICIENCY (%)"},
        {23, "COMMENT:"},
        {24, "LOAD CAPACITOR (uF)"},
    }};
    for (const auto& [number, caption] : captions) {
        label(number)->caption = caption;
        label(number)->alignment = Alignment::Centre;
    }
    Label23.alignment = Alignment::Left;
}

TextBox* PrintScreenControls::textBox(int number) {
    static constexpr std::array<TextBox PrintScreenControls::*, 24> boxes{
        &PrintScreenControls::Text1,  &PrintScreenControls::Text2,  &PrintScreenControls::Text3,
        &PrintScreenControls::Text4,  &PrintScreenControls::Text5,  &PrintScreenControls::Text6,
        &PrintScreenControls::Text7,  &PrintScreenControls::Text8,  &PrintScreenControls::Text9,
        &PrintScreenControls::Text10, &PrintScreenControls::Text11, &PrintScreenControls::Text12,
        &PrintScreenControls::Text13, &PrintScreenControls::Text14, &PrintScreenControls::Text15,
        &PrintScreenControls::Text16, &PrintScreenControls::Text17, &PrintScreenControls::Text18,
        &PrintScreenControls::Text19, &PrintScreenControls::Text20, &PrintScreenControls::Text21,
        &PrintScreenControls::Text22, &PrintScreenControls::Text23, &PrintScreenControls::Text24};
    if (number < 1 || number > 24) {
        return nullptr;
    }
    return &(this->*boxes[static_cast<std::size_t>(number - 1)]);
}

Label* PrintScreenControls::label(int number) {
    static constexpr std::array<Label PrintScreenControls::*, 24> labels{
        &PrintScreenControls::Label1,  &PrintScreenControls::Label2,  &PrintScreenControls::Label3,
        &PrintScreenControls::Label4,  &PrintScreenControls::Label5,  &PrintScreenControls::Label6,
        &PrintScreenControls::Label7,  &PrintScreenControls::Label8,  &PrintScreenControls::Label9,
        &PrintScreenControls::Label10, &PrintScreenControls::Label11, &PrintScreenControls::Label12,
        &PrintScreenControls::Label13, &PrintScreenControls::Label14, &PrintScreenControls::Label15,
        &PrintScreenControls::Label16, &PrintScreenControls::Label17, &PrintScreenControls::Label18,
        &PrintScreenControls::Label19, &PrintScreenControls::Label20, &PrintScreenControls::Label21,
        &PrintScreenControls::Label22, &PrintScreenControls::Label23, &PrintScreenControls::Label24};
    if (number < 1 || number > 24) {
        return nullptr;
    }
    return &(this->*labels[static_cast<std::size_t>(number - 1)]);
}
