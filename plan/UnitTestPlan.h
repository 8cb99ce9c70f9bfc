#pragma once

#include "LimitSet.h"
#include "TransformerKinds.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// A unit's test as its JSON file holds it:
//   {"name": "F-54X outgoing", "version": "2", "transformer": "STANDARD TRANSFORMER F-54X",
//    "preset": "STANDARD TRANSFORMER F-54X", "customer": "...",
//    "steps": [{"name": "full load", "supply": "50.0", "load": "9.4", "capacitor": "10",
//               "sample average": "16", "passes": 2,
//               "prompt": "Set the supply to 50 V and the load to 9.4 ohms",
//               "limits": {...a limit set...}},
//              {..., "limits file": "f54x-no-load.json", "limits sha256": "9f2c..."}]}
// A step's limit set is inline or a file (beside the plan unless the path is
// absolute) whose bytes must have the SHA-256 given. Every key is checked:
// one the program does not know is refused, so that a typing error never
// passes a unit against less than was meant.
struct UnitTestPlan {
    std::string name, version;
    TransformerKind kind = TransformerKind::SplitFlux;
    std::string preset;   // the set-up button pressed when the gains do not suit a supply
    std::string customer; // for the report; empty: not stated
    struct Step {
        std::string name;
        std::string supply, load, capacitor;
        std::optional<std::string> sampleAverage;
        int passes = 1;
        std::string prompt;
        LimitSet limits;
        std::string limitsFile; // empty: inline
    };
    std::vector<Step> steps;
    std::string sha256; // of the file's bytes, hex
    std::string bytes;
    // "F-54X outgoing, version 2"
    std::string title() const { return name + ", version " + version; }
};

// The plan in a file's bytes (its limit files looked for in `folder`), or one
// line naming what is wrong with it.
std::variant<UnitTestPlan, std::string> unitTestPlanFromJson(const std::string& bytes, const std::string& folder);
std::variant<UnitTestPlan, std::string> readUnitTestPlan(const std::string& path);
