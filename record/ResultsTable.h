#pragma once

#include "PassOutcome.h"

#include <QDateTime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The measurement record as a file a spreadsheet opens: UTF-8, one header
// naming every column with its unit, comma-separated, quoted as RFC 4180
// says, "." as the decimal point whatever the locale, CR LF line ends.
namespace ResultsTable {

// One column: its name, its unit (none for a text or a plain ratio) and the
// field of a pass it holds, as it stands in a row.
struct Column {
    std::string name;
    std::string unit;
    std::function<std::string(const PassOutcome&)> field;
    // A number (or empty) in every row: a database keeps it as one.
    bool numeric = false;
    // "name (unit)", or the name alone.
    std::string title() const { return unit.empty() ? name : name + " (" + unit + ")"; }
};
// Every column, in the file's order: the header and each row are made from it.
const std::vector<Column>& columns();

// The column of that title, or none.
const Column* columnTitled(std::string_view title);

std::string header();
std::string row(const PassOutcome& pass);

// A text field: quoted when it holds a comma, a quote or a line end; bytes
// that are no UTF-8 are taken as Latin-1 and control characters are shown
// as U+FFFD, so the file stays valid UTF-8 whatever the scope sent.
std::string textField(std::string_view text);
// A number at full precision (the shortest text that reads back exactly),
// "inf" beyond a double's range; empty when there is none.
std::string numberField(std::optional<double> value);
// ISO 8601 with the zone: 2026-12-08T14:30:05+01:00.
std::string dateTimeField(const QDateTime& when);

std::string endingName(PassOutcome::Ending ending);

} // namespace ResultsTable
