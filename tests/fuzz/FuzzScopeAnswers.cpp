#include "TestRig.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// A scope that answers anything at all: the input, cut at 0xFE bytes, gives
// the answers to the settings queries and to the value queries of a pass.
namespace {

std::vector<std::string> pieces(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFE) {
            out.emplace_back();
        } else {
            out.back() += static_cast<char>(data[i]);
        }
    }
    return out;
}

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const queries[] = {"MEASU:IMMED?",
                                          "MEASU:MEAS1?",
                                          "MEASU:MEAS2?",
                                          "MEASU:MEAS3?",
                                          "CH1?",
                                          "CH2?",
                                          "MATH?",
                                          "CH4?",
                                          "MEASU:IMMED:VALUE?",
                                          "MEASU:MEAS1:VALUE?",
                                          "MEASU:MEAS2:VALUE?",
                                          "MEASU:MEAS3:VALUE?",
                                          "MEASU:MEAS4:VALUE?",
                                          "MEASU:MEAS5:VALUE?",
                                          "ACQ:STATE?",
                                          "CH3:SCALE?"};
    TestRig b;
    const std::vector<std::string> answers = pieces(data, size);
    for (std::size_t i = 0; i < answers.size() && i < std::size(queries); ++i) {
        b.d2xx.addFault(queries[i], SimFault::answered(answers[i]));
    }
    b.walkToReady();
    b.form->Settings.Text34.text = "10X";
    b.form->Settings.updateScope();
    b.form->Text12.set(CalculatorStatus::Ready);
    b.form->startCalculation();
    check(!b.form->CalculationRunning && !b.form->DialogueRunning && !b.form->Settings.SettingsBusy);
    for (const TextBox* box : {&b.form->Text3, &b.form->Text11, &b.form->Text16, &b.form->Text22}) {
        check(box->text.find("nan") == std::string::npos && box->text.find("inf") == std::string::npos);
    }
    return 0;
}
