#include "Form1Controls.h"

#include <array>

Form1Controls::Form1Controls(MainPanel& p)
    : Combo1(p.Combo1), Combo2(p.Combo2), Combo3(p.Combo3), Combo4(p.Combo4), Text1(p.Text1), Text2(p.Text2),
      Text3(p.Text3), Text4(p.Text4), Text5(p.Text5), Text6(p.Text6), Text7(p.Text7), Text8(p.Text8), Text9(p.Text9),
      Text10(p.Text10), Text11(p.Text11), Text12(p.Text12), Text13(p.Text13), Text14(p.Text14), Text15(p.Text15),
      Text16(p.Text16), Text17(p.Text17), Text18(p.Text18), Text19(p.Text19), Text20(p.Text20), Text21(p.Text21),
      Text22(p.Text22), Text23(p.Text23), Text24(p.Text24), PlusMinus(p.PlusMinus), TextUnit(p.TextUnit),
      TextOperator(p.TextOperator), TextLot(p.TextLot), TextVerdict(p.TextVerdict), VerdictReason(p.VerdictReason),
      CalibratedPhase(p.CalibratedPhase), CalibratedResistor(p.CalibratedResistor), CalibrationLine(p.CalibrationLine),
      UncertaintyWarnings(p.UncertaintyWarnings), VerdictLine(p.VerdictLine), List1(p.List1), Shape1(p.Shape1),
      panel_(p) {
    window.caption = "Transformer Efficiency Calculator";
    window.width = 1260;
    window.height = 820;

    Label1.caption = "Transformer Efficiency Calculator  -  bench measuring tool  -  "
                     "readings come from the oscilloscope on the adapter";
    const std::array<std::pair<Label*, const char*>, 29> captions{{
        {&Label2, "OSCILLOSCOPE STATUS"},
        {&Label3, "USB PORT"},
        {&Label4, "RESONANT FREQUENCY (Hz)"},
        {&Label5, "INPUT VOLTAGE (V RMS)"},
        {&Label6, "INPUT CURRENT (A RMS)"},
        {&Label7, "INPUT PHASE ANGLE (DEGREES)"},
        {&Label8, "PHASE REAL INPUT POWER (WATTS)"},
        {&Label9, "OUTPUT VOLTAGE (V RMS)"},
        {&Label10, "OUTPUT CURRENT (A RMS)"},
        {&Label11, "PHASE REAL OUTPUT POWER (WATTS)"},
        {&Label12, "PHASE ANGLE: EFFICIENCY (%)"},
        {&Label13, "CALCULATOR STATUS"},
        {&Label14, "OSCILLOSCOPE"},
        {&Label15, "TEST TIMESTAMP"},
        {&Label16, "TRANSFORMER"},
        {&Label17, "ACQUIRE"},
        {&Label18, "SELECT LOAD RESISTOR (OHMS)"},
        {&Label19, "OUTPUT PHASE ANGLE (DEGREES)"},
        {&Label20, "APPARENT INPUT POWER (VA)"},
        {&Label21, "APPARENT OUTPUT POWER (VA)"},
        {&Label22, "REACTIVE INPUT POWER (VAR)"},
        {&Label23, "REACTIVE OUTPUT POWER (VAR)"},
        {&Label24, "APPARENT POWER MULTIPLIER"},
        {&Label25, "RESISTOR REAL OUTPUT POWER (WATTS)"},
        {&Label26, "LOAD RESISTOR: EFFICIENCY (%)"},
        {&Label27, "POWER SUPPLY (V RMS)"},
        {&Label28, "SAMPLE AVERAGE"},
        {&Label29, "LOAD CAPACITOR (uF)"},
        {&Label30, "COMMENT:"},
    }};
    for (const auto& [label, caption] : captions) {
        label->caption = caption;
        label->alignment = Alignment::Centre;
    }
    Label30.alignment = Alignment::Left;

    Command1.caption = "CLOSE";
    Command2.caption = "RECONNECT";
    Command3.caption = "START CALCULATION";
    Command4.caption = "DISCONNECT";
    Command5.caption = "SETTINGS";
    Command6.caption = "CAPTURE";
    Command7.caption = "STOP CALCULATION";
    Command9.caption = "CLEAR LIST";
    CommandAccuracy.caption = "ACCURACY";
    CommandLimits.caption = "LIMITS";
    CommandCharacterise.caption = "CHARACTERISE";
    CommandUnitTest.caption = "UNIT TEST";
    for (auto [label, caption] : {std::pair{&LabelUnit, "UNIT"}, {&LabelOperator, "OPERATOR"}, {&LabelLot, "LOT"}}) {
        label->caption = caption;
        label->alignment = Alignment::Left;
        label->font = {10, true};
    }
    LabelVerdict.caption = "VERDICT";
    LabelVerdict.font = {10, true};
}

TextBox* Form1Controls::textBox(int number) {
    return panel_.textBox(number);
}

Label* Form1Controls::label(int number) {
    static constexpr std::array<Label Form1Controls::*, 29> labels{
        &Form1Controls::Label2,  &Form1Controls::Label3,  &Form1Controls::Label4,  &Form1Controls::Label5,
        &Form1Controls::Label6,  &Form1Controls::Label7,  &Form1Controls::Label8,  &Form1Controls::Label9,
        &Form1Controls::Label10, &Form1Controls::Label11, &Form1Controls::Label12, &Form1Controls::Label13,
        &Form1Controls::Label14, &Form1Controls::Label15, &Form1Controls::Label16, &Form1Controls::Label17,
        &Form1Controls::Label18, &Form1Controls::Label19, &Form1Controls::Label20, &Form1Controls::Label21,
        &Form1Controls::Label22, &Form1Controls::Label23, &Form1Controls::Label24, &Form1Controls::Label25,
        &Form1Controls::Label26, &Form1Controls::Label27, &Form1Controls::Label28, &Form1Controls::Label29,
        &Form1Controls::Label30};
    if (number < 2 || number > 30) {
        return nullptr;
    }
    return &(this->*labels[static_cast<std::size_t>(number - 2)]);
}
