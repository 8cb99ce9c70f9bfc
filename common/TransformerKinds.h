#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// The two transformers the calculator knows, their supply lists and the
// scope gains recommended for each supply band.

inline const std::string SplitFluxName = "SPLIT-FLUX TRANSFORMER #1";
inline const std::string StandardName = "STANDARD TRANSFORMER F-54X";
inline const std::string GeneralName = "GENERAL TRANSFORMER";

enum class TransformerKind { SplitFlux, Standard, Other };

// The kind a text names, compared exactly.
TransformerKind kindNamed(const std::string& name);
const std::string& kindName(TransformerKind kind);

// "OFF" first, then the kind's supply voltages; empty for other kinds.
const std::vector<std::string>& supplyList(TransformerKind kind);

// SCOPE GAIN texts for CH1, CH2, MATH, CH3, CH4.
using GainRow = std::array<std::string, 5>;

// The row for a supply of `volts` V rms; band limits are strict as written:
// 10.0 belongs to the middle band of the split-flux transformer and 5.0 to
// its lowest. None for other kinds.
std::optional<GainRow> recommendedGains(TransformerKind kind, double volts);

// The split-flux transformer's three bands, highest first.
const std::array<GainRow, 3>& splitFluxGainSets();

// Whether the gains shown suit a supply of `volts` (none: no supply picked)
// on a transformer of `kind`: false for other kinds and for no supply.
bool gainsSuit(TransformerKind kind, std::optional<double> volts, const GainRow& shown);
