#pragma once

#include "SimBench.h"

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

// One input channel of the simulated oscilloscope.
struct SimChannel {
    double probe = 1;        // voltage-probe attenuation
    double currentProbe = 1; // current-probe factor
    double scale = 1;        // units per division
    double position = 0;     // divisions
    std::string coupling = "AC";
    bool invert = false;
};

// One automatic measurement slot.
struct SimSlot {
    std::string type = "CRMS";
    std::string units = "V";
    std::string source = "CH1";
};

// What the scope measures right now. The fixed readings stand in for the
// circuit on the bench; a test sets the ones it needs.
struct SimReadings {
    double frequency = 60.0;
    std::array<double, 4> crms{10.0, 1.1, 9.2, 0.98}; // CH1..CH4
    double meanCh1Ch2 = 10.0;                         // input real power
    double meanCh3Ch4 = 9.0;                          // output real power
};

// An oscilloscope that obeys the program's command set, keeps the state those
// commands change and answers queries in the long, headed form.
class SimScope {
  public:
    // Set up for the split-flux transformer in the middle supply band: the
    // probes and gains that set-up recommends, the slots as the program needs.
    SimScope();

    // Runs one command line (without CR LF); returns the answer line, CR LF
    // included, for a query, nothing for a plain command.
    std::optional<std::string> execute(const std::string& line);

    std::string identity = "BENCHSIM DS40,FV:v1.00";
    bool verbose = false;
    bool header = false;
    bool acquiring = true;
    std::string acquireMode = "SAMPLE";
    int numAverages = 16;
    std::string mathDefinition = "CH1 * CH2";
    double mathScale = 50.0;
    double mathPosition = 0.0;
    std::array<SimChannel, 4> channels;
    std::array<SimSlot, 5> measurements; // MEAS1..MEAS5
    SimSlot immediate{"FREQUENCY", "Hz", "CH1"};
    SimReadings readings;

    // Measures the circuit on the bench instead of the fixed readings.
    void attach(const SimBench& bench);
    std::optional<SimBench> bench;
    // The circuit's own real powers (watts) when the bench was last measured:
    // taken with the answers, so that a change of the bench made later does
    // not reach the pass that read them.
    struct Truth {
        double inputPower = 0, outputPower = 0;
    };
    std::optional<Truth> measuredTruth;
    // Puts the probes and gains the presets recommend for the transformer on
    // the bench, as the bench keeper would before handing it over.
    void setUpFor(const TransformerModel& transformer, double supplyVolts);

    // Command lines the scope did not understand, for tests to inspect.
    std::vector<std::string> unknownCommands;

    // The invalid-measurement value a scope answers when it cannot measure.
    static constexpr double InvalidMeasurement = 9.9e37;

  private:
    std::optional<std::string> query(const std::string& path);
    void command(const std::string& path, const std::string& argument, const std::string& line);
    std::string answer(const std::string& longHeader, const std::string& shortHeader, const std::string& value) const;
    std::string settingsAnswer(const std::string& longHeader, const std::string& shortHeader,
                               const std::string& settings) const;
    std::string channelSettings(int index) const;
    std::string slotSettings(const SimSlot& slot) const;
    double measured(const SimSlot& slot);
    std::mt19937 noise_;
};

// The scope's number form in answers: "1.2E+00", "1E+01".
std::string scopeNumber(double value);
