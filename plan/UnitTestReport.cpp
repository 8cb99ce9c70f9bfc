#include "UnitTestReport.h"

#include "FigureCatalogue.h"
#include "ProgramVersion.h"
#include "ResultsTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

std::string g(std::optional<double> v, int digits = 6) {
    if (!v) {
        return "-";
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, *v);
    return text;
}

std::string dateText(const QDateTime& when) {
    return when.isValid() ? when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate).toStdString() : "-";
}

std::string boundsText(const Bounds& b) {
    if (b.lower && b.upper) {
        return g(b.lower) + " to " + g(b.upper);
    }
    return b.lower ? "at least " + g(b.lower) : b.upper ? "at most " + g(b.upper) : "none";
}

std::string orNot(const std::string& s) {
    return s.empty() ? "not stated" : s;
}

ReportDocument::Section method(const UnitTestResult& r) {
    ReportDocument::Section s{"Method", {}};
    s.lines.push_back("Test plan: " + r.plan.title() + ", SHA-256 " + r.plan.sha256);
    s.lines.push_back("Measured with " + std::string(ProgramName) + " " + programVersion() +
                      ": each pass reads the scope's rms voltages, currents and real powers of input and output, "
                      "and its U95 from the declared accuracy (k = " +
                      g(r.accuracy.coverage, 3) + ")");
    for (const UnitTestPlan::Step& step : r.plan.steps) {
        s.lines.push_back("Step \"" + step.name + "\": supply " + step.supply + " V rms, load " + step.load +
                          (step.load == "NO LOAD" ? "" : " ohms") + ", capacitor " + step.capacitor + " uF, " +
                          std::to_string(step.passes) + (step.passes == 1 ? " pass" : " passes") + ", judged against " +
                          step.limits.title() + " (SHA-256 " + step.limits.sha256 + ")" +
                          (step.limitsFile.empty() ? "" : " from " + step.limitsFile));
    }
    return s;
}

ReportDocument::Section instrument(const UnitTestResult& r) {
    ReportDocument::Section s{"Equipment and conditions", {}};
    const PassOutcome* first = nullptr;
    for (const StepResult& step : r.steps) {
        first = first != nullptr || step.passes.empty() ? first : &step.passes.front();
    }
    s.lines.push_back("Bench: " + orNot(r.bench));
    s.lines.push_back("Oscilloscope: " + (first != nullptr ? orNot(first->instrument.scopeIdentity) : "not reached"));
    s.lines.push_back(
        "Adapter: " + (first != nullptr ? orNot(first->instrument.adapter) : "not reached") +
        (first != nullptr && !first->instrument.simulation.empty() ? " (" + first->instrument.simulation + ")" : ""));
    const Accuracy& a = r.accuracy;
    s.lines.push_back("Declared accuracy: scope gain " + g(a.gainPercent, 4) + " %, offset " + g(a.offsetDivisions, 4) +
                      " div, voltage probe " + g(a.voltageProbePercent, 4) + " %, current probe " +
                      g(a.currentProbePercent, 4) + " %, current probe lag " + g(a.phaseLagDegrees, 4) +
                      " degrees, load resistor " + g(a.resistorPercent, 4) + " %, coverage k = " + g(a.coverage, 3));
    s.lines.push_back("Calibration: " + orNot(r.calibration));
    return s;
}

// Every limited figure of every pass: value, U95, limit, rule, w, verdict.
ReportDocument::Section results(const UnitTestResult& r) {
    ReportDocument::Section s{"Results", {}};
    for (const StepResult& step : r.steps) {
        const UnitTestPlan::Step& planned = r.plan.steps.at(static_cast<std::size_t>(step.number - 1));
        const LimitSet& set = planned.limits;
        s.lines.push_back("Step " + std::to_string(step.number) + " \"" + step.name +
                          "\": " + verdictName(step.verdict) + " (" + set.title() + ", rule " +
                          (set.rule == Rule::GuardBand ? "guard-band, guard " + g(set.guard, 4) + " x U95" : "simple") +
                          ")");
        int n = 0;
        for (const PassOutcome& p : step.passes) {
            ++n;
            s.lines.push_back("  pass " + std::to_string(n) + " " + p.passId + " at " + dateText(p.when) + ": " +
                              (p.ending == PassOutcome::Ending::Complete ? std::string("complete")
                                                                         : std::string("did not complete")));
            for (const LimitSet::Limit& limit : set.limits) {
                const CatalogueFigure* c = catalogueFigure(limit.column);
                if (c == nullptr) {
                    continue;
                }
                const auto U = c->U(p);
                std::string verdict = "-";
                if (p.verdict) {
                    for (const PassVerdict::Figure& f : p.verdict->figures) {
                        verdict = f.column == limit.column ? verdictName(f.verdict) : verdict;
                    }
                }
                s.lines.push_back("    " + limit.column + " = " + g(c->number(p)) + " +- " + g(U, 3) + " " + c->unit() +
                                  " (U95); limit " + boundsText(limit.bounds) +
                                  (set.rule == Rule::GuardBand
                                       ? "; w = " + g(U ? set.guard * *U : std::optional<double>(), 3)
                                       : std::string()) +
                                  "; " + verdict);
            }
        }
        if (step.trueVerdict) {
            s.lines.push_back("  simulated bench: the true values' verdict " +
                              std::string(verdictName(*step.trueVerdict)));
        }
    }
    if (r.steps.empty()) {
        s.lines.push_back("No step was measured.");
    }
    return s;
}

QJsonArray linesJson(const std::vector<std::string>& lines) {
    QJsonArray a;
    for (const std::string& l : lines) {
        a.append(QString::fromStdString(l));
    }
    return a;
}

std::vector<std::string> linesOf(const QJsonValue& v) {
    std::vector<std::string> lines;
    for (const QJsonValue& l : v.toArray()) {
        lines.push_back(l.toString().toStdString());
    }
    return lines;
}

} // namespace

LabProfile readLabProfile(const std::string& path) {
    LabProfile lab;
    lab.file = path;
    QFile f(QString::fromStdString(path));
    if (f.open(QIODevice::ReadOnly)) {
        const QJsonObject o = QJsonDocument::fromJson(f.read(1 << 16)).object();
        lab.name = o.value(QStringLiteral("name")).toString().simplified().toStdString();
        lab.address = o.value(QStringLiteral("address")).toString().simplified().toStdString();
        lab.authorisedBy = o.value(QStringLiteral("authorised by")).toString().simplified().toStdString();
    }
    return lab;
}

ReportDocument unitTestReport(const UnitTestResult& r, const LabProfile& lab, const QDateTime& issued) {
    ReportDocument d;
    d.unitTestId = r.id;
    d.unit = r.who.unit;
    d.issue = r.reportIssue;
    d.replaces = r.replacesReport;
    d.id = r.id + "/" + std::to_string(d.issue);
    d.title = "TEST REPORT - transformer efficiency";
    d.sections.push_back(
        {"Laboratory",
         {lab.name.empty() ? "Laboratory not named (its name and address go in " + lab.file + ")" : lab.name,
          lab.address.empty() ? "Address not stated" : lab.address}});
    d.sections.push_back(
        {"Report",
         {"Report " + d.id + ", issue " + std::to_string(d.issue) +
              (d.replaces.empty() ? ""
                                  : ", replaces report " + d.replaces + " (the test was stopped there and resumed)"),
          "Customer: " + orNot(r.plan.customer)}});
    d.sections.push_back(
        {"Item tested",
         {"Unit: " + r.who.unit, "Kind: " + kindName(r.plan.kind), "Lot: " + orNot(r.who.lot),
          "Condition and remarks: " + (r.who.comment.empty() ? std::string("as received, no remark") : r.who.comment),
          r.attempt > 1 ? "Retest: attempt " + std::to_string(r.attempt) + " of this unit on this bench"
                        : "First test of this unit on this bench"}});
    d.sections.push_back(method(r));
    d.sections.push_back(instrument(r));
    d.sections.push_back(
        {"Dates",
         {"Test began " + dateText(r.started) + ", ended " + dateText(r.ended), "Report issued " + dateText(issued)}});
    d.sections.push_back(results(r));
    d.sections.push_back({"Decision rule",
                          {"Each figure is judged against its limit with its expanded uncertainty U95: under the "
                           "guard-band rule a value inside the limit by less than w = guard x U95 is a CONDITIONAL "
                           "PASS, outside it by less than w a CONDITIONAL FAIL; a step's verdict is the worst of its "
                           "passes', the unit's the worst of its steps' (PASS < CONDITIONAL PASS < NO VERDICT < "
                           "CONDITIONAL FAIL < FAIL); a test that did not reach its end has NO VERDICT."}});
    if (!r.stoppedAt.empty()) {
        d.sections.push_back({"Deviations", {"The test did not run to its end: " + r.stoppedAt}});
    } else {
        d.sections.push_back({"Deviations", {"None: every step ran as the plan says."}});
    }
    d.verdict.push_back(std::string("UNIT VERDICT: ") + verdictName(r.verdict));
    for (const std::string& reason : r.reasons) {
        d.verdict.push_back(reason);
    }
    if (r.reasons.empty()) {
        d.verdict.push_back("every step passed every limit");
    }
    d.sections.push_back(
        {"Statement",
         {"The results relate only to the item tested.", "Tested by: " + orNot(r.who.operatorName),
          "Authorised by: " + (lab.authorisedBy.empty() ? std::string("________________________") : lab.authorisedBy) +
              "    Signature: ________________________"}});
    return d;
}

ReportDocument amendedReport(const ReportDocument& old, const std::string& correction, const QDateTime& issued) {
    ReportDocument d = old;
    d.issue = old.issue + 1;
    d.id = old.unitTestId + "/" + std::to_string(d.issue);
    d.replaces = old.id;
    for (ReportDocument::Section& s : d.sections) {
        if (s.heading == "Report") {
            s.lines.front() = "Report " + d.id + ", issue " + std::to_string(d.issue);
        }
        if (s.heading == "Dates") {
            s.lines.back() = "Report issued " + dateText(issued);
        }
    }
    d.sections.insert(
        d.sections.begin() + 2,
        {"Amendment", {"This report replaces report " + old.id + ", which is kept.", "Correction: " + correction}});
    return d;
}

std::string reportJson(const ReportDocument& d) {
    QJsonArray sections;
    for (const auto& s : d.sections) {
        sections.append(QJsonObject{{"heading", QString::fromStdString(s.heading)}, {"lines", linesJson(s.lines)}});
    }
    const QJsonObject o{{"id", QString::fromStdString(d.id)},
                        {"unit test id", QString::fromStdString(d.unitTestId)},
                        {"unit", QString::fromStdString(d.unit)},
                        {"issue", d.issue},
                        {"replaces", QString::fromStdString(d.replaces)},
                        {"title", QString::fromStdString(d.title)},
                        {"sections", sections},
                        {"verdict", linesJson(d.verdict)}};
    return QJsonDocument(o).toJson().toStdString();
}

std::optional<ReportDocument> reportFromJson(const std::string& bytes) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(bytes));
    const QJsonObject o = doc.object();
    ReportDocument d;
    d.id = o.value(QStringLiteral("id")).toString().toStdString();
    d.unitTestId = o.value(QStringLiteral("unit test id")).toString().toStdString();
    d.unit = o.value(QStringLiteral("unit")).toString().toStdString();
    d.issue = o.value(QStringLiteral("issue")).toInt();
    d.replaces = o.value(QStringLiteral("replaces")).toString().toStdString();
    d.title = o.value(QStringLiteral("title")).toString().toStdString();
    for (const QJsonValue& s : o.value(QStringLiteral("sections")).toArray()) {
        d.sections.push_back({s.toObject().value(QStringLiteral("heading")).toString().toStdString(),
                              linesOf(s.toObject().value(QStringLiteral("lines")))});
    }
    d.verdict = linesOf(o.value(QStringLiteral("verdict")));
    if (d.id.empty() || d.unitTestId.empty() || d.issue < 1 || d.sections.empty() || d.verdict.empty()) {
        return std::nullopt;
    }
    return d;
}

std::string reportFileName(const ReportDocument& d, const std::string& extension) {
    std::string safe;
    for (char c : d.unit) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        safe += plain ? c : '_';
    }
    return "report-" + safe + "-" + d.unitTestId +
           (d.issue > 1 ? "-amendment-" + std::to_string(d.issue - 1) : std::string()) + "." + extension;
}
