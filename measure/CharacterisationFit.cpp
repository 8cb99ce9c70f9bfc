#include "CharacterisationFit.h"

#include "CharacterisationModel.h"
#include "UncertaintyTerms.h"

#include <algorithm>
#include <cmath>
#include <map>

using namespace UncertaintyTerms;

using namespace CharacterisationModel;

namespace {

// Where each observation and parameter stands in the joint fit.
struct Layout {
    std::vector<std::vector<std::size_t>> supplyPoints; // per supply, the points' indexes
    std::vector<double> supplyVolts;
    std::size_t points = 0;
    std::size_t parameters() const { return supplyPoints.size() * ParameterCount; }
    std::size_t observations() const { return 2 * points; } // each point's loss, then each V2
};

Params paramsOf(const std::vector<double>& theta, std::size_t supply) {
    const std::size_t b = supply * ParameterCount;
    return {theta[b + P0], theta[b + A], theta[b + REq], theta[b + V20], theta[b + ROut], theta[b + Bend]};
}

// Each error the points share, as its effect on every observation (one
// standard uncertainty of it): the columns of the covariance's shared part.
std::vector<std::vector<double>> sharedEffects(const std::vector<CharacterisationPoint>& pts, const Layout& lay,
                                               const std::vector<std::size_t>& supplyOf,
                                               const std::vector<double>& theta, const FitOptions& o) {
    const std::size_t n = pts.size();
    const Accuracy& acc = o.accuracy;
    const double gain = rect(acc.gainPercent / 100);
    const double vProbe = rect(acc.voltageProbePercent / 100);
    const double iProbe = rect(acc.currentProbePercent / 100);
    const double lag = rect(radians(acc.phaseLagDegrees));
    std::vector<std::vector<double>> effects;
    const auto add = [&](auto lossOf, auto voltageOf) {
        std::vector<double> e(lay.observations(), 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            e[i] = lossOf(pts[i], paramsOf(theta, supplyOf[i]));
            e[n + i] = voltageOf(pts[i], paramsOf(theta, supplyOf[i]));
        }
        effects.push_back(std::move(e));
    };
    const auto none = [](const CharacterisationPoint&, const Params&) { return 0.0; };
    // An error of the output current moves the point along the curve too.
    const auto currentLoss = [](const CharacterisationPoint& p, const Params& q, double u) {
        return -(p.pOut + (q.a + 2 * q.r * p.iOut) * p.iOut) * u;
    };
    const auto currentVoltage = [](const CharacterisationPoint& p, const Params& q, double u) {
        return q.voltsSlope(p.iOut) * p.iOut * u;
    };
    if (!o.calibration) {
        for (const double u : {gain, vProbe, gain, iProbe}) { // CH1, CH2: the input's power
            add([u](const CharacterisationPoint& p, const Params&) { return p.pIn * u; }, none);
        }
        for (const double u : {gain, vProbe}) { // CH3: the output's power and voltage
            add([u](const CharacterisationPoint& p, const Params&) { return -p.pOut * u; },
                [u](const CharacterisationPoint& p, const Params&) { return p.vOut * u; });
        }
        for (const double u : {gain, iProbe}) { // CH4: the output's power and current
            add([=](const CharacterisationPoint& p, const Params& q) { return currentLoss(p, q, u); },
                [=](const CharacterisationPoint& p, const Params& q) { return currentVoltage(p, q, u); });
        }
        add([lag](const CharacterisationPoint& p, const Params&) { return -p.qIn * lag; }, none); // CH2's lag
        add([lag](const CharacterisationPoint& p, const Params&) { return p.qOut * lag; }, none); // CH4's lag
    } else {
        const CalibrationUncertainty& c = *o.calibration;
        for (const double u : {gain, vProbe}) { // CH1 now on both sides
            add([u](const CharacterisationPoint& p, const Params&) { return p.loss() * u; },
                [u](const CharacterisationPoint& p, const Params&) { return p.vOut * u; });
        }
        for (const double u : {gain, iProbe}) { // CH2 on both sides, and the current read through it
            add([=](const CharacterisationPoint& p,
                    const Params& q) { return p.loss() * u + currentLoss(p, q, u) + p.pOut * u; },
                [=](const CharacterisationPoint& p, const Params& q) { return currentVoltage(p, q, u); });
        }
        add([&c](const CharacterisationPoint& p, const Params&) { return -p.pOut * c.voltageRatio; },
            [&c](const CharacterisationPoint& p, const Params&) { return p.vOut * c.voltageRatio; });
        add([=, &c](const CharacterisationPoint& p, const Params& q) { return currentLoss(p, q, c.currentRatio); },
            [=, &c](const CharacterisationPoint& p, const Params& q) { return currentVoltage(p, q, c.currentRatio); });
        add([&c](const CharacterisationPoint& p, const Params&) { return p.qOut * c.phaseRadians; }, none);
        add([lag](const CharacterisationPoint& p, const Params&) { return (p.qOut - p.qIn) * lag; }, none);
    }
    // CH3's offset moves the output voltage's reading (not the real powers).
    add(none, [&acc](const CharacterisationPoint& p, const Params&) {
        const double offset = acc.offsetDivisions * p.outputScale;
        return rect(std::hypot(p.vOut, offset) - p.vOut);
    });
    return effects;
}

// The covariance of the observations: each point's scatter on the diagonal
// (its current's scatter moved along the curve), the shared errors beside.
SmallMatrix covarianceOf(const std::vector<CharacterisationPoint>& pts, const Layout& lay,
                         const std::vector<std::size_t>& supplyOf, const std::vector<double>& theta,
                         const FitOptions& o) {
    const std::size_t n = pts.size();
    SmallMatrix v(lay.observations(), lay.observations());
    for (std::size_t i = 0; i < n; ++i) {
        const Params q = paramsOf(theta, supplyOf[i]);
        const double along = (q.a + 2 * q.r * pts[i].iOut) * pts[i].uIOut;
        v(i, i) = pts[i].uLoss * pts[i].uLoss + along * along;
        const double alongV = q.voltsSlope(pts[i].iOut) * pts[i].uIOut;
        v(n + i, n + i) = pts[i].uVOut * pts[i].uVOut + alongV * alongV;
    }
    if (o.sharedErrors) {
        for (const std::vector<double>& e : sharedEffects(pts, lay, supplyOf, theta, o)) {
            for (std::size_t r = 0; r < e.size(); ++r) {
                if (e[r] == 0) {
                    continue;
                }
                for (std::size_t c = 0; c < e.size(); ++c) {
                    v(r, c) += e[r] * e[c];
                }
            }
        }
    }
    return v;
}

struct Solved {
    std::vector<double> theta;
    SmallMatrix covariance;
    double chi2 = 0;
    std::vector<double> residuals;
    bool ok = false;
};

// theta = (X' W X)^-1 X' W y with W the inverse of `weights` (the points'
// own scatter), its covariance A V A' with A = (X' W X)^-1 X' W and V the
// whole covariance (scatter and shared errors), and chi^2 = r' W r: the
// model checked against the scatter it must meet; `dropped` columns held at
// zero. (Weighting by the whole covariance instead lets the fit spend the
// shared errors' directions on the model's own shortfalls: on the circuit's
// exact readings it halves R_eq.)
Solved gls(const SmallMatrix& x, const std::vector<double>& y, const SmallMatrix& weights, const SmallMatrix& v,
           const std::vector<bool>& dropped) {
    Solved s;
    std::vector<std::size_t> kept;
    for (std::size_t c = 0; c < x.columns(); ++c) {
        if (!dropped[c]) {
            kept.push_back(c);
        }
    }
    SmallMatrix xk(x.rows(), kept.size());
    for (std::size_t r = 0; r < x.rows(); ++r) {
        for (std::size_t c = 0; c < kept.size(); ++c) {
            xk(r, c) = x(r, kept[c]);
        }
    }
    const auto w = weights.inverse();
    if (!w) {
        return s;
    }
    const SmallMatrix xtw = xk.transposed() * *w;
    const auto normal = (xtw * xk).inverse();
    if (!normal) {
        return s;
    }
    const SmallMatrix estimator = *normal * xtw;
    const std::vector<double> thetaK = estimator * y;
    const SmallMatrix cov = estimator * v * estimator.transposed();
    s.theta.assign(x.columns(), 0.0);
    s.covariance = SmallMatrix(x.columns(), x.columns());
    for (std::size_t a = 0; a < kept.size(); ++a) {
        s.theta[kept[a]] = thetaK[a];
        for (std::size_t b = 0; b < kept.size(); ++b) {
            s.covariance(kept[a], kept[b]) = cov(a, b);
        }
    }
    const std::vector<double> fitted = x * s.theta;
    s.residuals.resize(y.size());
    for (std::size_t i = 0; i < y.size(); ++i) {
        s.residuals[i] = y[i] - fitted[i];
    }
    s.chi2 = quadratic(*w, s.residuals);
    s.ok = true;
    return s;
}

// The joint design: each point's loss and V2 on its supply's parameters.
SmallMatrix designOf(const std::vector<CharacterisationPoint>& pts, const Layout& lay,
                     const std::vector<std::size_t>& supplyOf) {
    const std::size_t n = pts.size();
    SmallMatrix x(lay.observations(), lay.parameters());
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t b = supplyOf[i] * ParameterCount;
        const double current = pts[i].iOut;
        x(i, b + P0) = 1;
        x(i, b + A) = current;
        x(i, b + REq) = current * current;
        x(n + i, b + V20) = 1;
        x(n + i, b + ROut) = -current;
        x(n + i, b + Bend) = -current * current;
    }
    return x;
}

Solved fitJoint(const std::vector<CharacterisationPoint>& pts, const Layout& lay,
                const std::vector<std::size_t>& supplyOf, const FitOptions& o, bool withA) {
    const std::size_t n = pts.size();
    std::vector<double> y(lay.observations());
    for (std::size_t i = 0; i < n; ++i) {
        y[i] = pts[i].loss();
        y[n + i] = pts[i].vOut;
    }
    const SmallMatrix x = designOf(pts, lay, supplyOf);
    std::vector<bool> dropped(lay.parameters(), false);
    for (std::size_t s = 0; s < lay.supplyPoints.size() && !withA; ++s) {
        dropped[s * ParameterCount + A] = true;
    }
    // First without the errors that depend on the parameters, then twice
    // with them evaluated at the estimates.
    FitOptions scatter = o;
    scatter.sharedErrors = false;
    std::vector<double> theta(lay.parameters(), 0.0);
    const SmallMatrix first = covarianceOf(pts, lay, supplyOf, theta, scatter);
    Solved s = gls(x, y, first, first, dropped);
    for (int round = 0; round < 2 && s.ok; ++round) {
        s = gls(x, y, covarianceOf(pts, lay, supplyOf, s.theta, scatter), covarianceOf(pts, lay, supplyOf, s.theta, o),
                dropped);
    }
    return s;
}

SmallMatrix block(const SmallMatrix& m, std::size_t first, std::size_t size) {
    SmallMatrix b(size, size);
    for (std::size_t r = 0; r < size; ++r) {
        for (std::size_t c = 0; c < size; ++c) {
            b(r, c) = m(first + r, first + c);
        }
    }
    return b;
}

// One supply's parameters from the joint fit, and the chi^2 of its loss
// (with and without a) and of its output voltage against the points' scatter.
SupplyFit supplyFitOf(std::size_t s, const Layout& lay, const Solved& full, const Solved& twoTerm,
                      const SmallMatrix& weights, double k) {
    const std::size_t n = lay.points;
    const auto scatter = [&weights, n](std::size_t i, bool voltage) {
        const std::size_t at = voltage ? n + i : i;
        return std::sqrt(weights(at, at));
    };
    const auto scaled = [](double r, double u) { return u > 0 ? (r / u) * (r / u) : 0.0; };
    SupplyFit f;
    f.supplyVolts = lay.supplyVolts[s];
    f.points = lay.supplyPoints[s];
    f.covariance = block(full.covariance, s * ParameterCount, ParameterCount);
    const auto est = [&](Parameter p) {
        return Estimate{full.theta[s * ParameterCount + p], k * std::sqrt(std::max(0.0, f.covariance(p, p)))};
    };
    f.p0 = est(P0);
    f.a = est(A);
    f.rEq = est(REq);
    f.v20 = est(V20);
    f.rOut = est(ROut);
    f.bend = est(Bend);
    const Params q = paramsOf(full.theta, s);
    f.mismatchPercent = {100 * q.a / q.v20,
                         k * uncertaintyOf([](const Params& p) { return 100 * p.a / p.v20; }, q, f.covariance)};
    // chi^2 of the loss against its scatter, with and without a; and of
    // the output voltage.
    for (const std::size_t i : f.points) {
        f.lossResiduals.push_back(full.residuals[i]);
        f.voltageResiduals.push_back(full.residuals[n + i]);
        f.chi2 += scaled(full.residuals[i], scatter(i, false));
        f.twoTermChi2 += twoTerm.ok ? scaled(twoTerm.residuals[i], scatter(i, false)) : 0;
        f.voltageChi2 += scaled(full.residuals[n + i], scatter(i, true));
    }
    f.dof = static_cast<int>(f.points.size()) - 3;
    f.chi2Limit = chi2Limit95(f.dof);
    f.twoTermDof = f.dof + 1;
    f.twoTermChi2Limit = chi2Limit95(f.twoTermDof);
    f.voltageDof = static_cast<int>(f.points.size()) - 3;
    f.voltageChi2Limit = chi2Limit95(f.voltageDof);
    return f;
}

std::optional<CoreLaw> coreLawOf(const Characterisation& c, const SmallMatrix& joint, double k) {
    if (c.supplies.size() < 2) {
        return std::nullopt;
    }
    const std::size_t m = c.supplies.size();
    CoreLaw law;
    law.referenceVolts = c.supplies.back().supplyVolts;
    SmallMatrix x(m, 2), covZ(m, m);
    std::vector<double> z(m);
    for (std::size_t s = 0; s < m; ++s) {
        const double p0 = c.supplies[s].p0.value;
        if (!(p0 > 0)) {
            return std::nullopt;
        }
        z[s] = std::log(p0);
        x(s, 0) = 1;
        x(s, 1) = std::log(c.supplies[s].supplyVolts / law.referenceVolts);
        for (std::size_t t = 0; t < m; ++t) {
            covZ(s, t) = joint(s * ParameterCount + P0, t * ParameterCount + P0) / (p0 * c.supplies[t].p0.value);
        }
    }
    const Solved fit = gls(x, z, covZ, covZ, {false, false});
    if (!fit.ok) {
        return std::nullopt;
    }
    law.p0AtReference = {std::exp(fit.theta[0]), k * std::exp(fit.theta[0]) * std::sqrt(fit.covariance(0, 0))};
    law.exponent = {fit.theta[1], k * std::sqrt(fit.covariance(1, 1))};
    law.chi2 = fit.chi2;
    law.dof = static_cast<int>(m) - 2;
    return law;
}

} // namespace

double chi2Limit95(int dof) {
    if (dof <= 0) {
        return 0;
    }
    const double k = dof;
    const double z = 1.6448536269514722;
    const double t = 1 - 2 / (9 * k) + z * std::sqrt(2 / (9 * k));
    return k * t * t * t;
}

Characterisation fitCharacterisation(std::vector<CharacterisationPoint> points, const FitOptions& o) {
    Characterisation c;
    c.coverage = o.accuracy.coverage;
    std::sort(points.begin(), points.end(), [](const CharacterisationPoint& a, const CharacterisationPoint& b) {
        return a.supplyVolts != b.supplyVolts ? a.supplyVolts < b.supplyVolts : a.iOut < b.iOut;
    });
    c.points = points;
    Layout lay;
    lay.points = points.size();
    std::vector<std::size_t> supplyOf(points.size());
    std::map<double, std::vector<std::size_t>> bySupply;
    for (std::size_t i = 0; i < points.size(); ++i) {
        bySupply[points[i].supplyVolts].push_back(i);
    }
    for (const auto& [volts, idx] : bySupply) {
        if (idx.size() < 3) {
            c.problem = "at " + std::to_string(volts) + " V only " + std::to_string(idx.size()) +
                        " loads were measured: a fit needs three";
            return c;
        }
        for (const std::size_t i : idx) {
            supplyOf[i] = lay.supplyPoints.size();
        }
        lay.supplyPoints.push_back(idx);
        lay.supplyVolts.push_back(volts);
    }
    if (lay.supplyPoints.empty()) {
        c.problem = "no point was measured";
        return c;
    }
    const Solved full = fitJoint(points, lay, supplyOf, o, true);
    const Solved twoTerm = fitJoint(points, lay, supplyOf, o, false);
    if (!full.ok) {
        c.problem = "the loads measured do not determine the curve (two loads of one current?)";
        return c;
    }
    const double k = o.accuracy.coverage;
    FitOptions scatterOnly = o;
    scatterOnly.sharedErrors = false;
    const SmallMatrix weights = covarianceOf(points, lay, supplyOf, full.theta, scatterOnly);
    for (std::size_t s = 0; s < lay.supplyPoints.size(); ++s) {
        SupplyFit f = supplyFitOf(s, lay, full, twoTerm, weights, k);
        fillCurve(f, points, o, k);
        c.supplies.push_back(std::move(f));
    }
    c.core = coreLawOf(c, full.covariance, k);
    return c;
}
