#pragma once

#include "Form1Controls.h"
#include "MeasuringSession.h"
#include "PrintScreen.h"
#include "SettingsForm.h"
#include "SplashForm.h"

#include <cstdint>
#include <memory>

// Owns a measuring session for a main window made on its own (tests, the
// benchmarks); constructed before the window's controls refer into it.
struct OwnedSession {
    std::unique_ptr<MeasuringSession> owned;
};

// The main window: a view and a door onto the measuring session. It keeps
// the routines, controls and flags the window has always had, by their
// names; what they do is the session's.
class Form1 : private OwnedSession, public Form1Controls {
  public:
    explicit Form1(MeasuringSession& session);
    // A window with a session of its own on this platform.
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
    void openCharacterise(); // CHARACTERISE: asks characteriseWanted
    void openUnitTest();     // UNIT TEST: asks unitTestWanted
    void capture();          // Command6 CAPTURE
    void stopCalculation();  // Command7 STOP CALCULATION
    void clearList();        // Command9 CLEAR LIST

    // Setup lists, run when the operator picks an item.
    void loadResistorPicked();  // Combo1
    void supplyVoltagePicked(); // Combo2
    void sampleAveragePicked(); // Combo3
    void loadCapacitorPicked(); // Combo4

    void delay(std::int32_t msdelay);
    void ClearResultBoxes() { session.ClearResultBoxes(); }

    MeasuringSession& session;

    // The window's variables, as the session keeps them.
    FT_HANDLE& lngHandle;
    std::int32_t& ScopeOpen;
    bool& TestFailed;
    bool& StopRequested;
    bool& CalculationRunning;
    bool& DialogueRunning;
    std::int32_t& SampleAverage;
    double& LoadCapacitance;
    OSVERSIONINFOA& osVersionInfo;
    std::int32_t& versionResult;
    Measurements& measured;
    Figures& figures;
    Platform& platform;
    ScopeConnection& connection;
    // The settings window's state and routines (the session's), and the
    // window that shows them.
    ScopeSettings& Settings;
    SettingsForm SettingsWindow;
    SplashForm Splash;
    PrintScreen Report;

    // The time stamped on a result; tests pin it.
    std::function<QDateTime()>& now;
    MeasurementRecord*& record;
    bool& onSimulatedBench;

    // Opens the accuracy window (the windows only).
    std::function<void()> accuracyWanted;
    // Opens the limits window (the windows only); a set taken there is shown
    // by showLimits().
    std::function<void()> limitsWanted;
    // Open the characterisation and unit test windows (the windows only).
    std::function<void()> characteriseWanted;
    std::function<void()> unitTestWanted;
    void showLimits() { session.showLimits(); }

  private:
    explicit Form1(std::unique_ptr<MeasuringSession>&& owned);
    Form1(MeasuringSession& session, std::unique_ptr<MeasuringSession>&& owned);
    ReportSources reportSources() const;
    void styleControls();
};
