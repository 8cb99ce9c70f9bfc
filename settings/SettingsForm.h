#pragma once

#include "ScopeSettings.h"

// The settings window: the measuring session's scope settings, shown and
// pressed. Its controls, variables and routines are the session's (a run
// without windows and a plan use them too); the window adds only itself.
class SettingsForm {
  public:
    explicit SettingsForm(ScopeSettings& scope) : settings(scope), window(scope.window) {}

    ScopeSettings& settings;
    WindowModel& window;

    // Buttons. GENERAL TRANSFORMER (Command8) has no action.
    void closeWindow() { settings.closeWindow(); }         // Command1 CLOSE
    void getSettings() { settings.getSettings(); }         // Command2 GET SETTINGS
    void updateScope() { settings.updateScope(); }         // Command3 UPDATE SCOPE
    void updateTrace() { settings.updateTrace(); }         // Command4 UPDATE TRACE
    void skipSetup() { settings.skipSetup(); }             // Command5 SKIP TRANSFORMER SETUP
    void standardPreset() { settings.standardPreset(); }   // Command6 STANDARD TRANSFORMER  F-54X
    void splitFluxPreset() { settings.splitFluxPreset(); } // Command7 SPLIT-FLUX TRANSFORMER #1
};
