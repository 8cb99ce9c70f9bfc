#pragma once

#include "CharacterisationFit.h"
#include "CharacterisationPlan.h"

#include "CharacterisationRun.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// A characterisation as its record folder keeps it.
namespace CharacterisationFiles {

// One finished point a line (JSON): its supply and load, its pass ids and
// what the fit takes of it.
std::string pointLine(const CharacterisationPoint& p, const std::vector<std::string>& passIds);
std::optional<CharacterisationPoint> pointOf(const std::string& line, std::vector<std::string>& passIds);

// The whole of it: the plan, the pass ids, the points, each supply's
// parameters with their U95 and covariance, chi^2, the core's law, the
// program's version and (simulated bench) the circuit's truth.
std::string json(const std::string& id, const std::string& bench, const std::string& started,
                 const CharacterisationPlan& plan, const std::vector<std::string>& passIds, const Characterisation& c,
                 const std::vector<std::pair<double, CircuitTruthAt>>& truths);

// A characterisation as its JSON file gives it back, for a view of it.
struct Kept {
    std::string id, bench, started, programVersion;
    CharacterisationPlan plan;
    std::vector<std::string> passIds;
    Characterisation result;
    std::vector<std::pair<double, CircuitTruthAt>> truths;
};
// The file's bytes read back, or one line naming what is wrong with them.
std::variant<Kept, std::string> read(const std::string& bytes);

// characterisations.csv: its header, and a row a supply.
std::string csvHeader();
std::vector<std::string> csvRows(const std::string& id, const std::string& bench, const std::string& when,
                                 const CharacterisationPlan& plan, const Characterisation& c,
                                 const std::vector<std::pair<double, CircuitTruthAt>>& truths);

} // namespace CharacterisationFiles
