#pragma once

#include "PassOutcome.h"
#include "Verdict.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// A limit set as its file holds it, e.g.
//   {"name": "F-54X acceptance", "version": "3", "rule": "guard-band", "guard": 1.0,
//    "limits": {"phase angle efficiency (%)": {"lower": 85},
//               "input power (W)": {"lower": 1, "upper": 50}}}
// Each limit names a record column of a measured value or a figure; `lower`
// and `upper` are each optional (one at least; an infinite one is absent);
// `guard` (w = guard x U, default 1) goes with the guard-band rule. A limit
// may name a calibrated efficiency ("calibrated phase angle efficiency (%)"):
// its U is the calibration's, and a pass whose calibration does not apply or
// does not fit the bench has no verdict on it. `decides` (a column or a list
// of them, each limited) says which limits make the pass's verdict. Keys
// beyond these are passed over, so a later version's file still reads.
struct LimitSet {
    std::string name, version;
    Rule rule = Rule::GuardBand;
    double guard = 1.0;
    struct Limit {
        std::string column;
        Bounds bounds;
    };
    std::vector<Limit> limits;
    // The limited columns whose verdicts decide the pass ("decides" in the
    // file); empty: every limit decides. The others are judged and shown,
    // and do not make the pass's verdict.
    std::vector<std::string> decides;
    std::string sha256; // of the file's bytes, hex
    std::string bytes;  // the file's bytes (a record keeps them by their SHA-256)
    // "F-54X acceptance, version 3"
    std::string title() const;
};

// The set in a file's bytes, or one line naming the problem:
// "limit set: \"input power (W)\": lower 50 is above upper 1".
std::variant<LimitSet, std::string> limitSetFromJson(const std::string& bytes);
std::variant<LimitSet, std::string> readLimitSet(const std::string& path);

// A pass against the set: each limited figure's verdict with its U (from the
// pass's own), the worst of them and why. A stopped or failed pass has no
// verdict.
PassVerdict judgePass(const PassOutcome& pass, const LimitSet& set);

// On the simulated bench: the verdict the pass's true values would get under
// the same set, rule and U (the circuit's real powers and their ratio); none
// when a deciding limit names a figure whose truth the bench does not know,
// or the pass knows no truth.
std::optional<Verdict> judgeTruth(const PassOutcome& pass, const LimitSet& set);
