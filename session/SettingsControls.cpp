#include "SettingsControls.h"

#include <array>

SettingsControls::SettingsControls() {
    window.caption = "Oscilloscope Settings";
    // 17955 x 10050 twips at 15 twips a pixel
    window.width = 1197;
    window.height = 670;

    const std::array<std::pair<int, const char*>, 25> captions{{
        {1, "OSCILLOSCOPE STATUS"},
        {2, "MEASUREMENT"},
        {3, "CHANNEL"},
        {4, "UNITS"},
        {5, "TYPE"},
        {6, "COUPLING"},
        {7, "INVERT"},
        {8, "VOLT PROBE"},
        {9, "AMP PROBE"},
        {10, "SCALE"},
        {11, "SCOPE GAIN"},
        {12, "X"},
        {13, "X"},
        {14, "SENSOR PROBE"},
        {15, "VERTICAL TRACE POSITION"},
        {16, "CH1: +2.0"},
        {17, "CH2: +1.0"},
        {18, "MATH: 0.0"},
        {19, "CH3: -1.0"},
        {20, "CH4: -2.0"},
        {21, "MATH:DEFINE: \"CH1 x CH2\""},
        {22, "TRANSFORMER"},
        {23, "COLOR"},
        {24, "DEMONSTRATION SETUP"},
        {25, "OSCILLOSCOPE"},
    }};
    for (const auto& [number, caption] : captions) {
        Label* l = label(number);
        l->caption = caption;
        l->alignment = Alignment::Centre;
    }
    for (int number = 16; number <= 20; ++number) {
        label(number)->alignment = Alignment::Left;
    }
    Command1.caption = "CLOSE";
    Command2.caption = "GET SETTINGS";
    Command3.caption = "UPDATE SCOPE";
    Command4.caption = "UPDATE TRACE";
    Command5.caption = "SKIP TRANSFORMER SETUP";
    Command6.caption = "STANDARD TRANSFORMER  F-54X";
    Command7.caption = "SPLIT-FLUX TRANSFORMER #1";
    Command8.caption = "GENERAL TRANSFORMER";
}

TextBox* SettingsControls::textBox(int number) {
    static constexpr std::array<TextBox SettingsControls::*, 70> boxes{nullptr,
                                                                       &SettingsControls::Text2,
                                                                       &SettingsControls::Text3,
                                                                       &SettingsControls::Text4,
                                                                       &SettingsControls::Text5,
                                                                       &SettingsControls::Text6,
                                                                       &SettingsControls::Text7,
                                                                       &SettingsControls::Text8,
                                                                       &SettingsControls::Text9,
                                                                       &SettingsControls::Text10,
                                                                       &SettingsControls::Text11,
                                                                       &SettingsControls::Text12,
                                                                       &SettingsControls::Text13,
                                                                       &SettingsControls::Text14,
                                                                       &SettingsControls::Text15,
                                                                       &SettingsControls::Text16,
                                                                       &SettingsControls::Text17,
                                                                       &SettingsControls::Text18,
                                                                       &SettingsControls::Text19,
                                                                       &SettingsControls::Text20,
                                                                       &SettingsControls::Text21,
                                                                       &SettingsControls::Text22,
                                                                       &SettingsControls::Text23,
                                                                       &SettingsControls::Text24,
                                                                       &SettingsControls::Text25,
                                                                       &SettingsControls::Text26,
                                                                       &SettingsControls::Text27,
                                                                       &SettingsControls::Text28,
                                                                       &SettingsControls::Text29,
                                                                       &SettingsControls::Text30,
                                                                       &SettingsControls::Text31,
                                                                       &SettingsControls::Text32,
                                                                       &SettingsControls::Text33,
                                                                       &SettingsControls::Text34,
                                                                       &SettingsControls::Text35,
                                                                       &SettingsControls::Text36,
                                                                       &SettingsControls::Text37,
                                                                       &SettingsControls::Text38,
                                                                       &SettingsControls::Text39,
                                                                       &SettingsControls::Text40,
                                                                       &SettingsControls::Text41,
                                                                       &SettingsControls::Text42,
                                                                       &SettingsControls::Text43,
                                                                       &SettingsControls::Text44,
                                                                       &SettingsControls::Text45,
                                                                       &SettingsControls::Text46,
                                                                       &SettingsControls::Text47,
                                                                       &SettingsControls::Text48,
                                                                       &SettingsControls::Text49,
                                                                       &SettingsControls::Text50,
                                                                       &SettingsControls::Text51,
                                                                       &SettingsControls::Text52,
                                                                       &SettingsControls::Text53,
                                                                       &SettingsControls::Text54,
                                                                       &SettingsControls::Text55,
                                                                       &SettingsControls::Text56,
                                                                       &SettingsControls::Text57,
                                                                       &SettingsControls::Text58,
                                                                       &SettingsControls::Text59,
                                                                       &SettingsControls::Text60,
                                                                       &SettingsControls::Text61,
                                                                       &SettingsControls::Text62,
                                                                       &SettingsControls::Text63,
                                                                       &SettingsControls::Text64,
                                                                       &SettingsControls::Text65,
                                                                       &SettingsControls::Text66,
                                                                       &SettingsControls::Text67,
                                                                       &SettingsControls::Text68,
                                                                       &SettingsControls::Text69,
                                                                       &SettingsControls::Text70};
    if (number < 1 || number > 70) {
        return nullptr;
    }
    if (number == 1) {
        return &Text1;
    }
    return &(this->*boxes[static_cast<std::size_t>(number - 1)]);
}

Label* SettingsControls::label(int number) {
    static constexpr std::array<Label SettingsControls::*, 25> labels{
        &SettingsControls::Label1,  &SettingsControls::Label2,  &SettingsControls::Label3,  &SettingsControls::Label4,
        &SettingsControls::Label5,  &SettingsControls::Label6,  &SettingsControls::Label7,  &SettingsControls::Label8,
        &SettingsControls::Label9,  &SettingsControls::Label10, &SettingsControls::Label11, &SettingsControls::Label12,
        &SettingsControls::Label13, &SettingsControls::Label14, &SettingsControls::Label15, &SettingsControls::Label16,
        &SettingsControls::Label17, &SettingsControls::Label18, &SettingsControls::Label19, &SettingsControls::Label20,
        &SettingsControls::Label21, &SettingsControls::Label22, &SettingsControls::Label23, &SettingsControls::Label24,
        &SettingsControls::Label25};
    if (number < 1 || number > 25) {
        return nullptr;
    }
    return &(this->*labels[static_cast<std::size_t>(number - 1)]);
}

Button* SettingsControls::button(int number) {
    static constexpr std::array<Button SettingsControls::*, 8> buttons{
        &SettingsControls::Command1, &SettingsControls::Command2, &SettingsControls::Command3,
        &SettingsControls::Command4, &SettingsControls::Command5, &SettingsControls::Command6,
        &SettingsControls::Command7, &SettingsControls::Command8};
    if (number < 1 || number > 8) {
        return nullptr;
    }
    return &(this->*buttons[static_cast<std::size_t>(number - 1)]);
}
