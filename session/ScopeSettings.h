#pragma once

#include "D2xx.h"
#include "LinkState.h"
#include "MainPanel.h"
#include "PassOutcome.h"
#include "Platform.h"
#include "ScopeExchange.h"
#include "SettingsControls.h"
#include "TransformerKinds.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class SetUp;

// The settings window's routines and state: how the scope is set up, read
// into its grid; corrections written back; the demonstration set-ups. The
// settings window shows and presses these; a run without windows and a plan
// call them directly. Its variables live for the whole run; unloading the
// window discards only the controls.
class ScopeSettings : public SettingsControls {
  public:
    ScopeSettings(MainPanel& main, LinkState& link, SetUp& setUp, const Platform& platform);

    bool isVisible() const { return window.loaded && window.visible; }
    void ShowSettings();
    void UnloadSettings();
    void delay(std::int32_t msdelay);

    // Buttons. GENERAL TRANSFORMER (Command8) has no action.
    void closeWindow();     // Command1 CLOSE
    void getSettings();     // Command2 GET SETTINGS
    void updateScope();     // Command3 UPDATE SCOPE
    void updateTrace();     // Command4 UPDATE TRACE
    void skipSetup();       // Command5 SKIP TRANSFORMER SETUP
    void standardPreset();  // Command6 STANDARD TRANSFORMER  F-54X
    void splitFluxPreset(); // Command7 SPLIT-FLUX TRANSFORMER #1

    void ReadScopeSettings();

    // OSCILLOSCOPE STATUS here and on the main window.
    void showScopeStatus(ScopeStatus status);
    // This window's status box, for a pass to hand back to.
    ScopeStatusBox& statusBox() { return Text1; }
    ScopeStatus status() const { return Text1.status; }

    // The scope's set-up as last read or written (empty before the first
    // GET SETTINGS): probes, scales, gains and the recognised set-up.
    const PassOutcome::ScopeSetUp& scopeSetUp() const { return scopeSetUp_; }

    // Rows of the grid: CH1, CH2, MATH, CH3, CH4.
    static constexpr int Rows = 5;
    static constexpr int MathRow = 2;

    bool SettingsBusy = false;
    bool TestFailed = false;
    FT_HANDLE lngHandle = 0;
    ScopeExchange exchange;

    // Values last read from the scope, per row (channel values per channel).
    std::array<std::string, Rows> MeasurementName;
    std::array<std::string, Rows> MeasurementChannel;
    std::array<std::string, Rows> MeasurementType;
    std::string ImmediateName, ImmediateChannel, ImmediateUnits, ImmediateType;
    std::array<std::string, Rows> ChannelUnits;
    std::array<std::string, Rows> ChannelCoupling;
    std::array<std::string, Rows> ChannelInvert;
    std::string MathDefinition;
    std::array<double, 4> ProbeFactor{};
    std::array<double, 4> CurrentProbeFactor{};
    std::array<double, Rows> ScaleSetting{};
    std::array<double, Rows> GainShown{};
    std::array<double, 4> SensorFactor{};
    std::array<double, Rows> PositionSetting{};
    std::array<bool, Rows> RowChanged{};
    std::int32_t SavedAverage = 0;
    // The grid shows a complete read (since the window was last shown).
    bool GridRead = false;

    // Grid boxes by row (MATH has no probe boxes: null).
    TextBox& measurementBox(int row) { return *textBox(2 + row); }
    TextBox& channelBox(int row) { return *textBox(7 + row); }
    TextBox& unitsBox(int row) { return *textBox(12 + row); }
    TextBox& typeBox(int row) { return *textBox(17 + row); }
    TextBox& couplingBox(int row) { return *textBox(22 + row); }
    TextBox& invertBox(int row) { return *textBox(27 + row); }
    TextBox* voltProbeBox(int row);
    TextBox* ampProbeBox(int row);
    TextBox& scaleBox(int row) { return *textBox(40 + row); }
    TextBox& gainBox(int row) { return *textBox(45 + row); }
    TextBox* sensorBox(int row);
    TextBox& positionBox(int row) { return *textBox(54 + row); }
    TextBox& colourBox(int row) { return *textBox(65 + row); }

    static constexpr int rowOfChannel(int channel) { return channel < 2 ? channel : channel + 1; }
    static constexpr int channelOfRow(int row) { return row < 2 ? row : row - 1; }

  private:
    // The main window, through its door (MainWindowSide.cpp).
    void logOnMain(const std::string& line);
    void logOnBoth(const std::string& line);
    void showCalculatorStatus(CalculatorStatus status);
    CalculatorStatus calculatorStatus() const;
    // A preset or SKIP may change the set-up: CALCULATOR STATUS is Wait or Ready.
    bool setupMayChange() const;
    void showTransformerOnMain(const std::string& name);
    void showScopeIdentity();
    bool& dialogueFlag() const;
    FT_HANDLE mainHandle() const;
    PassOutcome::ScopeSetUp setUpInGrid();
    void rememberSetUp();
    PassOutcome::ScopeSetUp scopeSetUp_;

    void prepareRead();
    bool queryStep(const char* query, const char* header, const char* failureLine, std::string& answer);
    void readImmediate(const std::string& answer);
    void readSlot(int row, const std::string& answer);
    void readChannel(int channel, const std::string& answer);
    void readMath(const std::string& answer);
    void completeRead();
    void resetPath();
    void closingSteps();
    void recogniseSetup();
    void addGainNotes();
    void showSelectionPrompt();
    void markMismatch(TextBox& box);
    // SCOPE GAIN (and SENSOR PROBE) of a row from its scale; noneText is the
    // text colour of "NONE" on a voltage row.
    void showGain(int row, double scale, Colour noneText);

    // The actions that write to the scope.
    enum class Outcome { Next, Failed };
    // Every box of the range holds text, and no dialogue is under way.
    bool canWrite(int firstBox, int lastBox);
    void startAction(const char* mainLine);
    void handBackToMain();
    void recover();
    void rejectProbe(TextBox& box);
    Outcome updateProbe(int channel, bool current);
    Outcome updateScale(int row, std::optional<double>& scale);
    Outcome updatePosition(int row);
    Outcome updateMathDefinition();
    void presetPress(TransformerKind kind);
    void writePresetGrid(TransformerKind kind, double volts);

    MainPanel& main_;
    LinkState& link_;
    SetUp& setUp_;
    Platform platform_;
};
