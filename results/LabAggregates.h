#pragma once

#include "Aggregation.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

class QSqlDatabase;

// The lab's passes as the results window plots them, grouped by the database
// server: one row a set-up (transformer, capacitor, resistor, supply, sample
// average) with the count, mean, lowest and highest of each estimate, of
// their difference and of their U95, and the worst verdict; only complete
// passes with an estimate count, as in a record folder's window.
struct LabFilter {
    QString bench, transformer, comment; // empty: any; the comment as a part of it
    QDate from, to;                      // none: open
};

struct LabQuery {
    std::string sql;
    std::vector<QVariant> binds; // in the order of its ?s
};
// From the passes themselves (a part of the comment to look for needs them).
LabQuery labAggregateQuery(XValue x, const LabFilter& filter);
// From the summary the server keeps as passes arrive: as many rows as
// benches, hours and set-ups, however many passes. It serves every filter
// but a part of the comment, where a day begins on the hour (every zone but
// a few with half hours).
LabQuery labSummaryQuery(XValue x, const LabFilter& filter);
bool summaryServes(const LabFilter& filter);
// A day's start in the viewer's zone as an instant with its offset
// ("2026-12-08T00:00:00.000+01:00"): the server reads it as meant, whatever
// its own zone.
QString instantText(const QDate& day);

// What the server gave, as the plots' series; or why there is none.
struct LabSeries {
    std::vector<PlotSeries> series;
    long long passes = 0;
    QString error;
    bool fromSummary = false;
};
LabSeries labSeries(QSqlDatabase& db, XValue x, const LabFilter& filter);

// The benches and transformers the lab's passes name, for the filters.
std::vector<QString> labValues(QSqlDatabase& db, const char* column);
