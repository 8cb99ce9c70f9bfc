#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A limit's verdict on one figure, and a pass's: the worst of its figures'.
// In order of how bad: a pass's verdict is the largest of its figures'.
enum class Verdict { Pass, ConditionalPass, NoVerdict, ConditionalFail, Fail };
// "PASS", "CONDITIONAL PASS", "NO VERDICT", "CONDITIONAL FAIL", "FAIL"
const char* verdictName(Verdict v);
// The verdict of those words; none for other words.
std::optional<Verdict> verdictNamed(std::string_view words);

// How a limit decides: `Simple`, the limit itself; `GuardBand`, the
// acceptance limit moved inward by w = guard x U (ILAC G8, ISO 14253-1):
// inside the limit but within w of it is a conditional pass, outside but
// within w a conditional fail, and a figure without a U has no verdict.
enum class Rule { Simple, GuardBand };

// A bound that is none or infinite is absent.
struct Bounds {
    std::optional<double> lower, upper;
};

// One figure's verdict: `value` with its expanded uncertainty `U` against the
// bounds (inclusive) under the rule.
Verdict judge(std::optional<double> value, std::optional<double> U, const Bounds& bounds, Rule rule, double guard);

// A pass judged against a limit set.
struct PassVerdict {
    Verdict verdict = Verdict::NoVerdict;
    // Which figure decided, its value +- U, the limit and the rule; or why
    // there is none: "phase angle efficiency (%) 84.2 ± 8.9 is below the lower
    // limit 85 (guard-band, w = 8.9)"
    std::string reason;
    std::string limitSet;    // "F-54X acceptance, version 3"
    std::string limitSetSha; // of the file's bytes, hex
    struct Figure {
        std::string column; // the record column's title
        Verdict verdict = Verdict::NoVerdict;
        std::string reason; // why, in the words of the pass's reason
    };
    std::vector<Figure> figures; // in the limit set's order (its columns sorted by title)
};
