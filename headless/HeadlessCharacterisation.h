#pragma once

#include "CharacterisationRun.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

class MeasuringSession;
class PlanOperator;

// --characterise PLAN: the plan's points measured through the session, the
// operator asked at each one; stopped (a signal, "stop", the input's end)
// it can be resumed with --resume ID; finished, its parameters are said on
// standard error and kept in the record folder. Its exit status: 0 finished,
// 1 stopped or failed, 2 a resume that does not fit.
struct HeadlessCharacterisation {
    CharacterisationPlan plan;
    std::string folder;
    std::optional<std::string> resumeId;
    std::function<void(const CharacterisationPlan::Point&)> benchTo;
    std::function<std::optional<CircuitTruthAt>(double supplyVolts)> truthAt;
    std::FILE* events = stderr;

    int run(MeasuringSession& session, PlanOperator& op, std::function<void()>& stopHook) const;
};

// A finished characterisation's parameters, a line a supply (and the core's
// law), as standard error and the window's log show them.
std::vector<std::string> characterisationLines(const Characterisation& c);
