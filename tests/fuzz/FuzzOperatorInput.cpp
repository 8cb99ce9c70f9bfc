#include "Bench.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// What an operator may type: the input, cut at newlines, fills the load
// resistor, the sample average, the probe and scale boxes, the positions and
// the MATH definition; then the actions that read them run.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> typed(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            typed.emplace_back();
        } else {
            typed.back() += static_cast<char>(data[i]);
        }
    }
    typed.resize(9);
    Bench bench; // a fresh bench at READY for every input
    Bench* b = &bench;
    b->walkToReady();
    Form1& f = *b->form;
    SettingsForm& s = f.Settings;
    f.Combo1.text = typed[0];
    f.Combo3.text = typed[1];
    s.Text32.text = typed[2];
    s.Text37.text = typed[3];
    s.Text41.text = typed[4];
    s.Text54.text = typed[5];
    s.Text56.text = typed[6];
    s.Text59.text = typed[7];
    f.Text24.text = typed[8];
    const std::size_t mark = b->d2xx.transcript.size();
    s.updateScope();
    s.updateTrace();
    f.RefillAverageList();
    f.Text12.text = "READY";
    f.startCalculation();
    // No typed text may put a line on the link that is not a command line.
    for (std::size_t i = mark; i < b->d2xx.transcript.size(); ++i) {
        const TranscriptEntry& e = b->d2xx.transcript[i];
        if (!e.written) {
            continue;
        }
        const std::string& bytes = e.bytes;
        if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0 ||
            bytes.find_first_of("\r\n") != bytes.size() - 2) {
            std::abort();
        }
        if (bytes.find('\0') != std::string::npos) {
            std::abort();
        }
    }
    if (f.CalculationRunning || f.DialogueRunning || s.SettingsBusy) {
        std::abort();
    }
    return 0;
}
