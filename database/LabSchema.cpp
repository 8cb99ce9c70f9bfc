#include "LabSchema.h"

#include "RecordLayout.h"
#include "ResultsTable.h"

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
            const Type type = title == RecordColumn::PassId.title()  ? Type::Uuid
                              : title == RecordColumn::When.title() ? Type::Time
                              : r.numeric                            ? Type::Number
                                                                     : Type::Text;
            c.push_back({title, sqlName(title), type});
        }
        return c;
    }();
    return all;
}

std::vector<std::string> createStatements() {
    std::string passes = "CREATE TABLE IF NOT EXISTS passes (";
    for (const Column& c : columns()) {
        passes += c.name + " " + sqlType(c.type) + (c.type == Type::Uuid ? " PRIMARY KEY" : "") + ", ";
    }
    passes += "uploaded_at timestamp with time zone NOT NULL DEFAULT now())";
    return {"CREATE TABLE IF NOT EXISTS lab_schema (version integer NOT NULL)",
            "INSERT INTO lab_schema (version) SELECT " + std::to_string(Version) +
                " WHERE NOT EXISTS (SELECT 1 FROM lab_schema)",
            passes,
            "CREATE INDEX IF NOT EXISTS passes_by_time ON passes (date_and_time_iso_8601)",
            "CREATE INDEX IF NOT EXISTS passes_by_bench ON passes (bench)"};
}

std::string insertStatement() {
    std::string names, values;
    for (const Column& c : columns()) {
        names += (names.empty() ? "" : ", ") + c.name;
        values += std::string(values.empty() ? "" : ", ") + "CAST(? AS " + sqlType(c.type) + ")";
    }
    return "INSERT INTO passes (" + names + ") VALUES (" + values + ") ON CONFLICT (pass_id) DO NOTHING";
}

} // namespace LabSchema
