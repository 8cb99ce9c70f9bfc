#pragma once

#include <QDateTime>
#include <map>
#include <string>
#include <vector>

// unit-tests.csv beside the record: a row each time a unit test ended. A test
// stopped and resumed has a row for each end, and its last says how it went.
// The folder's results window and the lab upload both read it through here.
namespace UnitTestsFile {

inline constexpr const char* Name = "unit-tests.csv";

// The file's columns, in its order.
const std::vector<std::string>& columns();
// The header line, its end included.
std::string header();

// One row: the fields the yield and the upload name, and every field by its
// column.
struct Row {
    std::string id, unit, lot, operatorName, plan, planVersion, bench, verdict, stepVerdicts, ended;
    QDateTime started;
    std::string folder;
    std::map<std::string, std::string> fields;
};

// The rows of a file's bytes; a row cut short or without an id is passed
// over, a quoted field's line ends are kept inside it.
std::vector<Row> rowsOf(const std::string& csvBytes, const std::string& folder);
// Every row the folders' files hold, folder by folder.
std::vector<Row> read(const std::vector<std::string>& folders);

} // namespace UnitTestsFile

using UnitTestRow = UnitTestsFile::Row;
