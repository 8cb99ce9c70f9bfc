#include "LabSummary.h"

#include "LabSchema.h"
#include "RecordLayout.h"

namespace LabSummary {

namespace {

std::string column(ColumnName c) {
    return LabSchema::sqlName(c.title());
}

// The parts of each figure's entry: count, sum, sum of squares, lowest, highest.
const char* const Parts[]{"_n", "_sum", "_sumsq", "_min", "_max"};

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& p : parts) {
        all += (all.empty() ? "" : ", ") + p;
    }
    return all;
}

std::vector<std::string> keyNames() {
    std::vector<std::string> names{"bench", "hour"};
    for (const Key& k : setUpKeys()) {
        names.push_back(k.name);
    }
    return names;
}

} // namespace

const std::vector<Key>& setUpKeys() {
    static const std::vector<Key> keys{{"transformer", column(RecordColumn::Transformer)},
                                       {"capacitor", column(RecordColumn::Capacitor)},
                                       {"resistor", column(RecordColumn::Resistor)},
                                       {"supply", column(RecordColumn::Supply)},
                                       {"average", column(RecordColumn::SampleAverage)}};
    return keys;
}

const std::vector<Figure>& figures() {
    static const std::vector<Figure> all = [] {
        const std::string phase = column(RecordColumn::PhaseEfficiency);
        const std::string resistor = column(RecordColumn::ResistorEfficiency);
        return std::vector<Figure>{
            {"phase", phase},
            {"resistor", resistor},
            {"difference", phase + " - " + resistor},
            {"phase_u", column(RecordColumn::U95PhaseEfficiency)},
            {"resistor_u", column(RecordColumn::U95ResistorEfficiency)},
            {"difference_u", "abs(" + phase + ") * " + column(RecordColumn::U95EstimatesRatio) + " / 100"},
        };
    }();
    return all;
}

std::string verdictRank(const std::string& c) {
    return "CASE " + c +
           " WHEN 'PASS' THEN 0 WHEN 'CONDITIONAL PASS' THEN 1 WHEN 'NO VERDICT' THEN 2 "
           "WHEN 'CONDITIONAL FAIL' THEN 3 WHEN 'FAIL' THEN 4 END";
}

std::string createTable() {
    std::string sql = "CREATE TABLE pass_summary (bench text NOT NULL, hour timestamptz NOT NULL";
    for (const Key& k : setUpKeys()) {
        sql += ", " + k.name + " text NOT NULL";
    }
    sql += ", passes bigint NOT NULL, worst_verdict integer";
    for (const Figure& f : figures()) {
        sql += ", " + f.name + "_n bigint NOT NULL, " + f.name + "_sum double precision NOT NULL, " + f.name +
               "_sumsq double precision NOT NULL, " + f.name + "_min double precision, " + f.name +
               "_max double precision";
    }
    return sql + ", updated_at timestamptz NOT NULL DEFAULT now(), PRIMARY KEY (" + joined(keyNames()) + "))";
}

std::string triggerFunction() {
    std::vector<std::string> selected{"coalesce(" + column(RecordColumn::Bench) + ", '')",
                                      "date_trunc('hour', " + column(RecordColumn::When) + ")"};
    for (const Key& k : setUpKeys()) {
        selected.push_back("coalesce(" + k.source + ", '')");
    }
    const std::size_t keyCount = selected.size();
    selected.push_back("count(*)");
    selected.push_back("max(" + verdictRank(column(RecordColumn::Verdict)) + ")");
    std::vector<std::string> names = keyNames();
    names.insert(names.end(), {"passes", "worst_verdict"});
    std::vector<std::string> updates{"passes = s.passes + EXCLUDED.passes",
                                     "worst_verdict = greatest(s.worst_verdict, EXCLUDED.worst_verdict)"};
    for (const Figure& f : figures()) {
        const std::string e = "(" + f.expression + ")";
        selected.insert(selected.end(),
                        {"count(" + e + ")", "coalesce(sum(" + e + "), 0)", "coalesce(sum(" + e + " * " + e + "), 0)",
                         "min(" + e + ")", "max(" + e + ")"});
        for (const char* part : Parts) {
            names.push_back(f.name + part);
        }
        for (const char* part : {"_n", "_sum", "_sumsq"}) {
            updates.push_back(f.name + part + " = s." + f.name + part + " + EXCLUDED." + f.name + part);
        }
        updates.push_back(f.name + "_min = least(s." + f.name + "_min, EXCLUDED." + f.name + "_min)");
        updates.push_back(f.name + "_max = greatest(s." + f.name + "_max, EXCLUDED." + f.name + "_max)");
    }
    updates.push_back("updated_at = now()");
    std::string groupBy;
    for (std::size_t i = 1; i <= keyCount; ++i) {
        groupBy += (i == 1 ? "" : ", ") + std::to_string(i);
    }
    const std::string phase = column(RecordColumn::PhaseEfficiency);
    const std::string resistor = column(RecordColumn::ResistorEfficiency);
    return "CREATE FUNCTION lab_summarise() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
           "SET search_path FROM CURRENT AS $$ BEGIN "
           "INSERT INTO pass_summary AS s (" +
           joined(names) + ") SELECT " + joined(selected) + " FROM new_passes WHERE " + column(RecordColumn::Ending) +
           " = 'complete' AND (" + phase + " IS NOT NULL OR " + resistor + " IS NOT NULL) GROUP BY " + groupBy +
           " ON CONFLICT (" + joined(keyNames()) + ") DO UPDATE SET " + joined(updates) + "; RETURN NULL; END $$";
}

std::vector<std::string> triggerStatements() {
    return {triggerFunction(),
            "CREATE TRIGGER passes_summary AFTER INSERT ON passes REFERENCING NEW TABLE AS new_passes "
            "FOR EACH STATEMENT EXECUTE FUNCTION lab_summarise()",
            "CREATE INDEX pass_summary_by_update ON pass_summary (updated_at)"};
}

} // namespace LabSummary
