#pragma once

// "Let pending window events run": the one way long actions hand control back
// to the user interface. A button's action may run inside yield().
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void yield() = 0;
};

// For code that runs without any window, such as the benchmarks.
class NullEventPump final : public EventPump {
  public:
    void yield() override {}
};
