#include "UnitYield.h"

#include <QString>
#include <algorithm>

namespace {

bool accepted(const UnitTestRow& t, const YieldFilter& f) {
    const QDate day = t.started.toLocalTime().date();
    return (f.bench.empty() || t.bench == f.bench) && (f.operatorName.empty() || t.operatorName == f.operatorName) &&
           (!f.from.isValid() || day >= f.from) && (!f.to.isValid() || day <= f.to);
}

} // namespace

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
