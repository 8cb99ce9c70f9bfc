#pragma once

#include "Calibration.h"
#include "Configuration.h"
#include "HeadlessChoices.h"
#include "LimitSet.h"
#include "PassOutcome.h"
#include "ProgramVersion.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Clock;
class D2xx;
class MeasuringSession;
class MeasurementRecord;
class PassUploader;

// An event-list line as standard error shows it: without the line end of an
// answer, a line end inside it as a blank.
std::string eventLineText(const std::string& line);
// Before each line of the settings window's own list on standard error.
inline constexpr const char* SettingsPrefix = "settings window: ";

// How a headless run ends.
enum HeadlessStatus {
    EveryPassComplete = 0,
    APassNotComplete = 1, // stopped, failed on the link, or not run after a signal
    BadOptions = 2,
    NotReady = 3,        // no connection, or the set-up is not ready
    AVerdictNotPass = 4, // every pass complete, and against the limits some verdict not PASS
};

// A measurement from a script: the forms without their views, taken through
// the operator's steps in the order in which each is allowed, the same
// actions with the same checks and the same lines to the scope.
class HeadlessRun {
  public:
    HeadlessRun(HeadlessChoices choices, D2xx& device, Clock& clock);
    ~HeadlessRun();

    // The whole run; its exit status.
    int run();

    // The record the rows also go to (--record), the adapter (for the record).
    MeasurementRecord* record = nullptr;
    // --database: the record's passes go up to the lab database from it.
    PassUploader* uploader = nullptr;
    static constexpr std::chrono::seconds UploadWaitAtEnd{5};
    bool simulated = false;
    // The bench the rows name.
    std::string bench;
    // The bench's declared accuracy; on the simulated bench, its truth.
    Accuracy accuracy;
    std::function<std::optional<PassOutcome::Truth>()> benchTruth;
    // --limits: every pass judged against them.
    std::optional<LimitSet> limits;
    // Where the rows, the event lines and a refusal go.
    std::FILE* rows = stdout;
    std::FILE* events = stderr;
    // The channel calibrations kept for the adapter, and for how many days
    // one is good; told the calibrations kept when --calibrate takes one, and
    // on the simulated bench how to put its probes on one node.
    std::function<std::vector<ChannelCalibration>(const std::string& adapter)> calibrationsFor;
    int calibrationDays = CalibrationDefaultDays;
    std::function<void(const std::vector<ChannelCalibration>&)> calibrationsChanged;
    std::function<void(bool)> probesOnOneNode;
    // On the simulated bench, its errors as a calibration knows its bench.
    std::string simulation;
    // Once the adapter is open: the configuration in force found and stated
    // (the program's; a test sets the fields above instead).
    std::function<Configuration(MeasuringSession&)> configure;
    // With --database: how many passes still wait for it, said last.
    std::function<std::string()> databaseWaiting;
    // A plan's own steps instead of the picks and the passes (its status);
    // told of a stop signal through stopHook while it runs.
    std::function<int(MeasuringSession&, std::function<void()>& stopHook)> plan;
    // Told each row as it is written (benchmarks).
    std::function<void(const PassOutcome&)> rowWritten;

  private:
    struct Parts;
    using Status = std::optional<int>; // a status ends the run

    Status refuseUnknownChoices();
    Status connect();
    Status configureSession();
    Status readSettings();
    Status pickLoadResistor();
    Status pickSupply();
    Status pressPreset();
    Status pickCapacitor();
    Status pickSampleAverage();
    Status requireReady();
    int runPasses();
    int calibrate();
    int close(int status);

    bool presetOfAnotherTransformer() const;
    Status refuse(int status, const std::string& why);
    void writeRow(const PassOutcome& pass);
    void logLine(const std::string& line);
    void waitUntil(std::uint32_t startTicks, double seconds);

    std::optional<Configuration> configuration_;
    void stateConfiguration();
    HeadlessChoices choices_;
    std::unique_ptr<Parts> parts_;
    bool headerWritten_ = false;
    int passesNotComplete_ = 0;
    int passesNotPassed_ = 0;
    std::function<void()> planStop_;
};
