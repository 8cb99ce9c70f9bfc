#pragma once

#include "EventPump.h"
#include "ProgramHost.h"

#include <functional>

// The event pump of a run without windows: there are no window events, only
// the stop signals, which reach the forms inside a yield as the STOP button
// does in the windows.
class SignalPump final : public EventPump {
  public:
    void yield() override;
    // Runs once, at the first yield after a stop signal.
    std::function<void()> onStopRequest;

  private:
    bool told_ = false;
};

// CLOSE's end of the program: what must happen first, then a flag the run
// reads (there is no event loop to quit).
class HeadlessHost final : public ProgramHost {
  public:
    void endProgram() override;
    std::function<void()> beforeEnd;
    bool ended = false;
};
