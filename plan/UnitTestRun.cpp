#include "UnitTestRun.h"

#include "MeasuringSession.h"
#include "PointPicks.h"
#include "ResultsTable.h"
#include "SmallFiles.h"
#include "UnitTestsFile.h"
#include "WhoText.h"

#include <QFile>
#include <QUuid>
#include <algorithm>

namespace {

const std::string TestsFile = std::string("/") + UnitTestsFile::Name;

} // namespace

UnitTestRun::UnitTestRun(MeasuringSession& session, UnitTestPlan plan, PlanOperator& op, UnitUnderTest who,
                         std::string folder)
    : session_(session), operator_(op), folder_(std::move(folder)) {
    result_.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    result_.plan = std::move(plan);
    result_.who = {whoText(who.unit), whoText(who.operatorName), whoText(who.lot), who.comment};
    if (!whyNotASerial(who.unit).empty()) {
        problem = whyNotASerial(who.unit);
    }
}

int UnitTestRun::testsOf(const std::string& folder, const std::string& unit) {
    QFile f(QString::fromStdString(folder + TestsFile));
    if (folder.empty() || !f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    // A test resumed has a row for each time it ended: its id counts once.
    std::vector<std::string> ids;
    f.readLine(); // the header
    while (!f.atEnd()) {
        const auto fields = csvFields(f.readLine().toStdString());
        if (fields.size() > 1 && fields[1] == unit && std::find(ids.begin(), ids.end(), fields[0]) == ids.end()) {
            ids.push_back(fields[0]);
        }
    }
    return static_cast<int>(ids.size());
}

UnitTestRun::Ended UnitTestRun::run() {
    if (!problem.empty()) {
        return Ended::Failed; // no serial: nothing runs, nothing is written
    }
    result_.started = session_.now();
    result_.bench = session_.benchName;
    result_.attempt = testsOf(folder_, result_.who.unit) + 1;
    return steps();
}

void UnitTestRun::restore(UnitTestResult stopped) {
    result_ = std::move(stopped);
    problem.clear();
}

UnitTestRun::Ended UnitTestRun::resume() {
    if (result_.started.isNull() || result_.stoppedAt.empty()) {
        return run(); // nothing begun, or nothing left: a test of its own
    }
    // The step that did not end is measured again, whole.
    result_.steps.resize(stepsKept());
    // The report of the stopped test is replaced by the next issue.
    result_.replacesReport = result_.id + "/" + std::to_string(result_.reportIssue);
    ++result_.reportIssue;
    result_.reasons.clear();
    result_.stoppedAt.clear();
    result_.trueVerdict.reset();
    problem.clear();
    reportFile.clear();
    reportProblem.clear();
    return steps();
}

std::size_t UnitTestRun::stepsKept() const {
    std::size_t kept = result_.steps.size();
    const auto whole = [this](const StepResult& s) {
        return static_cast<int>(s.passes.size()) ==
                   result_.plan.steps.at(static_cast<std::size_t>(s.number - 1)).passes &&
               std::all_of(s.passes.begin(), s.passes.end(),
                           [](const PassOutcome& p) { return p.ending == PassOutcome::Ending::Complete; });
    };
    while (kept > 0 && !whole(result_.steps[kept - 1])) {
        --kept;
    }
    return kept;
}

UnitTestRun::Ended UnitTestRun::steps() {
    stopRequested_ = false;
    Ended ended = Ended::Finished;
    if (const std::string why = readSettingsFirst(session_); !why.empty()) {
        problem = why;
        result_.stoppedAt = "before step 1: " + why;
        ended = Ended::Failed;
    }
    const std::optional<LimitSet> limitsBefore = session_.limits;
    for (std::size_t n = result_.steps.size(); ended == Ended::Finished && n < result_.plan.steps.size(); ++n) {
        const UnitTestPlan::Step& step = result_.plan.steps[n];
        const std::string where = "step " + std::to_string(n + 1) + " (" + step.name + ")";
        if (stopRequested_ || !operator_.ready(step.prompt + " (step " + std::to_string(n + 1) + " of " +
                                               std::to_string(result_.plan.steps.size()) + "), then press NEXT")) {
            result_.stoppedAt = where + ": stopped by the operator";
            ended = Ended::Stopped;
            break;
        }
        if (benchTo) {
            benchTo(step);
        }
        const std::size_t before = result_.steps.size();
        if (!runStep(step, static_cast<int>(n + 1))) {
            ended = stopRequested_ ? Ended::Stopped : Ended::Failed;
            result_.stoppedAt = where + ": " + (stopRequested_ ? std::string("stopped by the operator") : problem);
        }
        // Told of the step when it began measuring (a refused pick has none).
        if (stepEnded && result_.steps.size() > before) {
            stepEnded(result_.steps.back());
        }
    }
    session_.limits = limitsBefore;
    session_.belongs = {};
    finish(ended);
    return ended;
}

bool UnitTestRun::runStep(const UnitTestPlan::Step& step, int number) {
    PointPicks picks{step.supply, step.load, step.capacitor, step.sampleAverage.value_or(""), result_.plan.preset};
    if (const std::string why = pickPoint(session_, picks); !why.empty()) {
        problem = why;
        return false;
    }
    session_.limits = step.limits;
    session_.belongs = {};
    session_.belongs.unit = result_.who.unit;
    session_.belongs.operatorName = result_.who.operatorName;
    session_.belongs.lot = result_.who.lot;
    session_.belongs.unitTestId = result_.id;
    session_.belongs.step = std::to_string(number) + " " + step.name;
    StepResult& r = result_.steps.emplace_back();
    r.number = number;
    r.name = step.name;
    session_.passListeners.push_back([&r](const PassOutcome& p) { r.passes.push_back(p); });
    bool ok = true;
    for (int pass = 0; pass < step.passes && ok; ++pass) {
        PlanProgress progress{
            number,   static_cast<int>(result_.plan.steps.size()),
            pass + 1, step.passes,
            0,        step.name + ": pass " + std::to_string(pass + 1) + " of " + std::to_string(step.passes),
            "step"};
        operator_.progress(progress);
        const std::size_t before = r.passes.size();
        session_.startCalculation();
        ok = r.passes.size() > before && r.passes.back().ending == PassOutcome::Ending::Complete && !stopRequested_;
        if (!ok && !stopRequested_) {
            problem = r.passes.size() > before ? "a pass did not complete" : "no pass ran";
        }
    }
    session_.passListeners.pop_back();
    judgeStep(r, ok, problem);
    return ok;
}

void judgeStep(StepResult& r, bool ok, const std::string& problem) {
    // The step's verdict: the worst of its passes' (NO VERDICT while any is missing).
    r.verdict = ok ? Verdict::Pass : Verdict::NoVerdict;
    r.reason = ok ? "" : problem;
    r.trueVerdict.reset();
    for (const PassOutcome& p : r.passes) {
        if (p.verdict && (p.verdict->verdict > r.verdict || (r.reason.empty() && p.verdict->verdict == r.verdict))) {
            r.verdict = p.verdict->verdict;
            r.reason = p.verdict->reason;
        }
        if (const auto truly = verdictNamed(p.belongs.simulatedTrueVerdict)) {
            r.trueVerdict = std::max(r.trueVerdict.value_or(Verdict::Pass), *truly);
        }
    }
}

void UnitTestRun::finish(Ended ended) {
    result_.ended = session_.now();
    result_.accuracy = session_.accuracy;
    result_.calibration = session_.calibrationStatus();
    Verdict worst = Verdict::Pass;
    bool truthKnown = !result_.steps.empty();
    for (const StepResult& s : result_.steps) {
        worst = std::max(worst, s.verdict);
        if (s.verdict != Verdict::Pass) {
            result_.reasons.push_back("step " + std::to_string(s.number) + " (" + s.name + ") " +
                                      verdictName(s.verdict) + ": " + s.reason);
        }
        truthKnown = truthKnown && s.trueVerdict.has_value();
        if (s.trueVerdict) {
            result_.trueVerdict = std::max(result_.trueVerdict.value_or(Verdict::Pass), *s.trueVerdict);
        }
    }
    if (!truthKnown || ended != Ended::Finished) {
        result_.trueVerdict.reset();
    }
    // A test that did not reach its end has no verdict, whatever its steps had.
    result_.verdict = ended == Ended::Finished ? worst : Verdict::NoVerdict;
    if (ended != Ended::Finished) {
        result_.reasons.push_back("the test did not end: " + result_.stoppedAt);
    }
    if (folder_.empty()) {
        return;
    }
    if (writeReport) {
        reportFile = writeReport(result_, reportProblem);
    }
    const std::string path = folder_ + TestsFile;
    const std::string header = QFile::exists(QString::fromStdString(path)) ? "" : csvHeader();
    if (!appendSynced(path, header + csvRow(result_, reportFile))) {
        reportProblem += (reportProblem.empty() ? "" : "; ") + std::string("cannot append to ") + path;
    }
}

std::string UnitTestRun::csvHeader() {
    return UnitTestsFile::header();
}

std::string UnitTestRun::csvRow(const UnitTestResult& r, const std::string& reportFile) {
    std::string steps, reasons;
    for (const StepResult& s : r.steps) {
        steps += (steps.empty() ? "" : "; ") + std::to_string(s.number) + " " + s.name + ": " + verdictName(s.verdict);
    }
    for (const std::string& reason : r.reasons) {
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    const std::vector<std::string> fields{r.id,
                                          r.who.unit,
                                          r.who.lot,
                                          r.who.operatorName,
                                          r.plan.name,
                                          r.plan.version,
                                          r.plan.sha256,
                                          kindName(r.plan.kind),
                                          r.bench,
                                          ResultsTable::dateTimeField(r.started),
                                          ResultsTable::dateTimeField(r.ended),
                                          verdictName(r.verdict),
                                          std::to_string(r.attempt),
                                          r.stoppedAt,
                                          steps,
                                          reasons,
                                          r.trueVerdict ? verdictName(*r.trueVerdict) : "",
                                          reportFile};
    std::string row;
    for (const std::string& f : fields) {
        row += (row.empty() ? "" : ",") + ResultsTable::textField(f);
    }
    return row + "\r\n";
}
