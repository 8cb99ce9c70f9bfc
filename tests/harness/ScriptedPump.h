#pragma once

#include "Controls.h"
#include "EventPump.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// An event pump that plays the operator: at a chosen yield (a condition on
// the windows' state) it presses a button or picks an item, once.
class ScriptedPump final : public EventPump {
  public:
    void yield() override {
        ++yields;
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            Step& step = steps_[i];
            if (!step.done && step.when()) {
                step.done = true; // before acting: the action may yield again
                std::function<void()> action = step.action;
                action();
            }
        }
    }

    void when(std::function<bool()> condition, std::function<void()> action) {
        steps_.push_back({std::move(condition), std::move(action), false});
    }

    // When the list gains this line (it holds it anywhere).
    void whenLogged(const ListBox& list, std::string line, std::function<void()> action) {
        when([&list, line] { return std::find(list.lines.begin(), list.lines.end(), line) != list.lines.end(); },
             std::move(action));
    }

    bool allDone() const {
        return std::all_of(steps_.begin(), steps_.end(), [](const Step& s) { return s.done; });
    }

    int yields = 0;

  private:
    struct Step {
        std::function<bool()> when;
        std::function<void()> action;
        bool done;
    };
    std::vector<Step> steps_;
};
