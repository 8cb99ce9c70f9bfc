#include "LabSchema.h"

#include "CharacterisationUpload.h"
#include "LabSummary.h"
#include "RecordLayout.h"
#include "ResultsTable.h"
#include "UnitTestUpload.h"

#include <cctype>

namespace LabSchema {

std::string sqlName(const std::string& title) {
    std::string name;
    for (const char c : title) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0) {
            name += static_cast<char>(std::tolower(u));
        } else if (c == '%') {
            name += name.empty() || name.back() == '_' ? "pct" : "_pct";
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name.substr(0, 63);
}

const char* sqlType(Type t) {
    switch (t) {
    case Type::Text:
        return "text";
    case Type::Number:
        return "double precision";
    case Type::Time:
        return "timestamp with time zone";
    case Type::Uuid:
        return "uuid";
    }
    return "text";
}

const std::vector<Column>& columns() {
    static const std::vector<Column> all = [] {
        std::vector<Column> c;
        for (const ResultsTable::Column& r : ResultsTable::columns()) {
            const std::string title = r.title();
            const Type type = title == RecordColumn::PassId.title() ? Type::Uuid
                              : title == RecordColumn::When.title() ? Type::Time
                              : r.numeric                           ? Type::Number
                                                                    : Type::Text;
            c.push_back({title, sqlName(title), type});
        }
        return c;
    }();
    return all;
}

namespace {

std::string quotedText(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        q += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return q + "'";
}

std::string passesTable(const std::string& name) {
    std::string sql = "CREATE TABLE " + name + " (";
    for (const Column& c : columns()) {
        sql += c.name + " " + sqlType(c.type) + (c.type == Type::Uuid ? " NOT NULL" : "") + ", ";
    }
    return sql + "uploaded_at timestamp with time zone NOT NULL DEFAULT now()) PARTITION BY RANGE (" +
           sqlName(RecordColumn::When.title()) + ")";
}

// A pass id already stored: the row is passed over (each pass once, across
// every month's partition).
const char* const KeepOnce = "CREATE FUNCTION lab_keep_once() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                             "SET search_path FROM CURRENT AS $$ BEGIN "
                             "INSERT INTO pass_ids (pass_id) VALUES (NEW.pass_id) ON CONFLICT DO NOTHING; "
                             "IF NOT FOUND THEN RETURN NULL; END IF; RETURN NEW; END $$";

// The months a batch needs get their partitions; the columns a program
// brings are added (names and types checked: a writer may call it, and owns
// nothing).
const char* const Prepare =
    "CREATE FUNCTION lab_prepare(months text[], new_columns text[], new_types text[], program text) "
    "RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $$ "
    "DECLARE m text; i integer; first timestamptz; part text; BEGIN "
    "PERFORM pg_advisory_xact_lock(7268001); "
    "FOREACH m IN ARRAY coalesce(months, '{}') LOOP "
    "  IF m !~ '^[0-9]{4}-[0-9]{2}$' THEN RAISE EXCEPTION 'not a month: %', m; END IF; "
    "  part := 'passes_' || replace(m, '-', '_'); "
    // pg_class under the statement's snapshot, not to_regclass(): the catalog
    // cache is not brought up to date by an advisory lock.
    "  IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "                 WHERE n.nspname = current_schema() AND c.relname = part) THEN "
    "    first := (m || '-01 00:00:00+00')::timestamptz; "
    "    EXECUTE format('CREATE TABLE %I PARTITION OF passes FOR VALUES FROM (%L) TO (%L)', part, first, "
    "                   first + interval '1 month'); "
    "  END IF; "
    "END LOOP; "
    "FOR i IN 1 .. coalesce(array_length(new_columns, 1), 0) LOOP "
    "  IF new_columns[i] !~ '^[a-z][a-z0-9_]{0,62}$' OR new_types[i] NOT IN ('text', 'double precision') THEN "
    "    RAISE EXCEPTION 'not a column this layout takes: % %', new_columns[i], new_types[i]; END IF; "
    "  IF NOT EXISTS (SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema() "
    "                 AND table_name = 'passes' AND column_name = new_columns[i]) THEN "
    "    EXECUTE format('ALTER TABLE passes ADD COLUMN %I %s', new_columns[i], new_types[i]); "
    "    INSERT INTO lab_schema_steps (program_version, what) "
    "      VALUES (program, 'added column ' || new_columns[i] || ' ' || new_types[i]); "
    "  END IF; "
    "END LOOP; END $$";

std::vector<std::string> layoutStatements(const std::string& programVersion, const std::string& what) {
    std::vector<std::string> s{
        "CREATE TABLE IF NOT EXISTS lab_schema (version integer NOT NULL)",
        "CREATE TABLE lab_schema_steps (step serial PRIMARY KEY, applied_at timestamptz NOT NULL DEFAULT now(), "
        "program_version text, what text NOT NULL)",
        passesTable("passes"),
        "CREATE TABLE passes_default PARTITION OF passes DEFAULT",
        "CREATE INDEX passes_by_time ON passes (" + sqlName(RecordColumn::When.title()) + ")",
        "CREATE INDEX passes_by_bench ON passes (" + sqlName(RecordColumn::Bench.title()) + ")",
        "CREATE INDEX passes_by_id ON passes (pass_id)",
        "CREATE TABLE pass_ids (pass_id uuid PRIMARY KEY)",
        "CREATE TABLE set_aside (file text, line bigint, pass_id text, reason text NOT NULL, bench text, "
        "row_text text, set_aside_at timestamptz NOT NULL DEFAULT now())",
        KeepOnce,
        "CREATE TRIGGER passes_once BEFORE INSERT ON passes FOR EACH ROW EXECUTE FUNCTION lab_keep_once()",
        LabSummary::createTable(),
        CharacterisationUpload::createTable(),
        Prepare,
    };
    for (const std::string& t : UnitTestUpload::createStatements()) {
        s.push_back(t);
    }
    for (const std::string& t : LabSummary::triggerStatements()) {
        s.push_back(t);
    }
    // Only the roles the owner grants it to may call it.
    s.push_back("REVOKE EXECUTE ON FUNCTION lab_prepare(text[], text[], text[], text) FROM PUBLIC");
    s.push_back("DELETE FROM lab_schema");
    s.push_back("INSERT INTO lab_schema (version) VALUES (" + std::to_string(Version) + ")");
    s.push_back("INSERT INTO lab_schema_steps (program_version, what) VALUES (" + quotedText(programVersion) + ", " +
                quotedText(what) + ")");
    return s;
}

} // namespace

std::vector<std::string> createStatements(const std::string& programVersion) {
    return layoutStatements(programVersion, "made: version " + std::to_string(Version) + ", " +
                                                std::to_string(columns().size()) + " columns");
}

std::vector<std::string> upgradeStatements(const std::string& programVersion) {
    // The old table steps aside; its passes go through the new one, so that
    // each is kept once and counted in the summary; then it goes.
    std::vector<std::string> s{"ALTER TABLE passes RENAME TO passes_version_1",
                               "ALTER INDEX IF EXISTS passes_by_time RENAME TO passes_version_1_by_time",
                               "ALTER INDEX IF EXISTS passes_by_bench RENAME TO passes_version_1_by_bench"};
    for (const std::string& statement : layoutStatements(programVersion, "upgraded from version 1")) {
        s.push_back(statement);
    }
    s.push_back("SELECT lab_prepare(ARRAY(SELECT DISTINCT to_char(" + sqlName(RecordColumn::When.title()) +
                " AT TIME ZONE 'UTC', 'YYYY-MM') FROM passes_version_1 WHERE " + sqlName(RecordColumn::When.title()) +
                " IS NOT NULL), '{}', '{}', " + quotedText(programVersion) + ")");
    // The columns the old table has (all of them this layout's too).
    s.push_back("DO $$ DECLARE cols text; BEGIN SELECT string_agg(quote_ident(column_name), ', ') INTO cols "
                "FROM information_schema.columns WHERE table_schema = current_schema() AND table_name = "
                "'passes_version_1' AND column_name IN (SELECT column_name FROM information_schema.columns WHERE "
                "table_schema = current_schema() AND table_name = 'passes'); EXECUTE format('INSERT INTO passes "
                "(%s) SELECT %s FROM passes_version_1 WHERE " +
                sqlName(RecordColumn::When.title()) + " IS NOT NULL', cols, cols); END $$");
    s.push_back("DROP TABLE passes_version_1");
    return s;
}

std::string prepareCall() {
    return "SELECT lab_prepare(CAST(? AS text[]), CAST(? AS text[]), CAST(? AS text[]), ?)";
}

std::string insertStatement(const std::vector<Column>& present, std::size_t rows, bool numbered) {
    std::string names;
    for (const Column& c : present) {
        names += (names.empty() ? "" : ", ") + c.name;
    }
    std::string all;
    std::size_t n = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        all += r == 0 ? "(" : ", (";
        for (std::size_t c = 0; c < present.size(); ++c) {
            const std::string placeholder = numbered ? "$" + std::to_string(++n) : std::string("?");
            all += (c == 0 ? "" : ", ") + std::string("CAST(") + placeholder + " AS " + sqlType(present[c].type) + ")";
        }
        all += ")";
    }
    return "INSERT INTO passes (" + names + ") VALUES " + all;
}

std::string setAsideStatement() {
    return "INSERT INTO set_aside (file, line, pass_id, reason, bench, row_text) VALUES (?, ?, ?, ?, ?, ?)";
}

} // namespace LabSchema
