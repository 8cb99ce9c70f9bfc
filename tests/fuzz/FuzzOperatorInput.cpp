#include "CommandNumber.h"
#include "TestRig.h"

#include <array>
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
    // One bench walked to READY once; every input starts from that state again.
    static TestRig* b = [] {
        auto* ready = new TestRig;
        ready->walkToReady();
        ready->d2xx.recording = true;
        return ready;
    }();
    static const SettingsControls readyControls = b->form->Settings;
    static const SimScope readyScope = b->scope;
    struct Known {
        std::array<double, 4> probe, currentProbe;
        std::array<double, 5> scale, position;
        std::string math;
    };
    static const Known known{b->form->Settings.ProbeFactor, b->form->Settings.CurrentProbeFactor,
                             b->form->Settings.ScaleSetting, b->form->Settings.PositionSetting,
                             b->form->Settings.MathDefinition};
    Form1& f = *b->form;
    ScopeSettings& s = f.Settings;
    static_cast<SettingsControls&>(s) = readyControls;
    s.ProbeFactor = known.probe;
    s.CurrentProbeFactor = known.currentProbe;
    s.ScaleSetting = known.scale;
    s.PositionSetting = known.position;
    s.MathDefinition = known.math;
    b->scope = readyScope;
    b->d2xx.transcript.clear();
    b->d2xx.calls.clear();
    f.List1.Clear();
    f.Text12.set(CalculatorStatus::Ready);
    f.Text1.set(ScopeStatus::Ready);
    f.Combo1.text = typed[0];
    f.Combo3.text = typed[1];
    s.Text32.text = typed[2];
    s.Text37.text = typed[3];
    s.Text41.text = typed[4];
    s.Text54.text = typed[5];
    s.Text56.text = typed[6];
    s.Text59.text = typed[7];
    f.Text24.text = typed[8];
    const std::size_t mark = 0;
    s.updateScope();
    s.updateTrace();
    f.session.setUp.RefillAverageList();
    f.Combo3.text = typed[1];
    f.sampleAveragePicked();
    f.Text12.set(CalculatorStatus::Ready);
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
        if (!isSendable(std::string_view(bytes).substr(0, bytes.size() - 2))) {
            std::abort(); // printable ASCII, at most 64 characters before CR LF
        }
    }
    if (f.CalculationRunning || f.DialogueRunning || s.SettingsBusy) {
        std::abort();
    }
    return 0;
}
