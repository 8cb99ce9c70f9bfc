#pragma once

#include <string>
#include <vector>

// The server's summary of the passes as the lab window plots them: one row
// per bench, UTC hour and set-up (transformer, capacitor, resistor, supply,
// sample average), with the count, sum, sum of squares, lowest and highest of
// each plotted figure and of its U95, the passes counted and the worst
// verdict. Only complete passes with an estimate count, as in a record
// folder's window. Kept by a trigger in the same transaction as the passes.
namespace LabSummary {

// A key column of the summary and the column of `passes` it comes from.
struct Key {
    std::string name;   // in pass_summary
    std::string source; // in passes
};
const std::vector<Key>& setUpKeys(); // transformer, capacitor, resistor, supply, sample average
// A plotted figure: its prefix in pass_summary and its expression over passes.
struct Figure {
    std::string name;
    std::string expression;
};
// phase, resistor, difference and their U95s, in the order the window's
// points keep them.
const std::vector<Figure>& figures();
// The verdict column as a rank: PASS 0 .. FAIL 4.
std::string verdictRank(const std::string& column);

std::string createTable();
std::string triggerFunction();
std::vector<std::string> triggerStatements();

} // namespace LabSummary
