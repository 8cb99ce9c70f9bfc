#pragma once

#include <string>
#include <vector>

// The lab database's layout, version 2.
// - `passes`: one row a pass, a column for each record column: its title in
//   snake case ("input power (W)" is input_power_w, "%" is pct), numbers as
//   double precision, the pass's time as timestamp with time zone, its pass
//   id as uuid, texts as text; and uploaded_at, when the row arrived.
//   Partitioned by month of the pass's time (passes_2026_12, ...); each pass
//   id is stored once (pass_ids keeps them; a row whose id is there already
//   is passed over).
// - `pass_summary`: per bench, UTC hour and set-up, the count, sums, sums of
//   squares, lowest and highest of each plotted figure and its U, and the
//   worst verdict, kept by a trigger in the transaction that brings the
//   passes: what the lab window reads.
// - `set_aside`: the rows that could not go up, with their file, line, pass
//   id and reason.
// - `lab_schema` (the version) and `lab_schema_steps` (each step the layout
//   took: made, a column added).
// The layout only grows: a program adds the columns it brings (through
// lab_prepare(), which also makes the month's partition), and writes the
// columns it has; a writer needs no right to change a table.
namespace LabSchema {

inline constexpr int Version = 2;

enum class Type { Text, Number, Time, Uuid };

struct Column {
    std::string title; // the record's column
    std::string name;  // the database's
    Type type;
};
// Every record column, in the record's order.
const std::vector<Column>& columns();
// "input power (W)" -> "input_power_w".
std::string sqlName(const std::string& title);
const char* sqlType(Type t);

// Run in one transaction, under the advisory lock, by the database's owner
// when no table exists yet.
std::vector<std::string> createStatements(const std::string& programVersion);
// Version 1 (one unpartitioned table) into version 2, its rows kept: run the
// same way.
std::vector<std::string> upgradeStatements(const std::string& programVersion);
// The months ("2026-12") and columns (name, type) a batch needs, made ready.
std::string prepareCall();
// INSERT INTO passes (the columns given) VALUES (?, ...), ... for `rows` rows
// (numbered: $1, $2, ... as libpq takes them).
std::string insertStatement(const std::vector<Column>& present, std::size_t rows = 1, bool numbered = false);
// A row set aside, one ? a field: file, line, pass id, reason, bench, row.
std::string setAsideStatement();
// The lock that keeps two programs from changing the layout at once.
inline constexpr long long LayoutLock = 7268001;

} // namespace LabSchema
