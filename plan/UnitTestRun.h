#pragma once

#include "PassOutcome.h"
#include "PlanOperator.h"
#include "UnitTestPlan.h"

#include <QDateTime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class MeasuringSession;

// Who is tested, by whom, in which lot (as typed or scanned).
struct UnitUnderTest {
    std::string unit, operatorName, lot, comment;
};

// One step of a unit's test as it went: its passes, their worst verdict.
struct StepResult {
    int number = 0;
    std::string name;
    Verdict verdict = Verdict::NoVerdict;
    std::string reason; // the deciding pass's reason
    std::vector<PassOutcome> passes;
    std::optional<Verdict> trueVerdict; // simulated bench only
};

// A unit's test as it ended.
struct UnitTestResult {
    std::string id; // a UUID
    UnitTestPlan plan;
    UnitUnderTest who;
    std::string bench;
    QDateTime started, ended;
    Verdict verdict = Verdict::NoVerdict;
    std::vector<std::string> reasons; // every step's reason that is not a pass
    std::vector<StepResult> steps;    // those begun
    std::string stoppedAt;            // empty when every step ran: "step 2 (full load): stopped by the operator"
    int attempt = 1;                  // 2 and more: a retest of the unit
    std::optional<Verdict> trueVerdict;
    std::string calibration; // the calibration in force at the end, in words
    Accuracy accuracy;
    // Its report's issue: 1, or more once a stopped test was resumed (the
    // new report replaces the stopped one's).
    int reportIssue = 1;
    std::string replacesReport;
};

// A step's verdict from its passes: the worst of theirs, NO VERDICT with
// `problem` when the step did not end (`ok` false); and its true verdict on
// the simulated bench.
void judgeStep(StepResult& step, bool ok, const std::string& problem);

// A unit's test under way: the session stepped through the plan's steps as
// the operator is (the prompt, the picks, the passes, each judged against the
// step's limit set), each pass naming the unit, the operator, the lot, the
// unit test id and the step. The unit's verdict is the worst of its steps';
// a test that stopped or failed before its end has NO VERDICT and says where.
// With a folder, every test (stopped ones too) ends in a row of
// unit-tests.csv and a report (through `writeReport`).
class UnitTestRun {
  public:
    UnitTestRun(MeasuringSession& session, UnitTestPlan plan, PlanOperator& op, UnitUnderTest who,
                std::string folder = {});

    enum class Ended { Finished, Stopped, Failed };
    Ended run();
    // After a stop: goes on from the step that did not end (measured again
    // whole) under the same unit test id; its row and report follow anew,
    // the report as the next issue naming the stopped one's.
    Ended resume();
    // A test stopped in an earlier run, as its record folder keeps it
    // (stoppedUnitTest), taken up: resume() goes on with it.
    void restore(UnitTestResult stopped);
    // The steps a resume keeps: those whose every pass completed.
    std::size_t stepsKept() const;
    void stop() { stopRequested_ = true; }

    // On the simulated bench: moves its panel to the step's set-up.
    std::function<void(const UnitTestPlan::Step&)> benchTo;
    // Writes the report of the result; returns its file's name, or empty
    // with `why` set.
    std::function<std::string(const UnitTestResult&, std::string& why)> writeReport;
    // Told each time a step ends.
    std::function<void(const StepResult&)> stepEnded;

    const UnitTestResult& result() const { return result_; }
    std::string problem;    // why it failed
    std::string reportFile; // written, or empty
    std::string reportProblem;

    // How many tests of this unit the folder's unit-tests.csv holds.
    static int testsOf(const std::string& folder, const std::string& unit);
    static std::string csvHeader();
    static std::string csvRow(const UnitTestResult& r, const std::string& reportFile);

  private:
    Ended steps();
    bool runStep(const UnitTestPlan::Step& step, int number);
    void finish(Ended ended);

    MeasuringSession& session_;
    PlanOperator& operator_;
    std::string folder_;
    UnitTestResult result_;
    bool stopRequested_ = false;
};
