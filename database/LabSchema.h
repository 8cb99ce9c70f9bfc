#pragma once

#include <string>
#include <vector>

// The lab database's layout, version 1: a table `lab_schema` holding the
// version, and a table `passes` with one row per pass, keyed by its pass id,
// and a column for each record column: its title in snake case ("input power
// (W)" is input_power_w, "%" is pct), numbers as double precision, the pass's
// time as timestamp with time zone, texts as text; and uploaded_at, when the
// row arrived.
namespace LabSchema {

inline constexpr int Version = 1;

enum class Type { Text, Number, Time, Uuid };

struct Column {
    std::string title; // the record's column
    std::string name;  // the database's
    Type type;
};
// Every record column, in the record's order; pass_id first among them is
// not promised (it stays where the record has it).
const std::vector<Column>& columns();
// "input power (W)" -> "input_power_w".
std::string sqlName(const std::string& title);
const char* sqlType(Type t);

// Run in one transaction, under an advisory lock, when neither table exists.
std::vector<std::string> createStatements();
// INSERT ... ON CONFLICT (pass_id) DO NOTHING, one ? a column.
std::string insertStatement();

} // namespace LabSchema
