#pragma once

#include "PassOutcome.h"
#include "SmallMatrix.h"
#include "Uncertainty.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A transformer characterised from passes at several loads (and supplies):
// its losses separated and its efficiency curve, each figure with its U95.
//
// The loss y = Pin - Pout against the output current I is fitted at each
// supply as y = P0 + a I + R_eq I^2 (P0 the no-load loss, R_eq the winding
// resistance referred to the secondary, a the bench's own input/output gain
// mismatch, which the physics does not have), and the output voltage as
// V2 = V20 - R_out I - c I^2. Least squares weighted by the points' own
// scatter; the parameters' covariance is the points' whole covariance
// propagated through that fit: each point's scatter, and for every error
// the points share (each channel's gain and probe, each current probe's lag,
// CH3's offset; or through a channel calibration, its ratios and phase) its
// effect on every point, the output current's own errors included as errors
// of the abscissa. chi^2 of the residuals against the scatter, beside its
// 95 % limit, checks the model's shape. (Weighting by the whole covariance
// instead lets the fit spend the shared errors' directions on the model's
// own shortfalls: on the circuit's exact readings it halves R_eq.)

// One point: the passes at one supply and load, as means and their scatter.
struct CharacterisationPoint {
    double supplyVolts = 0; // as picked
    std::string load;       // the load resistor as picked ("NO LOAD", "48.0")
    int passes = 0;
    // Means over the passes: the output read through the channel calibration
    // where one applied to every pass.
    double pIn = 0, qIn = 0, pOut = 0, qOut = 0, vOut = 0, iOut = 0;
    // Standard deviations of the means (the passes' scatter, floored at what
    // the answers' five digits resolve).
    double uLoss = 0, uVOut = 0, uIOut = 0;
    double outputScale = 0; // CH3's volts a division, for its offset
    bool calibrated = false;
    double loss() const { return pIn - pOut; }
};
// The point from the passes read at it (complete ones with every value);
// none without any.
std::optional<CharacterisationPoint> characterisationPoint(const std::vector<PassOutcome>& passes, double supplyVolts,
                                                           const std::string& load);

// What the shared errors are declared as: the bench's accuracy, and with a
// channel calibration its own standard uncertainties.
struct CalibrationUncertainty {
    double voltageRatio = 0, currentRatio = 0; // relative
    double phaseRadians = 0;
};
struct FitOptions {
    Accuracy accuracy;
    std::optional<CalibrationUncertainty> calibration; // the points read through one
    bool sharedErrors = true;                          // false: the points' scatter alone (to show what it would claim)
    std::optional<double> ratedVA, ratedAmps;          // the output's rating, for the load fractions
};

// A figure with its expanded uncertainty (k times u).
struct Estimate {
    double value = 0;
    double U = 0;
};

// At one supply.
struct SupplyFit {
    double supplyVolts = 0;
    std::vector<std::size_t> points; // indexes into the characterisation's points
    Estimate p0, a, rEq, v20, rOut;
    Estimate bend;            // c in V2 = V20 - R_out I - c I^2
    Estimate mismatchPercent; // a / V20: the input's gain against the output's
    // chi^2 of the loss against the points' scatter and its 95 % limit.
    double chi2 = 0, chi2Limit = 0;
    int dof = 0;
    // The same without the term a: it must fail where the bench's gains do
    // not match.
    double twoTermChi2 = 0, twoTermChi2Limit = 0;
    int twoTermDof = 0;
    // The output voltage's.
    double voltageChi2 = 0, voltageChi2Limit = 0;
    int voltageDof = 0;
    SmallMatrix covariance; // of P0, a, R_eq, V20, R_out, c
    double outputPowerFactor = 1;
    struct CurvePoint {
        double current = 0, pOut = 0, efficiency = 0, U = 0; // A, W, %, points
    };
    std::vector<CurvePoint> curve;
    // Maximised on the fitted curve.
    Estimate bestEfficiency, bestCurrent, bestLoadOhms, bestOutput;
    bool bestBeyondLoads = false; // the maximum lies beyond the heaviest load measured
    struct AtFraction {
        double fraction = 0; // of the rated output
        Estimate efficiency;
    };
    std::vector<AtFraction> atFractions; // 25, 50, 75 and 100 % where a rating is given
    std::optional<Estimate> averageOfFractions;
    std::vector<double> lossResiduals, voltageResiduals; // per point, in its order
};

// P0 against the supply as P0r (V / Vr)^n, from two supplies or more.
struct CoreLaw {
    double referenceVolts = 0;
    Estimate p0AtReference, exponent;
    double chi2 = 0;
    int dof = 0;
};

struct Characterisation {
    std::vector<CharacterisationPoint> points;
    std::vector<SupplyFit> supplies; // in the order of their supply voltage
    std::optional<CoreLaw> core;
    double coverage = 2;
    std::string problem; // why nothing could be fitted; empty when it could
};

Characterisation fitCharacterisation(std::vector<CharacterisationPoint> points, const FitOptions& options);

// The efficiency (%) of a unit whose output is `volts` x `amps` at power
// factor `pf`, with no-load loss P0, the term a and R_eq, as the curve has it.
double efficiencyAt(double volts, double amps, double powerFactor, double p0, double a, double rEq);
// The output current (A) that makes the efficiency highest for an output
// voltage V20 - R_out I at power factor pf, searched up to `upTo`.
double bestEfficiencyCurrent(double v20, double rOut, double powerFactor, double p0, double a, double rEq, double upTo);
// The same for any efficiency curve of the current.
double bestCurrentOf(const std::function<double(double)>& efficiency, double upTo);
// The 95 % point of chi^2 with `dof` degrees of freedom (Wilson-Hilferty).
double chi2Limit95(int dof);
