#pragma once

#include "EventPump.h"

#include <functional>

// Lets pending Qt events run. Before it does, the views repaint from their
// forms' models, so whatever an action changed shows while it goes on.
class QtEventPump final : public EventPump {
  public:
    void yield() override;
    std::function<void()> beforeEvents;
};
