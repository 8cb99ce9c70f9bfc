#pragma once

#include "Calibration.h"
#include "D2xx.h"
#include "Form1Controls.h"
#include "MeasurementPass.h"
#include "Measurements.h"
#include "LimitSet.h"
#include "PassOutcome.h"
#include "OsVersion.h"
#include "Platform.h"
#include "PrintScreen.h"
#include "ScopeConnection.h"
#include "ScopeExchange.h"
#include "SettingsForm.h"
#include "SplashForm.h"
#include "TransformerKinds.h"

#include <QDateTime>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class MeasurementRecord;

// The main window: the application. It owns the link to the scope, every
// box a measurement pass fills, the setup lists and the event list.
class Form1 : public Form1Controls {
public:
    explicit Form1(const Platform& platform);

    // The load event: runs once at program start and ends with the window shown.
    void Form_Load();

    // Buttons.
    void closeProgram();     // Command1 CLOSE
    void reconnect();        // Command2 RECONNECT
    void startCalculation(); // Command3 START CALCULATION
    void disconnect();       // Command4 DISCONNECT
    void openSettings();     // Command5 SETTINGS
    void openAccuracy();     // ACCURACY: asks accuracyWanted
    void openLimits();       // LIMITS: asks limitsWanted
    void capture();          // Command6 CAPTURE
    void stopCalculation();  // Command7 STOP CALCULATION
    void clearList();        // Command9 CLEAR LIST

    // Setup lists, run when the operator picks an item.
    void loadResistorPicked();  // Combo1
    void supplyVoltagePicked(); // Combo2
    void sampleAveragePicked(); // Combo3
    void loadCapacitorPicked(); // Combo4

    void delay(std::int32_t msdelay);
    void ClearResultBoxes();
    void ShowScopeReady();
    void RefillAverageList();
    // The supply list of a transformer kind, "OFF" shown.
    void loadSupplyList(TransformerKind kind);
    // "<ohms> OHM Load Resistor Selected", or INFINITE for NO LOAD.
    void logLoadResistor();
    // "4", "16", "64", "128", showing the given count.
    void fillAverageList(std::int32_t shown);
    // The same, showing the listed count picked or else the one applied.
    std::int32_t showListedAverage();
    // The picks in the four set-up lists.
    MainPicks picks() const;
    // The load resistors in SELECT LOAD RESISTOR while none is picked.
    void offerLoadResistors();

    // Link state.
    FT_HANDLE lngHandle = 0;
    std::int32_t ScopeOpen = 0;
    bool TestFailed = false;
    bool StopRequested = false;
    bool CalculationRunning = false;
    // A dialogue with the scope is under way (connection, pass, or one of the
    // settings window's actions); no second one may start inside its yields.
    bool DialogueRunning = false;

    std::int32_t SampleAverage = 16;
    double LoadCapacitance = 0;
    OSVERSIONINFOA osVersionInfo;
    std::int32_t versionResult = 0;

    Measurements measured;
    Figures figures;

    Platform platform;
    ScopeExchange exchange;
    ScopeConnection connection;
    SplashForm Splash;
    SettingsForm Settings;
    PrintScreen Report;

    // The time stamped on a result; tests pin it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // Told every pass as a value when it ends (the headless mode's rows).
    std::function<void(const PassOutcome&)> passEnded;

    // The bench every pass is measured on, as the record names it.
    std::string benchName;

    // Set when the device library is the simulated bench: the record then
    // names no adapter.
    bool onSimulatedBench = false;
    // The bench's declared accuracy, from which every pass's U comes.
    Accuracy accuracy;
    // On the simulated bench: its true powers, kept with each pass.
    std::function<std::optional<PassOutcome::Truth>()> benchTruth;
    // Why the last pass's marked figures should not be trusted as they stand
    // (the report shows it under the results).
    std::string UncertaintyWarnings;
    // "VERDICT CONDITIONAL FAIL: <reason> (<limit set>)", for the report.
    std::string VerdictLine;
    // Opens the accuracy window (the windows only); the adapter names whose set
    // it is: its serial number, or "simulated".
    std::function<void()> accuracyWanted;
    std::string adapterName() const;
    // The limit set every pass is judged against (none: no verdicts).
    std::optional<LimitSet> limits;
    // Opens the limits window (the windows only); a set taken there is shown
    // by showLimits().
    std::function<void()> limitsWanted;
    void showLimits() { clearVerdict(); }

    // The channel calibration held for this adapter (none: every pass
    // uncalibrated), good for this many days from the day it was taken.
    std::optional<ChannelCalibration> calibration;
    int calibrationDays = CalibrationDefaultDays;
    // On the simulated bench: puts its probes on one node for a calibration
    // and back (on a real bench the operator moves them).
    std::function<void(bool)> probesOnOneNode;
    // Told each calibration taken (kept for the adapter).
    std::function<void(const ChannelCalibration&)> calibrationTaken;
    // Reads CalibrationReadings passes with the probes on one node (none of
    // them recorded, judged or told as a pass) and holds the calibration they
    // give; or why none was taken.
    std::variant<ChannelCalibration, std::string> calibrateChannels();

    // With --record: where every pass and every capture is kept. None by
    // default, and then no file is written.
    MeasurementRecord* record = nullptr;
    // Logs what the record's writes have to tell ("RECORD Failed: <reason>
    // (N rows waiting)", a notice), after waiting at most `limit` for the
    // writes under way.
    void logRecordEvents(std::chrono::milliseconds limit);
    // What the lab database's upload has to tell, logged with the record's.
    std::function<std::vector<std::string>()> databaseEvents;

private:
    // The pass under way, while one runs.
    MeasurementPass* runningPass_ = nullptr;
    // While a calibration reads: where its passes go instead of the record.
    std::vector<PassOutcome>* calibrationReadings_ = nullptr;
    void showCalibrated(const PassOutcome& pass);

    MainWindowDoor settingsDoor();
    ReportSources reportSources() const;
    PassControls passControls();
    void describeBench(PassOutcome& pass);
    // What a pass was read with (a calibration reading gets only this).
    void describeNode(PassOutcome& pass);
    // Each result box's ± from the pass, marked where a figure rests on a low
    // power factor or a clipped channel; emptied when the boxes are.
    void showUncertainty(const PassOutcome& pass);
    void clearUncertainty();
    // The last pass's verdict in the VERDICT box, its reason, and each limited
    // figure's verdict beside its box; kept until the next pass starts.
    void showVerdict(const PassOutcome& pass);
    void clearVerdict();
    void styleControls();
    void fillLists();
    void logOsVersion();
    void applySampleAverage();
};
