#include "LabAggregates.h"

#include "LabSchema.h"
#include "LabSummary.h"
#include "NumberText.h"
#include "RecordLayout.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace {

std::string column(ColumnName c) {
    return LabSchema::sqlName(c.title());
}

// count, mean, lowest, highest, variance of an expression.
std::string spread(const std::string& e) {
    return "count(" + e + "), avg(" + e + "), min(" + e + "), max(" + e + "), var_samp(" + e + ")";
}

std::string xColumn(XValue x) {
    switch (x) {
    case XValue::Resistor:
        return column(RecordColumn::Resistor);
    case XValue::Capacitor:
        return column(RecordColumn::Capacitor);
    case XValue::Supply:
    case XValue::Time:
        break;
    }
    return column(RecordColumn::Supply);
}

// The fifth value is the variance (from the passes) or the sum of squared
// deviations itself (from the summary).
Spread spreadAt(const QSqlQuery& q, int at, bool summed) {
    Spread s;
    s.count = q.value(at).toInt();
    if (s.count == 0) {
        return s;
    }
    s.mean = q.value(at + 1).toDouble();
    s.low = q.value(at + 2).toDouble();
    s.high = q.value(at + 3).toDouble();
    const double fifth = q.value(at + 4).isNull() ? 0.0 : q.value(at + 4).toDouble();
    s.m2 = summed ? fifth : fifth * (s.count - 1);
    return s;
}

} // namespace

LabQuery labAggregateQuery(XValue x, const LabFilter& f) {
    const std::string phase = column(RecordColumn::PhaseEfficiency);
    const std::string resistor = column(RecordColumn::ResistorEfficiency);
    const std::string ratioU = column(RecordColumn::U95EstimatesRatio);
    const std::string xText = xColumn(x);
    LabQuery q;
    q.sql = "SELECT " + column(RecordColumn::Transformer) + ", " + column(RecordColumn::Capacitor) + ", " +
            column(RecordColumn::Resistor) + ", " + column(RecordColumn::Supply) + ", " +
            column(RecordColumn::SampleAverage) + ", " + xText + ", " + spread(phase) + ", " + spread(resistor) + ", " +
            spread(phase + " - " + resistor) + ", " + spread(column(RecordColumn::U95PhaseEfficiency)) + ", " +
            spread(column(RecordColumn::U95ResistorEfficiency)) + ", " +
            spread("abs(" + phase + ") * " + ratioU + " / 100") + ", " + "max(CASE " + column(RecordColumn::Verdict) +
            " WHEN 'PASS' THEN 0 WHEN 'CONDITIONAL PASS' THEN 1 WHEN 'NO VERDICT' THEN 2 "
            "WHEN 'CONDITIONAL FAIL' THEN 3 WHEN 'FAIL' THEN 4 END), count(*)"
            " FROM passes WHERE " +
            column(RecordColumn::Ending) + " = 'complete' AND (" + phase + " IS NOT NULL OR " + resistor +
            " IS NOT NULL)";
    const auto where = [&q](const std::string& condition, const QVariant& value) {
        q.sql += " AND " + condition;
        q.binds.push_back(value);
    };
    if (!f.bench.isEmpty()) {
        where(column(RecordColumn::Bench) + " = ?", f.bench);
    }
    if (!f.transformer.isEmpty()) {
        where(column(RecordColumn::Transformer) + " = ?", f.transformer);
    }
    if (!f.comment.isEmpty()) {
        where("strpos(lower(" + column(RecordColumn::Comment) + "), lower(?)) > 0", f.comment);
    }
    const std::string when = column(RecordColumn::When);
    if (f.from.isValid()) {
        where(when + " >= CAST(? AS timestamptz)", instantText(f.from));
    }
    if (f.to.isValid()) {
        where(when + " < CAST(? AS timestamptz)", instantText(f.to.addDays(1)));
    }
    q.sql += " GROUP BY 1, 2, 3, 4, 5"; // the X value is one of them
    return q;
}

bool summaryServes(const LabFilter& f) {
    const auto onTheHour = [](const QDate& d) { return !d.isValid() || d.startOfDay().offsetFromUtc() % 3600 == 0; };
    return f.comment.isEmpty() && onTheHour(f.from) && onTheHour(f.to.isValid() ? f.to.addDays(1) : QDate());
}

LabQuery labSummaryQuery(XValue x, const LabFilter& f) {
    const auto& keys = LabSummary::setUpKeys();
    std::string sql = "SELECT ";
    for (const LabSummary::Key& k : keys) {
        sql += k.name + ", ";
    }
    const std::string xName = x == XValue::Resistor ? "resistor" : x == XValue::Capacitor ? "capacitor" : "supply";
    sql += xName;
    // count, mean, lowest, highest and the sum of squared deviations, from
    // the sums the server keeps.
    for (const LabSummary::Figure& fig : LabSummary::figures()) {
        const std::string n = "sum(" + fig.name + "_n)";
        const std::string sum = "sum(" + fig.name + "_sum)";
        sql += ", " + n + ", " + sum + " / nullif(" + n + ", 0), min(" + fig.name + "_min), max(" + fig.name +
               "_max), greatest(sum(" + fig.name + "_sumsq) - " + sum + " * " + sum + " / nullif(" + n + ", 0), 0)";
    }
    sql += ", max(worst_verdict), sum(passes) FROM pass_summary WHERE true";
    LabQuery q;
    const auto where = [&q, &sql](const std::string& condition, const QVariant& value) {
        sql += " AND " + condition;
        q.binds.push_back(value);
    };
    if (!f.bench.isEmpty()) {
        where("bench = ?", f.bench);
    }
    if (!f.transformer.isEmpty()) {
        where("transformer = ?", f.transformer);
    }
    if (f.from.isValid()) {
        where("hour >= CAST(? AS timestamptz)", instantText(f.from));
    }
    if (f.to.isValid()) {
        where("hour < CAST(? AS timestamptz)", instantText(f.to.addDays(1)));
    }
    q.sql = sql + " GROUP BY 1, 2, 3, 4, 5";
    return q;
}

QString instantText(const QDate& day) {
    const QDateTime start = day.startOfDay();
    return start.toOffsetFromUtc(start.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

LabSeries labSeries(QSqlDatabase& db, XValue x, const LabFilter& filter) {
    LabSeries out;
    const bool summed = summaryServes(filter);
    out.fromSummary = summed;
    const LabQuery lq = summed ? labSummaryQuery(x, filter) : labAggregateQuery(x, filter);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QString::fromStdString(lq.sql))) {
        out.error = q.lastError().text().simplified();
        return out;
    }
    for (std::size_t i = 0; i < lq.binds.size(); ++i) {
        q.bindValue(static_cast<int>(i), lq.binds[i]);
    }
    if (!q.exec()) {
        out.error = q.lastError().text().simplified();
        return out;
    }
    Aggregator aggregator(x);
    while (q.next()) {
        // The X value as recorded ("10.0"; "NO LOAD" has no place on the axis).
        const auto at = parseNumber(q.value(5).toString().toStdString());
        if (!at || !std::isfinite(*at)) {
            continue;
        }
        SetUpPoint p;
        p.x = *at;
        p.phase = spreadAt(q, 6, summed);
        p.resistor = spreadAt(q, 11, summed);
        p.difference = spreadAt(q, 16, summed);
        p.phaseU = spreadAt(q, 21, summed);
        p.resistorU = spreadAt(q, 26, summed);
        p.differenceU = spreadAt(q, 31, summed);
        p.worstVerdict = q.value(36).isNull() ? -1 : q.value(36).toInt();
        p.passes = q.value(37).toLongLong();
        out.passes += p.passes;
        aggregator.addSetUp(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                            q.value(4).toString(), p);
    }
    out.series = aggregator.series();
    return out;
}

std::vector<QString> labValues(QSqlDatabase& db, const char* name) {
    std::vector<QString> values;
    QSqlQuery q(db);
    // From the summary: its rows are few, whatever the passes.
    if (q.exec(QStringLiteral("SELECT DISTINCT %1 FROM pass_summary WHERE %1 <> '' ORDER BY 1")
                   .arg(QLatin1String(name)))) {
        while (q.next()) {
            values.push_back(q.value(0).toString());
        }
    }
    return values;
}
