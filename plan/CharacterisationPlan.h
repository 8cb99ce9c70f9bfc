#pragma once

#include "TransformerKinds.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// What a characterisation visits, as its JSON file holds it:
//   {"name": "F-54X incoming", "transformer": "STANDARD TRANSFORMER F-54X",
//    "supplies": ["40.0", "50.0"],
//    "loads": ["NO LOAD", "97.2", "48.0", "23.1", "9.4"],
//    "capacitor": "10", "passes per point": 3, "sample average": "16",
//    "rated VA": 25, "rated A": null, "preset": "STANDARD TRANSFORMER F-54X",
//    "note": "..."}
// Supplies, loads and the capacitor are items of the windows' own lists, as
// they show them; every point is a supply with a load (no load included).
struct CharacterisationPlan {
    std::string name;
    TransformerKind kind = TransformerKind::SplitFlux;
    std::vector<std::string> supplies;
    std::vector<std::string> loads;
    std::string capacitor = "10"; // a pass needs one; a small one keeps the load resistive
    int passesPerPoint = 3;
    std::optional<std::string> sampleAverage;
    std::optional<double> ratedVA, ratedAmps;
    // The set-up button pressed when the scope's gains do not suit a supply
    // (its caption); empty: none.
    std::string preset;
    // Why the plan is as it is (the ranges it keeps below), in words.
    std::string note;

    struct Point {
        std::string supply, load;
    };
    // Supply by supply, each from no load to the heaviest load.
    std::vector<Point> points() const;
};

// A plan for a kind: its supplies (below what its recommended ranges clip),
// every load from none to the lowest resistor.
CharacterisationPlan defaultPlan(TransformerKind kind);
// The plan in a file's bytes, or one line naming what is wrong with it.
std::variant<CharacterisationPlan, std::string> planFromJson(const std::string& bytes);
std::variant<CharacterisationPlan, std::string> readPlan(const std::string& path);
std::string planJson(const CharacterisationPlan& plan);
