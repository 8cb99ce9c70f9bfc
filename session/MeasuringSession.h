#pragma once

#include "Calibration.h"
#include "LimitSet.h"
#include "LinkState.h"
#include "MainPanel.h"
#include "Measurements.h"
#include "OsVersion.h"
#include "PassOutcome.h"
#include "Platform.h"
#include "ResultBoxes.h"
#include "ScopeConnection.h"
#include "ScopeExchange.h"
#include "ScopeSettings.h"
#include "SetUp.h"

#include <QDateTime>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class MeasurementRecord;

// A measuring session: the link to the scope, what the instrument shows, the
// one set-up, the settings window's routines, the passes, and the
// configuration they are weighed and judged with (accuracy, calibration,
// limit set), kept in the record and sent to the lab. Built once by the
// program; the windows, a script and a plan all act through it.
class MeasuringSession {
  public:
    explicit MeasuringSession(const Platform& platform);
    MeasuringSession(const MeasuringSession&) = delete;
    MeasuringSession& operator=(const MeasuringSession&) = delete;

    // --- start and end --------------------------------------------------------
    // The instrument in its start state: flags cleared, the OS line, the
    // lists filled and the boxes emptied.
    void prepare();
    // ConnectScope, after letting pending events run.
    void connect();
    // CLOSE's part on the link: the port cycled and closed.
    void closeLink();
    void disconnect(); // DISCONNECT
    void reconnect();  // RECONNECT
    // SETTINGS: the settings window shown (its event list line first).
    void openSettings();

    // --- passes ---------------------------------------------------------------
    void startCalculation(); // START CALCULATION
    void stopCalculation();  // STOP CALCULATION
    void clearList();        // CLEAR LIST
    void ClearResultBoxes() { results.clear(); }
    // Reads CalibrationReadings passes with the probes on one node (none of
    // them recorded, judged or told as a pass) and holds the calibration they
    // give; or why none was taken.
    std::variant<ChannelCalibration, std::string> calibrateChannels();
    // The limit set's name in the VERDICT box until a pass is judged.
    void showLimits();
    // Logs what the record's writes and the upload have to tell, after
    // waiting at most `limit` for the writes under way.
    void logRecordEvents(std::chrono::milliseconds limit);
    // Its serial number, or "simulated".
    std::string adapterName() const;

    // --- the parts --------------------------------------------------------------
    Platform platform;
    LinkState link;
    MainPanel panel;
    ScopeExchange exchange;
    ScopeConnection connection;
    ResultBoxes results;
    SetUp setUp;
    ScopeSettings Settings;
    Measurements measured;
    Figures figures;
    OSVERSIONINFOA osVersionInfo;
    std::int32_t versionResult = 0;

    // --- configuration ----------------------------------------------------------
    // The time stamped on a result; tests pin it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // The bench every pass is measured on, as the record names it.
    std::string benchName;
    // Set when the device library is the simulated bench: the record then
    // names no adapter.
    bool onSimulatedBench = false;
    // The bench's declared accuracy, from which every pass's U comes.
    Accuracy accuracy;
    // On the simulated bench: its true powers, taken with each pass.
    std::function<std::optional<PassOutcome::Truth>()> benchTruth;
    // The limit set every pass is judged against (none: no verdicts).
    std::optional<LimitSet> limits;
    // The channel calibrations kept for this adapter, newest first (none:
    // every pass uncalibrated); a pass uses the first taken on its bench as
    // it is now, good for this many days from the day it was taken.
    std::vector<ChannelCalibration> calibrations;
    int calibrationDays = CalibrationDefaultDays;
    // On the simulated bench, its own errors ("simulated bench, errors seed
    // 7"): a calibration knows its bench by them too. Empty on real hardware.
    std::string simulation;
    // The calibration in force for the bench as it is now: "calibration
    // 2026-12-09 (today): CH3 x1.0000 ..." or "uncalibrated: <why>".
    std::string calibrationStatus() const;
    // The calibration line under the results: the last pass's misfit while
    // its figures are shown, else the calibration in force.
    void showCalibrationStatus();
    // FORGET: every calibration kept for this adapter dropped.
    void forgetCalibrations();
    // Told when the calibrations kept change (taken or forgotten).
    std::function<void(const std::vector<ChannelCalibration>&)> calibrationsChanged;
    // On the simulated bench: puts its probes on one node for a calibration
    // and back (on a real bench the operator moves them).
    std::function<void(bool)> probesOnOneNode;
    // What the passes belong to while a plan runs (a characterisation, a
    // unit's test), stamped on each.
    PassOutcome::Belongs belongs;
    // Where every pass is kept (none: no file is written).
    MeasurementRecord* record = nullptr;
    // What the lab database's upload has to tell, logged with the record's.
    std::function<std::vector<std::string>()> databaseEvents;
    // Told every pass as a value when it ends, after it is recorded.
    std::vector<std::function<void(const PassOutcome&)>> passListeners;
    // The last pass that ended (none before the first).
    std::optional<PassOutcome> lastPass;

  private:
    // While a calibration reads: where its passes go instead of the record.
    std::vector<PassOutcome>* calibrationReadings_ = nullptr;
    void passEnded(const PassOutcome& measuredPass);
    void describeBench(PassOutcome& pass);
    // What a pass was read with (a calibration reading gets only this).
    void describeNode(PassOutcome& pass);
    void logOsVersion();
    void showDesignState();
};
