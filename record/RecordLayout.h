#pragma once

#include <string>

// The record's layout as every reader sees it. Its columns that readers look up by name: the writer's column
// table (ResultsTable.cpp) and every reader take their titles from here, so
// the two cannot drift apart. A reader finds a column by its title; a file
// without one (an older layout) simply has none of it.
struct ColumnName {
    const char* name;
    const char* unit; // "" for a text or a plain ratio

    // "name (unit)", or the name alone: the column's header field.
    std::string title() const { return *unit == '\0' ? std::string(name) : std::string(name) + " (" + unit + ")"; }
};

namespace RecordColumn {
inline constexpr ColumnName When{"date and time", "ISO 8601"};
inline constexpr ColumnName Ending{"pass ended", ""};
inline constexpr ColumnName Transformer{"transformer", ""};
inline constexpr ColumnName Supply{"power supply", "V rms"};
inline constexpr ColumnName Resistor{"load resistor", "ohms"};
inline constexpr ColumnName Capacitor{"load capacitor", "uF"};
inline constexpr ColumnName SampleAverage{"sample average", ""};
inline constexpr ColumnName Comment{"comment", ""};
inline constexpr ColumnName InputPower{"input power", "W"};
inline constexpr ColumnName OutputPower{"output power", "W"};
inline constexpr ColumnName ApparentInput{"apparent input power", "VA"};
inline constexpr ColumnName ReactiveInput{"reactive input power", "var"};
inline constexpr ColumnName ApparentOutput{"apparent output power", "VA"};
inline constexpr ColumnName ReactiveOutput{"reactive output power", "var"};
inline constexpr ColumnName PhaseEfficiency{"phase angle efficiency", "%"};
inline constexpr ColumnName ResistorOutputPower{"resistor real output power", "W"};
inline constexpr ColumnName ResistorEfficiency{"load resistor efficiency", "%"};
inline constexpr ColumnName PhasePowerFactor{"phase angle output power factor", ""};
inline constexpr ColumnName ResistorPowerFactor{"load resistor output power factor", ""};
// Each written as "U95 " and its figure's column, and the two estimates' ratio.
inline constexpr ColumnName U95PhaseEfficiency{"U95 phase angle efficiency", "%"};
inline constexpr ColumnName U95ResistorEfficiency{"U95 load resistor efficiency", "%"};
inline constexpr ColumnName U95EstimatesRatio{"U95 efficiency estimates ratio", "%"};
inline constexpr ColumnName Verdict{"verdict", ""};
inline constexpr ColumnName LimitSetSha{"limit set SHA-256", ""};
inline constexpr ColumnName Calibration{"calibration", ""};
inline constexpr ColumnName PassId{"pass id", ""};
inline constexpr ColumnName CharacterisationId{"characterisation id", ""};
inline constexpr ColumnName Unit{"unit", ""};
inline constexpr ColumnName Operator{"operator", ""};
inline constexpr ColumnName Lot{"lot", ""};
inline constexpr ColumnName UnitTestId{"unit test id", ""};
inline constexpr ColumnName Step{"step", ""};
inline constexpr ColumnName SimulatedTrueVerdict{"simulated true verdict", ""};
inline constexpr ColumnName Bench{"bench", ""};
inline constexpr ColumnName CalibratedPhaseEfficiency{"calibrated phase angle efficiency", "%"};
inline constexpr ColumnName U95CalibratedPhaseEfficiency{"U95 calibrated phase angle efficiency", "%"};
inline constexpr ColumnName CalibratedResistorEfficiency{"calibrated load resistor efficiency", "%"};
} // namespace RecordColumn

// The record's file in a folder.
inline constexpr const char* RecordFileName = "results.csv";

// The record's files in a folder: results.csv, then results-2.csv,
// results-3.csv, ... as each earlier one turns out to be of another layout.
// `number` 1 (or less) is the file itself.
std::string numberedFileName(const std::string& file, int number);
// The number of `name` among the numbered files of `file` (1 for the file
// itself); 0 for a name that is not one of them.
int numberOfFile(const std::string& name, const std::string& file);
