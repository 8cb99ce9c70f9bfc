#pragma once

#include "PlanOperator.h"

#include <cstdio>

// The operator of a plan run without windows: each prompt on standard error;
// on the simulated bench nobody needs to answer, on a real one a line on
// standard input (anything but "stop") says it is done. The end of the input
// or a stop signal stops the plan.
class LineOperator final : public PlanOperator {
  public:
    LineOperator(bool unattended, std::FILE* events, int answersFd = 0)
        : unattended_(unattended), events_(events), answersFd_(answersFd) {}
    bool ready(const std::string& prompt) override;
    void progress(const PlanProgress& p) override;
    void say(const std::string& line) override;

  private:
    // One line from the answers, waiting no longer than a stop signal; none
    // at their end.
    bool readLine(std::string& line);
    bool unattended_;
    std::FILE* events_;
    int answersFd_;
};
