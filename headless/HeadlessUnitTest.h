#pragma once

#include "UnitTestRun.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

class MeasuringSession;
class PlanOperator;

// --unit-test PLAN: the unit's steps measured through the session, the
// operator asked at each one; its verdict said on standard error, a row to
// unit-tests.csv and its report into the folder. Exit status: 0 PASS, 4
// another verdict, 1 stopped or failed (NO VERDICT). With `resumeId` the
// test of that id stopped earlier goes on from the step that did not end.
struct HeadlessUnitTest {
    UnitTestPlan plan;
    UnitUnderTest who;
    std::string folder;
    std::optional<std::string> resumeId;
    std::function<void(const UnitTestPlan::Step&)> benchTo;
    std::function<std::string(const UnitTestResult&, std::string& why)> writeReport;
    std::FILE* events = stderr;

    int run(MeasuringSession& session, PlanOperator& op, std::function<void()>& stopHook) const;
};
