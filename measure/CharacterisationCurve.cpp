#include "CharacterisationModel.h"

#include <cmath>

using namespace CharacterisationModel;

namespace CharacterisationModel {

namespace {

// The supply's efficiency at an output current, as a function of its
// parameters (for their U), with the capacitor's share of the current.
struct EfficiencyModel {
    double siemens = 0; // the capacitive current a volt of output draws

    double powerFactorAt(const Params& p, double current) const {
        const double reactive = siemens * p.volts(current);
        return current > reactive ? std::sqrt(current * current - reactive * reactive) / current : 0.0;
    }
    double eta(const Params& p, double current) const {
        return efficiencyAt(p.volts(current), current, powerFactorAt(p, current), p.p0, p.a, p.r);
    }
};

// The efficiency at 25, 50, 75 and 100 % of the rated output, and their
// average, each with its U.
void fillFractions(SupplyFit& fit, const EfficiencyModel& model, const Params& q, const FitOptions& o, double k,
                   double upTo) {
    const SmallMatrix& cov = fit.covariance;
    // The current that gives a fraction of the rated output: of the amps, or
    // of the volt-amperes V2 I (solved on the fitted V2).
    const auto currentFor = [&o, upTo](const Params& p, double fraction) {
        if (o.ratedAmps) {
            return fraction * *o.ratedAmps;
        }
        // V2(I) I = the volt-amperes wanted, found by bisection below the
        // fitted voltage's peak of V2 I.
        const double wanted = fraction * *o.ratedVA;
        double lo = 0, hi = upTo;
        for (int i = 0; i < 100; ++i) {
            const double mid = (lo + hi) / 2;
            (p.volts(mid) * mid < wanted ? lo : hi) = mid;
        }
        return (lo + hi) / 2;
    };
    double sum = 0;
    for (const double fraction : {0.25, 0.5, 0.75, 1.0}) {
        const auto eta = [&](const Params& p) { return model.eta(p, currentFor(p, fraction)); };
        fit.atFractions.push_back({fraction, {eta(q), k * uncertaintyOf(eta, q, cov)}});
        sum += eta(q);
    }
    const auto average = [&](const Params& p) {
        double s = 0;
        for (const double fraction : {0.25, 0.5, 0.75, 1.0}) {
            s += model.eta(p, currentFor(p, fraction));
        }
        return s / 4;
    };
    fit.averageOfFractions = Estimate{sum / 4, k * uncertaintyOf(average, q, cov)};
}

} // namespace

void fillCurve(SupplyFit& fit, const std::vector<CharacterisationPoint>& pts, const FitOptions& o, double k) {
    const Params q{fit.p0.value, fit.a.value, fit.rEq.value, fit.v20.value, fit.rOut.value, fit.bend.value};
    const SmallMatrix& cov = fit.covariance;
    // The output's current has a part the load capacitor draws (the whole of
    // it at no load), in proportion to the output voltage: that part carries
    // no power, though the windings carry it.
    double heaviest = 0, real = 0, apparent = 0;
    Mean capacitive;
    for (const std::size_t i : fit.points) {
        const CharacterisationPoint& p = pts[i];
        heaviest = std::max(heaviest, p.iOut);
        real += p.pOut;
        apparent += p.vOut * p.iOut;
        if (p.vOut > 0) {
            const double resistive = p.pOut / p.vOut;
            capacitive.add(std::sqrt(std::max(0.0, p.iOut * p.iOut - resistive * resistive)) / p.vOut);
        }
    }
    fit.outputPowerFactor = apparent > 0 ? real / apparent : 1.0;
    const EfficiencyModel model{capacitive.mean()};
    const auto powerFactorAt = [&model](const Params& p, double current) { return model.powerFactorAt(p, current); };
    const auto etaAt = [&model](double current) {
        return [current, &model](const Params& p) { return model.eta(p, current); };
    };
    // Up to twice the heaviest load, where the fitted voltage still stands.
    double upTo = heaviest * 2.0;
    while (upTo > heaviest && q.volts(upTo) < 0.5 * q.v20) {
        upTo *= 0.9;
    }
    for (int step = 1; step <= 40; ++step) {
        const double current = upTo * step / 40.0;
        const auto eta = etaAt(current);
        fit.curve.push_back(
            {current, q.volts(current) * current * powerFactorAt(q, current), eta(q), k * uncertaintyOf(eta, q, cov)});
    }
    const auto bestOf = [&etaAt, upTo](const Params& p) {
        return bestCurrentOf([&](double c) { return etaAt(c)(p); }, upTo);
    };
    const double best = bestOf(q);
    fit.bestBeyondLoads = best > heaviest * 1.001;
    fit.bestCurrent = {best, k * uncertaintyOf(bestOf, q, cov)};
    // At the maximum its own shift does not move the efficiency (first order).
    fit.bestEfficiency = {etaAt(best)(q), k * uncertaintyOf(etaAt(best), q, cov)};
    // The resistor that draws the resistive part of that current.
    const auto loadOf = [&bestOf, &powerFactorAt](const Params& p) {
        const double c = bestOf(p);
        return p.volts(c) / (c * powerFactorAt(p, c));
    };
    fit.bestLoadOhms = {loadOf(q), k * uncertaintyOf(loadOf, q, cov)};
    const auto outputOf = [&bestOf, &powerFactorAt](const Params& p) {
        const double c = bestOf(p);
        return p.volts(c) * c * powerFactorAt(p, c);
    };
    fit.bestOutput = {outputOf(q), k * uncertaintyOf(outputOf, q, cov)};
    if (o.ratedVA || o.ratedAmps) {
        fillFractions(fit, model, q, o, k, upTo);
    }
}

} // namespace CharacterisationModel

double efficiencyAt(double volts, double amps, double powerFactor, double p0, double a, double rEq) {
    const double out = volts * amps * powerFactor;
    const double lost = p0 + a * amps + rEq * amps * amps;
    return out + lost > 0 ? 100 * out / (out + lost) : 0;
}

double bestEfficiencyCurrent(double v20, double rOut, double powerFactor, double p0, double a, double rEq,
                             double upTo) {
    return bestCurrentOf(
        [&](double current) { return efficiencyAt(v20 - rOut * current, current, powerFactor, p0, a, rEq); }, upTo);
}

double bestCurrentOf(const std::function<double(double)>& eta, double upTo) {
    // Golden-section search: the efficiency rises from no load, peaks once
    // and falls.
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double lo = 0, hi = upTo;
    double x1 = hi - golden * (hi - lo), x2 = lo + golden * (hi - lo);
    double f1 = eta(x1), f2 = eta(x2);
    for (int i = 0; i < 200 && hi - lo > 1e-12 * std::max(1.0, upTo); ++i) {
        if (f1 < f2) {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + golden * (hi - lo);
            f2 = eta(x2);
        } else {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - golden * (hi - lo);
            f1 = eta(x1);
        }
    }
    return (lo + hi) / 2;
}
