#pragma once

#include "Platform.h"
#include "PrintScreenControls.h"
#include "ReportSources.h"

#include <cstdint>

// The report window: a plain sheet that repeats the setup and the latest
// results, shown just long enough for one image of it to be taken.
class PrintScreen : public PrintScreenControls {
  public:
    PrintScreen(ReportSources main, const Platform& platform);

    // Loading builds the report, shows it, has its image taken and waits;
    // it returns when the carets are back.
    void Form_Load();
    void Unload();
    void delay(std::int32_t msdelay);

  private:
    void styleControls();
    void copyTexts();
    void copyVerdict();
    void setCarets(bool shown);

    ReportSources main_;
    Platform platform_;
};
