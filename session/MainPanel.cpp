#include "MainPanel.h"

#include <array>

MainPanel::MainPanel() {
    TextVerdict.font = {12, true};
    TextVerdict.alignment = Alignment::Centre;
    VerdictReason.font = {8, false};
    for (Label& plusMinus : PlusMinus) {
        plusMinus.font.pointSize = 10;
    }
    CalibratedPhase.font = {10, true};
    CalibratedResistor.font = {10, true};
    CalibrationLine.font = {9, false};
}

TextBox* MainPanel::textBox(int number) {
    static constexpr std::array<TextBox MainPanel::*, 24> boxes{nullptr,
                                                                &MainPanel::Text2,
                                                                &MainPanel::Text3,
                                                                &MainPanel::Text4,
                                                                &MainPanel::Text5,
                                                                &MainPanel::Text6,
                                                                &MainPanel::Text7,
                                                                &MainPanel::Text8,
                                                                &MainPanel::Text9,
                                                                &MainPanel::Text10,
                                                                &MainPanel::Text11,
                                                                nullptr,
                                                                &MainPanel::Text13,
                                                                &MainPanel::Text14,
                                                                &MainPanel::Text15,
                                                                &MainPanel::Text16,
                                                                &MainPanel::Text17,
                                                                &MainPanel::Text18,
                                                                &MainPanel::Text19,
                                                                &MainPanel::Text20,
                                                                &MainPanel::Text21,
                                                                &MainPanel::Text22,
                                                                &MainPanel::Text23,
                                                                &MainPanel::Text24};
    if (number < 1 || number > 24) {
        return nullptr;
    }
    if (number == 1) {
        return &Text1;
    }
    if (number == 12) {
        return &Text12;
    }
    return &(this->*boxes[static_cast<std::size_t>(number - 1)]);
}
