#include "HeadlessUnitTest.h"

#include "ProgramVersion.h"
#include "UnitTestRestore.h"

int HeadlessUnitTest::run(MeasuringSession& session, PlanOperator& op, std::function<void()>& stopHook) const {
    const auto say = [this](const std::string& line) {
        std::fprintf(events, "%s: %s\n", ProgramName, line.c_str());
        std::fflush(events);
    };
    std::optional<UnitTestResult> stopped;
    if (resumeId) {
        auto found = stoppedUnitTest(folder, *resumeId, plan);
        if (const auto* why = std::get_if<std::string>(&found)) {
            say(*why);
            return 2;
        }
        stopped = std::get<UnitTestResult>(std::move(found));
        if (!who.unit.empty() && who.unit != stopped->who.unit) {
            say("unit test " + *resumeId + " is of unit " + stopped->who.unit + ", not " + who.unit);
            return 2;
        }
    }
    UnitTestRun test(session, plan, op, stopped ? stopped->who : who, folder);
    if (!test.problem.empty()) {
        say(test.problem);
        return 2;
    }
    if (stopped) {
        test.restore(*stopped);
        say("unit test " + *resumeId + " of unit " + stopped->who.unit + " resumed where it stopped (" +
            stopped->stoppedAt + ")");
    } else {
        say("unit test " + test.result().id + " of unit " + who.unit + " by \"" + plan.title() + "\": " +
            std::to_string(plan.steps.size()) + (plan.steps.size() == 1 ? " step" : " steps") + ", kept in " + folder);
    }
    test.benchTo = benchTo;
    test.writeReport = writeReport;
    test.stepEnded = [&say](const StepResult& s) {
        say("step " + std::to_string(s.number) + " (" + s.name + "): " + verdictName(s.verdict) +
            (s.reason.empty() ? "" : ": " + s.reason));
    };
    stopHook = [&test] { test.stop(); };
    const UnitTestRun::Ended ended = stopped ? test.resume() : test.run();
    stopHook = nullptr;
    const UnitTestResult& r = test.result();
    std::string verdict = "unit " + r.who.unit + ": " + verdictName(r.verdict);
    if (r.attempt > 1) {
        verdict += " (retest, attempt " + std::to_string(r.attempt) + ")";
    }
    if (!r.stoppedAt.empty()) {
        verdict += "; the test did not end: " + r.stoppedAt;
    }
    say(verdict);
    if (r.trueVerdict) {
        say(std::string("simulated true verdict: ") + verdictName(*r.trueVerdict));
    }
    if (!test.reportFile.empty()) {
        say("report " + r.id + "/" + std::to_string(r.reportIssue) + " in " + folder + "/" + test.reportFile);
    }
    if (!test.reportProblem.empty()) {
        say("the report is not whole: " + test.reportProblem);
    }
    if (ended != UnitTestRun::Ended::Finished) {
        return 1;
    }
    return r.verdict == Verdict::Pass ? 0 : 4;
}
