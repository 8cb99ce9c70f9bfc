#pragma once

#include <string>

// Where a plan's progress goes.
struct PlanProgress {
    int point = 0, points = 0;  // the point (or step) under way (1-based), of how many
    int pass = 0, passes = 0;   // its pass under way, of how many
    double secondsLeft = 0;     // at the pace so far
    std::string doing;          // "48.0 ohms at 10.0 V: pass 2 of 3"
    std::string what = "point"; // what the plan steps through
};

// The operator a plan steps through its points: told what to set up and
// asked to say when it is done. The windows show the prompt and wait for
// NEXT; a run without windows reads a line, or (on the simulated bench) needs
// nobody.
class PlanOperator {
  public:
    virtual ~PlanOperator() = default;
    // True once the operator has done what the prompt asks; false to stop.
    virtual bool ready(const std::string& prompt) = 0;
    virtual void progress(const PlanProgress& p) { (void)p; }
    // A line the operator should read (a refusal, the plan's end).
    virtual void say(const std::string& line) { (void)line; }
};
