#include "UnitTestRestore.h"

#include "FigureCatalogue.h"
#include "NumberText.h"
#include "RecordFileRule.h"
#include "RecordLayout.h"
#include "RecordRows.h"
#include "ResultsTable.h"
#include "UnitTestsFile.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>

namespace {

using Row = std::map<std::string, std::string>;

std::string fieldOf(const Row& row, const std::string& title) {
    const auto i = row.find(title);
    return i == row.end() ? std::string() : i->second;
}

// The record's rows of one unit test, file by file in the record's order, as
// the record's rule for rows reads them. A row is looked for by its id first:
// the rest of a large record is not split into fields.
std::vector<Row> recordRowsOf(const std::string& folder, const std::string& id) {
    const QDir dir(QString::fromStdString(folder));
    std::vector<Row> rows;
    const std::string_view wanted(id);
    for (const QString& name : numberedRecordFiles(dir.path())) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        std::vector<std::string> header;
        RecordRowScanner scanner;
        const auto take = [&](const RecordRowScanner::Row& r) {
            if (r.tooLong) {
                return true;
            }
            RowFields fields;
            if (header.empty()) {
                fields.split(r.data, r.size);
                header = fields.strings(r.data);
                scanner.setWidth(static_cast<int>(header.size()));
                return true;
            }
            if (std::string_view(r.data, static_cast<std::size_t>(r.size)).find(wanted) == std::string_view::npos) {
                return true;
            }
            fields.split(r.data, r.size);
            if (!fields.whole || fields.list.size() != header.size()) {
                return true; // cut off: its step is measured again
            }
            const std::vector<std::string> values = fields.strings(r.data);
            Row row;
            for (std::size_t i = 0; i < values.size(); ++i) {
                row[header[i]] = values[i];
            }
            if (fieldOf(row, RecordColumn::UnitTestId.title()) == id) {
                rows.push_back(std::move(row));
            }
            return true;
        };
        while (!f.atEnd()) {
            const QByteArray slice = f.read(1 << 20);
            if (slice.isEmpty()) {
                break;
            }
            scanner.feed(slice.constData(), slice.size(), f.atEnd(), take);
        }
    }
    return rows;
}

// A pass as the report and the step's verdict read it, from its record row.
PassOutcome passOf(const Row& row, const UnitTestPlan::Step& step) {
    PassOutcome p;
    p.passId = fieldOf(row, RecordColumn::PassId.title());
    p.bench = fieldOf(row, RecordColumn::Bench.title());
    p.when = QDateTime::fromString(QString::fromStdString(fieldOf(row, RecordColumn::When.title())), Qt::ISODateWithMs);
    p.ending = fieldOf(row, RecordColumn::Ending.title()) == ResultsTable::endingName(PassOutcome::Ending::Complete)
                   ? PassOutcome::Ending::Complete
                   : PassOutcome::Ending::Stopped;
    p.instrument.scopeIdentity = fieldOf(row, "scope identity");
    p.instrument.adapter = fieldOf(row, "adapter");
    p.setUp.comment = fieldOf(row, RecordColumn::Comment.title());
    p.belongs.simulatedTrueVerdict = fieldOf(row, RecordColumn::SimulatedTrueVerdict.title());
    for (const CatalogueFigure& c : figureCatalogue()) {
        c.restore(p, parseNumber(fieldOf(row, c.title)), parseNumber(fieldOf(row, "U95 " + c.title)));
    }
    if (const auto verdict = verdictNamed(fieldOf(row, RecordColumn::Verdict.title()))) {
        PassVerdict v;
        v.verdict = *verdict;
        v.reason = fieldOf(row, "verdict reason");
        v.limitSet = fieldOf(row, "limit set");
        v.limitSetSha = fieldOf(row, RecordColumn::LimitSetSha.title());
        for (const LimitSet::Limit& limit : step.limits.limits) {
            if (const auto each = verdictNamed(fieldOf(row, "verdict " + limit.column))) {
                v.figures.push_back({limit.column, *each, {}});
            }
        }
        p.verdict = v;
    }
    return p;
}

} // namespace

std::variant<UnitTestResult, std::string> stoppedUnitTest(const std::string& folder, const std::string& id,
                                                          const UnitTestPlan& plan) {
    const UnitTestRow* last = nullptr;
    int ends = 0;
    const auto tests = UnitTestsFile::read({folder});
    for (const UnitTestRow& t : tests) {
        if (t.id == id) {
            last = &t;
            ++ends;
        }
    }
    if (last == nullptr) {
        return "no unit test " + id + " in " + folder + "/" + UnitTestsFile::Name;
    }
    const std::string stoppedAt = last->fields.count("stopped at") != 0 ? last->fields.at("stopped at") : "";
    if (last->verdict != verdictName(Verdict::NoVerdict) || stoppedAt.empty()) {
        return "unit test " + id + " ended with " + last->verdict +
               ": there is nothing to resume (testing the unit again is a retest)";
    }
    const std::string sha = last->fields.count("plan SHA-256") != 0 ? last->fields.at("plan SHA-256") : "";
    if (sha != plan.sha256) {
        return "unit test " + id + " was begun with another plan (SHA-256 " + sha + "): resume it with that plan";
    }
    UnitTestResult r;
    r.id = id;
    r.plan = plan;
    r.who = {last->unit, last->operatorName, last->lot, {}};
    r.bench = last->bench;
    r.started = last->started;
    r.attempt = std::max(1, static_cast<int>(parseNumber(last->fields.at("attempt")).value_or(1)));
    r.stoppedAt = stoppedAt;
    r.reportIssue = ends;
    const std::vector<Row> rows = recordRowsOf(folder, id);
    for (std::size_t n = 0; n < plan.steps.size(); ++n) {
        const UnitTestPlan::Step& planned = plan.steps[n];
        StepResult step;
        step.number = static_cast<int>(n + 1);
        step.name = planned.name;
        for (const Row& row : rows) {
            if (fieldOf(row, RecordColumn::Step.title()) == std::to_string(n + 1) + " " + planned.name) {
                step.passes.push_back(passOf(row, planned));
                r.who.comment = step.passes.back().setUp.comment;
            }
        }
        if (step.passes.empty()) {
            break; // not begun: nor are those after it
        }
        const bool whole = static_cast<int>(step.passes.size()) == planned.passes &&
                           std::all_of(step.passes.begin(), step.passes.end(),
                                       [](const PassOutcome& p) { return p.ending == PassOutcome::Ending::Complete; });
        judgeStep(step, whole, "the step did not end");
        r.steps.push_back(std::move(step));
    }
    return r;
}
