#include "LabUnitYields.h"

#include "LabAggregates.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

std::string labUnitYieldQuery() {
    // Each test's last row; the filters; each unit's tests in time order;
    // the failing steps of every test; a row a lot and plan. Texts sort by
    // their bytes, as the folder's window does; a field a file did not have
    // (NULL) counts as empty, as it does there.
    return "WITH last AS (SELECT DISTINCT ON (unit_test_id) unit_test_id, coalesce(unit, '') AS unit, "
           "coalesce(lot, '') AS lot, coalesce(plan, '') AS plan, coalesce(plan_version, '') AS plan_version, "
           "bench, operator, verdict, step_verdicts, started, ended FROM unit_tests "
           "ORDER BY unit_test_id, ended DESC, uploaded_at DESC), "
           "kept AS (SELECT * FROM last WHERE (CAST(? AS text) = '' OR bench = ?) "
           "AND (CAST(? AS text) = '' OR operator = ?) "
           "AND (CAST(? AS timestamptz) IS NULL OR started >= CAST(? AS timestamptz)) "
           "AND (CAST(? AS timestamptz) IS NULL OR started < CAST(? AS timestamptz))), "
           "runs AS (SELECT *, row_number() OVER (PARTITION BY lot, plan, plan_version, unit "
           "ORDER BY started, ended) AS n, count(*) OVER (PARTITION BY lot, plan, plan_version, unit) AS tests "
           "FROM kept), "
           "failed AS (SELECT lot, plan, plan_version, m[1] AS step, count(*) AS times FROM kept, "
           "LATERAL regexp_split_to_table(coalesce(step_verdicts, ''), '; ') AS s, "
           "LATERAL regexp_match(s, '^(.*): (FAIL|CONDITIONAL FAIL)$') AS m WHERE m IS NOT NULL "
           "GROUP BY 1, 2, 3, 4), "
           "steps AS (SELECT lot, plan, plan_version, string_agg(step || E'\\t' || times, E'\\n' "
           "ORDER BY step COLLATE \"C\") AS failures FROM failed GROUP BY 1, 2, 3) "
           "SELECT r.lot, r.plan || ', version ' || r.plan_version, count(DISTINCT r.unit), count(*), "
           "count(*) FILTER (WHERE n = 1 AND verdict = 'PASS'), "
           "count(*) FILTER (WHERE n = tests AND verdict = 'PASS'), count(*) FILTER (WHERE n > 1), "
           "count(*) FILTER (WHERE n = tests AND verdict = 'CONDITIONAL PASS'), "
           "count(*) FILTER (WHERE n = tests AND verdict = 'CONDITIONAL FAIL'), "
           "count(*) FILTER (WHERE n = tests AND verdict = 'NO VERDICT'), "
           "count(*) FILTER (WHERE n = tests AND verdict = 'FAIL'), min(steps.failures) "
           "FROM runs r LEFT JOIN steps USING (lot, plan, plan_version) "
           "GROUP BY r.lot, r.plan, r.plan_version "
           "ORDER BY r.lot COLLATE \"C\", r.plan || ', version ' || r.plan_version COLLATE \"C\"";
}

LabUnitYields labUnitYields(QSqlDatabase& db, const YieldFilter& f) {
    LabUnitYields out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QString::fromStdString(labUnitYieldQuery()))) {
        out.error = q.lastError().text().simplified();
        return out;
    }
    const QString bench = QString::fromStdString(f.bench), op = QString::fromStdString(f.operatorName);
    const QVariant none(QMetaType::fromType<QString>());
    const QVariant from = f.from.isValid() ? QVariant(instantText(f.from)) : none;
    const QVariant to = f.to.isValid() ? QVariant(instantText(f.to.addDays(1))) : none;
    for (const QVariant& v : {QVariant(bench), QVariant(bench), QVariant(op), QVariant(op), from, from, to, to}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        out.error = q.lastError().text().simplified();
        return out;
    }
    while (q.next()) {
        LotYield y;
        y.lot = q.value(0).toString().toStdString();
        y.plan = q.value(1).toString().toStdString();
        int* counts[] = {&y.units,           &y.tests,           &y.firstPass, &y.finalPass, &y.retests,
                         &y.conditionalPass, &y.conditionalFail, &y.noVerdict, &y.fail};
        for (int i = 0; i < 9; ++i) {
            *counts[i] = q.value(2 + i).toInt();
        }
        for (const QString& line : q.value(11).toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            y.failuresByStep[line.section(QLatin1Char('\t'), 0, -2).toStdString()] =
                line.section(QLatin1Char('\t'), -1).toInt();
        }
        out.lots.push_back(std::move(y));
    }
    return out;
}

std::vector<std::string> labUnitValues(QSqlDatabase& db, const char* column) {
    std::vector<std::string> values;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT DISTINCT %1 FROM unit_tests ORDER BY 1").arg(QLatin1String(column)))) {
        while (q.next()) {
            values.push_back(q.value(0).toString().toStdString());
        }
    }
    return values;
}
