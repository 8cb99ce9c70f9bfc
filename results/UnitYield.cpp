#include "UnitYield.h"

#include "SmallFiles.h"

#include <QFile>
#include <QString>
#include <algorithm>

namespace {

// The file's lines, a quoted field's line ends kept inside it.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool quoted = false;
    for (char c : bytes) {
        quoted = c == '"' ? !quoted : quoted;
        if (!quoted && (c == '\n' || c == '\r')) {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

bool accepted(const UnitTestRow& t, const YieldFilter& f) {
    const QDate day = t.started.toLocalTime().date();
    return (f.bench.empty() || t.bench == f.bench) && (f.operatorName.empty() || t.operatorName == f.operatorName) &&
           (!f.from.isValid() || day >= f.from) && (!f.to.isValid() || day <= f.to);
}

} // namespace

std::vector<UnitTestRow> unitTestsOf(const std::string& csvBytes, const std::string& folder) {
    const auto lines = linesOf(csvBytes);
    std::vector<UnitTestRow> tests;
    if (lines.empty()) {
        return tests;
    }
    const auto header = csvFields(lines.front());
    const auto at = [&header](const char* name) {
        const auto i = std::find(header.begin(), header.end(), std::string(name));
        return i == header.end() ? header.size() : static_cast<std::size_t>(i - header.begin());
    };
    const std::size_t id = at("unit test id"), unit = at("unit"), lot = at("lot"), op = at("operator"),
                      plan = at("plan"), version = at("plan version"), bench = at("bench"), verdict = at("verdict"),
                      steps = at("step verdicts"), started = at("started");
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const auto f = csvFields(lines[n]);
        if (f.size() != header.size() || id >= f.size() || f[id].empty() || verdict >= f.size()) {
            continue; // cut short, or not a row of this layout
        }
        const auto field = [&f](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
        tests.push_back({f[id], field(unit), field(lot), field(op), field(plan), field(version), field(bench),
                         f[verdict], field(steps),
                         QDateTime::fromString(QString::fromStdString(field(started)), Qt::ISODate), folder});
    }
    return tests;
}

std::vector<UnitTestRow> readUnitTests(const std::vector<std::string>& folders) {
    std::vector<UnitTestRow> tests;
    for (const std::string& folder : folders) {
        QFile f(QString::fromStdString(folder + "/unit-tests.csv"));
        if (f.open(QIODevice::ReadOnly)) {
            const auto found = unitTestsOf(f.read(64 << 20).toStdString(), folder);
            tests.insert(tests.end(), found.begin(), found.end());
        }
    }
    return tests;
}

std::vector<LotYield> yieldOf(const std::vector<UnitTestRow>& tests, const YieldFilter& filter) {
    // Each lot and plan's units, each unit's tests in time order.
    // A test stopped and resumed has a row each time it ended: its last says how it went.
    std::map<std::string, const UnitTestRow*> lastRow;
    for (const UnitTestRow& t : tests) {
        lastRow[t.folder + "|" + t.id] = &t;
    }
    std::map<std::pair<std::string, std::string>, std::map<std::string, std::vector<const UnitTestRow*>>> lots;
    for (const UnitTestRow& t : tests) {
        if (lastRow[t.folder + "|" + t.id] == &t && accepted(t, filter)) {
            lots[{t.lot, t.plan + ", version " + t.planVersion}][t.unit].push_back(&t);
        }
    }
    std::vector<LotYield> yields;
    for (auto& [key, units] : lots) {
        LotYield y;
        y.lot = key.first;
        y.plan = key.second;
        for (auto& [unit, runs] : units) {
            std::stable_sort(runs.begin(), runs.end(),
                             [](const UnitTestRow* a, const UnitTestRow* b) { return a->started < b->started; });
            ++y.units;
            y.tests += static_cast<int>(runs.size());
            y.retests += static_cast<int>(runs.size()) - 1;
            y.firstPass += runs.front()->verdict == "PASS" ? 1 : 0;
            const std::string& last = runs.back()->verdict;
            y.finalPass += last == "PASS" ? 1 : 0;
            y.conditionalPass += last == "CONDITIONAL PASS" ? 1 : 0;
            y.conditionalFail += last == "CONDITIONAL FAIL" ? 1 : 0;
            y.noVerdict += last == "NO VERDICT" ? 1 : 0;
            y.fail += last == "FAIL" ? 1 : 0;
            for (const UnitTestRow* r : runs) {
                // "1 light load: PASS; 2 half load: FAIL"
                QString all = QString::fromStdString(r->stepVerdicts);
                for (const QString& step : all.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
                    const auto colon = step.lastIndexOf(QStringLiteral(": "));
                    const QString word = step.mid(colon + 2);
                    if (colon > 0 && (word == QLatin1String("FAIL") || word == QLatin1String("CONDITIONAL FAIL"))) {
                        ++y.failuresByStep[step.left(colon).toStdString()];
                    }
                }
            }
        }
        yields.push_back(y);
    }
    return yields;
}
