// The lab's set-ups as the results window gets them from the server:
//   lab_series CONNECTION [--bench B] [--comment PART] [--from DATE] [--to DATE]
// (dates as yyyy-MM-dd, days in the zone TZ names, as the window's filters).
// One line a set-up, tab-separated: transformer, capacitor, resistor,
// sample average, supply (the X value), then count, mean, lowest and highest
// of the phase-angle estimate, and the passes the server counted in all.
// With --units (and --operator O): the Units tab's lots as the server counts
// them, a line each: lot, plan, units, tests, first-pass, final, retests,
// conditional pass, conditional fail, no verdict, fail, then the failures by
// step ("step=count", ";" between).
#include "DatabaseTarget.h"
#include "LabAggregates.h"
#include "LabConnection.h"
#include "LabUnitYields.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: lab_series CONNECTION [--units] [--bench B] [--operator O] [--comment PART] [--from DATE] "
                   "[--to DATE]\n",
                   stderr);
        return 2;
    }
    LabFilter filter;
    YieldFilter units;
    bool unitsWanted = false;
    for (int i = 2; i < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == QLatin1String("--units")) {
            unitsWanted = true;
            --i;
            continue;
        }
        const QString value = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (option == QLatin1String("--operator")) {
            units.operatorName = value.toStdString();
        } else if (option == QLatin1String("--bench")) {
            filter.bench = value;
            units.bench = value.toStdString();
        } else if (option == QLatin1String("--comment")) {
            filter.comment = value;
        } else if (option == QLatin1String("--from")) {
            filter.from = units.from = QDate::fromString(value, Qt::ISODate);
        } else if (option == QLatin1String("--to")) {
            filter.to = units.to = QDate::fromString(value, Qt::ISODate);
        }
    }
    const auto target = databaseTarget(argv[1]);
    if (!std::holds_alternative<DatabaseTarget>(target)) {
        std::fprintf(stderr, "%s\n", std::get<std::string>(target).c_str());
        return 2;
    }
    const DatabaseTarget& t = std::get<DatabaseTarget>(target);
    {
        QSqlDatabase db = addLabConnection(t, QStringLiteral("lab"));
        if (!db.open()) {
            std::fprintf(stderr, "cannot open the database\n");
            return 1;
        }
        if (unitsWanted) {
            const LabUnitYields lab = labUnitYields(db, units);
            if (!lab.error.isEmpty()) {
                std::fprintf(stderr, "%s\n", qPrintable(lab.error));
                return 1;
            }
            for (const LotYield& y : lab.lots) {
                std::string steps;
                for (const auto& [step, count] : y.failuresByStep) {
                    steps += (steps.empty() ? "" : ";") + step + "=" + std::to_string(count);
                }
                std::printf("%s\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s\n", y.lot.c_str(), y.plan.c_str(), y.units,
                            y.tests, y.firstPass, y.finalPass, y.retests, y.conditionalPass, y.conditionalFail,
                            y.noVerdict, y.fail, steps.c_str());
            }
            return 0;
        }
        const LabSeries lab = labSeries(db, XValue::Supply, filter);
        if (!lab.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(lab.error));
            return 1;
        }
        for (const PlotSeries& s : lab.series) {
            for (const SetUpPoint& p : s.points) {
                std::printf("%s\t%s\t%s\t%s\t%.10g\t%d\t%.10g\t%.10g\t%.10g\n", qPrintable(s.transformer),
                            qPrintable(s.capacitor), qPrintable(s.resistor), qPrintable(s.average), p.x, p.phase.count,
                            p.phase.mean, p.phase.low, p.phase.high);
            }
        }
        std::printf("passes\t%lld\n", lab.passes);
        std::printf("from\t%s\n", lab.fromSummary ? "summary" : "passes");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lab"));
    return 0;
}
