#pragma once

#include "MainPanel.h"
#include "MeasurementPass.h"

struct SettingsControls;

// The eighteen result boxes and what stands beside them. While a pass runs,
// its value keeps what its boxes show, so a clearing goes through the pass.
class ResultBoxes {
  public:
    ResultBoxes(MainPanel& panel, ScopeStatusBox& settingsStatus);

    // The boxes a pass fills and the status boxes it hands back.
    PassControls passControls();
    // ClearResultBoxes: the boxes emptied, their colours reset, and the ±,
    // calibrated figures and warnings beside them cleared.
    void clear();
    // The ± beside the boxes and the calibrated figures, only.
    void clearMarks();

    // The pass under way, while one runs.
    MeasurementPass* running = nullptr;

  private:
    MainPanel& panel_;
    ScopeStatusBox& settingsStatus_;
};
