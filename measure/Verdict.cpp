#include "Verdict.h"

#include <algorithm>
#include <cmath>

const char* verdictName(Verdict v) {
    switch (v) {
    case Verdict::Pass:
        return "PASS";
    case Verdict::ConditionalPass:
        return "CONDITIONAL PASS";
    case Verdict::NoVerdict:
        return "NO VERDICT";
    case Verdict::ConditionalFail:
        return "CONDITIONAL FAIL";
    case Verdict::Fail:
        return "FAIL";
    }
    return "NO VERDICT";
}

std::optional<Verdict> verdictNamed(std::string_view words) {
    for (const Verdict v :
         {Verdict::Pass, Verdict::ConditionalPass, Verdict::NoVerdict, Verdict::ConditionalFail, Verdict::Fail}) {
        if (words == verdictName(v)) {
            return v;
        }
    }
    return std::nullopt;
}

namespace {

bool present(const std::optional<double>& bound) {
    return bound && std::isfinite(*bound);
}

// One side: how far inside the limit `inside` is (negative outside).
Verdict side(double inside, double w) {
    if (inside >= w) {
        return Verdict::Pass;
    }
    if (inside >= 0) {
        return Verdict::ConditionalPass;
    }
    if (inside >= -w) {
        return Verdict::ConditionalFail;
    }
    return Verdict::Fail;
}

} // namespace

Verdict judge(std::optional<double> value, std::optional<double> U, const Bounds& bounds, Rule rule, double guard) {
    if (!value || std::isnan(*value)) {
        return Verdict::NoVerdict;
    }
    double w = 0;
    if (rule == Rule::GuardBand) {
        if (!U || !std::isfinite(*U) || *U < 0) {
            return Verdict::NoVerdict;
        }
        w = guard * *U;
    }
    Verdict worst = Verdict::Pass;
    if (present(bounds.lower)) {
        worst = std::max(worst, side(*value - *bounds.lower, w));
    }
    if (present(bounds.upper)) {
        worst = std::max(worst, side(*bounds.upper - *value, w));
    }
    return worst;
}
