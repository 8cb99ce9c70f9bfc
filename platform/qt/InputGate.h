#pragma once

#include <deque>
#include <functional>

// Holds the operator's actions while a device call blocks. A read of the
// scope's answer lets no form code run: a click, a pick or a frame's close
// request that arrives meanwhile (the windows keep painting and answering)
// waits here and runs at the next yield, where the forms let events run.
class InputGate {
  public:
    static InputGate& instance();

    // Runs the action now, or holds it while a device call is under way.
    void act(std::function<void()> action);
    // Runs what was held, in the order it came, unless a call is under way.
    void runHeld();

    bool deviceCallUnderWay() const { return depth_ > 0; }
    std::size_t held() const { return held_.size(); }

    // Marks a device call as under way for as long as it lives.
    class DeviceCall {
      public:
        DeviceCall();
        ~DeviceCall();
        DeviceCall(const DeviceCall&) = delete;
        DeviceCall& operator=(const DeviceCall&) = delete;
    };

  private:
    void runHeldSoon();
    int depth_ = 0;
    std::deque<std::function<void()>> held_;
};
