#pragma once

#include "Controls.h"

class EventPump;
class Screen;

// The frameless picture shown while the main window prepares itself.
class SplashForm {
  public:
    SplashForm(Screen& screen, EventPump& pump, int mainWidth, int mainHeight);

    void ShowSplash();
    void UnloadSplash();

    WindowModel window;

  private:
    Screen& screen_;
    EventPump& pump_;
};
