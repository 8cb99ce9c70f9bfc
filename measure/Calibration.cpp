#include "Calibration.h"

#include "NumberText.h"
#include "RunningMean.h"
#include "UncertaintyTerms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using namespace UncertaintyTerms;
bool positive(std::optional<double> v) {
    return v && std::isfinite(*v) && *v > 0;
}

// The scope answers to five digits: no mean of its readings is known better
// than this, however steady they are.
constexpr double RatioResolution = 1e-4; // relative
constexpr double PhaseResolution = 0.01; // degrees

// The angle between a channel pair's voltage and current from their real
// power, as a magnitude (the sign is not measured); none without a power factor.
std::optional<double> angleOf(double V, double I, double P) {
    const double pf = P / (V * I);
    if (!std::isfinite(pf) || std::fabs(pf) > 1.001) {
        return std::nullopt;
    }
    return std::acos(std::clamp(pf, -1.0, 1.0));
}

using Mean = RunningMean;

// One reading on the node: CH1..CH4 as the pass read them.
struct NodeReading {
    double v1, i2, p12, v3, i4, p34;
};
std::optional<NodeReading> nodeReading(const PassOutcome& p) {
    const auto& v = p.values;
    if (p.ending != PassOutcome::Ending::Complete || !positive(v[PassOutcome::InputVoltage]) ||
        !positive(v[PassOutcome::InputCurrent]) || !v[PassOutcome::InputPower] ||
        !positive(v[PassOutcome::OutputVoltage]) || !positive(v[PassOutcome::OutputCurrent]) ||
        !v[PassOutcome::OutputPower]) {
        return std::nullopt;
    }
    return NodeReading{*v[PassOutcome::InputVoltage],  *v[PassOutcome::InputCurrent],  *v[PassOutcome::InputPower],
                       *v[PassOutcome::OutputVoltage], *v[PassOutcome::OutputCurrent], *v[PassOutcome::OutputPower]};
}

std::array<std::string, 4> rangesOf(const PassOutcome& p) {
    std::array<std::string, 4> r;
    for (std::size_t c = 0; c < 4; ++c) {
        r[c] = p.scopeSetUp.channels[c].scale;
    }
    return r;
}

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::array<std::string, 4> probesOf(const PassOutcome& p) {
    std::array<std::string, 4> probes;
    for (std::size_t c = 0; c < 4; ++c) {
        const auto& ch = p.scopeSetUp.channels[c];
        probes[c] = (c % 2 == 0 ? ch.voltProbe : ch.ampProbe);
    }
    return probes;
}

} // namespace

BenchIdentity identityOf(const PassOutcome& pass) {
    return BenchIdentity{pass.instrument.adapter, pass.instrument.simulation, pass.instrument.scopeIdentity,
                         probesOf(pass), rangesOf(pass)};
}

BenchIdentity ChannelCalibration::identity() const {
    return BenchIdentity{adapter, simulation, scopeIdentity, probes, ranges};
}

std::string ChannelCalibration::name() const {
    return date.toString(Qt::ISODate).toStdString() + " CH3 x" + formatted("%.4f", voltageRatio) + " CH4 x" +
           formatted("%.4f", currentRatio) + " phase " + formatted("%+.2f", phaseDegrees) + " deg";
}

std::variant<ChannelCalibration, std::string> calibrationFrom(const std::vector<PassOutcome>& readings,
                                                              const std::string& adapter, QDate today) {
    if (readings.empty()) {
        return std::string("no reading was taken");
    }
    ChannelCalibration c;
    c.adapter = adapter;
    c.date = today;
    c.ranges = rangesOf(readings.front());
    c.probes = probesOf(readings.front());
    c.simulation = readings.front().instrument.simulation;
    c.scopeIdentity = readings.front().instrument.scopeIdentity;
    for (std::size_t ch = 0; ch < 4; ++ch) {
        if (!positive(parseNumber(c.ranges[ch]))) {
            return "the range of CH" + std::to_string(ch + 1) + " is not known (GET SETTINGS first)";
        }
    }
    Mean kV, kI, phase, node, factor;
    const auto ohms = readings.front().figures.LoadResistance;
    for (const PassOutcome& p : readings) {
        const auto r = nodeReading(p);
        if (!r) {
            return std::string("a reading did not complete with all six values");
        }
        if (rangesOf(p) != c.ranges) {
            return std::string("the ranges changed between the readings");
        }
        const auto a12 = angleOf(r->v1, r->i2, r->p12);
        const auto a34 = angleOf(r->v3, r->i4, r->p34);
        if (!a12 || !a34) {
            return std::string("a real power exceeds its apparent power: the probes are not on one node");
        }
        kV.add(r->v1 / r->v3);
        kI.add(r->i2 / r->i4);
        if (positive(ohms)) {
            factor.add(r->p12 * *ohms / (r->v1 * r->v1));
        }
        phase.add(degrees(*a12 - *a34));
        node.add(degrees(*a12));
    }
    c.readings = kV.n;
    c.voltageRatio = kV.mean();
    c.currentRatio = kI.mean();
    c.phaseDegrees = phase.mean();
    c.nodeAngleDegrees = node.mean();
    if (c.nodeAngleDegrees < CalibrationNodeMinDegrees) {
        return "the angle on the node is " + formatted("%.1f", c.nodeAngleDegrees) +
               " degrees: the phase between the pairs cannot be read on it (load it with a capacitor)";
    }
    c.uVoltageRatio = std::max(kV.uMean() / c.voltageRatio, RatioResolution);
    c.uCurrentRatio = std::max(kI.uMean() / c.currentRatio, RatioResolution);
    c.uPhaseDegrees = std::max(phase.uMean(), PhaseResolution);
    if (factor.n == kV.n && factor.mean() > 0) {
        c.resistorFactor = factor.mean();
        c.uResistorFactor = std::max(factor.uMean() * std::sqrt(double(factor.n)) / factor.mean(), RatioResolution);
        c.loadOhms = *ohms;
    }
    return c;
}

std::string whyUncalibrated(const ChannelCalibration& c, const PassOutcome& pass, int maxDays, QDate today) {
    if (c.adapter != pass.instrument.adapter) {
        return "calibrated on adapter " + c.adapter;
    }
    if (!c.known) {
        return "the calibration of " + c.date.toString(Qt::ISODate).toStdString() +
               " does not name its scope and probes: take it again";
    }
    if (c.simulation != pass.instrument.simulation) {
        return "calibrated on another bench (" + (c.simulation.empty() ? std::string("real hardware") : c.simulation) +
               ")";
    }
    if (c.scopeIdentity != pass.instrument.scopeIdentity) {
        return "calibrated on another scope (" + c.scopeIdentity + ")";
    }
    const auto probes = probesOf(pass);
    for (std::size_t ch = 0; ch < 4; ++ch) {
        if (probes[ch] != c.probes[ch]) {
            return "CH" + std::to_string(ch + 1) + " probe " + (probes[ch].empty() ? "unknown" : probes[ch]) +
                   ", calibrated with " + c.probes[ch];
        }
    }
    const auto ranges = rangesOf(pass);
    for (std::size_t ch = 0; ch < 4; ++ch) {
        if (ranges[ch] != c.ranges[ch]) {
            return "CH" + std::to_string(ch + 1) + " on " + (ranges[ch].empty() ? "an unknown range" : ranges[ch]) +
                   ", calibrated on " + c.ranges[ch];
        }
    }
    const qint64 age = c.date.daysTo(today);
    if (age < 0) {
        return "calibrated " + c.date.toString(Qt::ISODate).toStdString() + ", after today";
    }
    if (age > maxDays) {
        return "calibrated " + c.date.toString(Qt::ISODate).toStdString() + ", " + std::to_string(age) +
               " days ago (good for " + std::to_string(maxDays) + ")";
    }
    return {};
}

CalibrationFound calibrationFor(const std::vector<ChannelCalibration>& kept, const PassOutcome& pass, int maxDays,
                                QDate today) {
    CalibrationFound found;
    for (const ChannelCalibration& c : kept) {
        const std::string why = whyUncalibrated(c, pass, maxDays, today);
        if (why.empty()) {
            found.calibration = &c;
            found.why.clear();
            return found;
        }
        if (found.why.empty()) {
            found.why = why; // the newest one's reason
        }
    }
    return found;
}

namespace {

// The U of both calibrated estimates, relative, or the state that replaces it.
struct CalibratedTerms {
    double phaseEfficiency = 0, resistorEfficiency = 0;
    // What the two calibrated estimates do not share: R, the calibration's
    // own ratios and phase, CH3's offset and the lag on the output angle.
    double ratio = 0;
    bool unusable = false;
};

CalibratedTerms calibratedTerms(const ChannelCalibration& c, const Accuracy& a, double phiIn, double phiOut,
                                double vOut, std::optional<double> scale3, double ohms) {
    const double lag = rect(radians(a.phaseLagDegrees));
    // Both sides now read through the input's current probe: its lag moves
    // each by its own tan(phi), and their signs are not measured, so the
    // two add.
    const double sharedLag = (std::fabs(std::tan(phiOut)) + std::fabs(std::tan(phiIn))) * lag;
    CalibratedTerms t;
    t.unusable = sharedLag * std::sqrt(3.0) > UnusablePhaseTerm;
    t.phaseEfficiency =
        rss({c.uVoltageRatio, c.uCurrentRatio, std::fabs(std::tan(phiOut)) * radians(c.uPhaseDegrees), sharedLag});
    // The load-resistor estimate still sets CH1's reading against CH2's.
    const double gainV = rss({rect(a.gainPercent / 100), rect(a.voltageProbePercent / 100)});
    const double gainI = rss({rect(a.gainPercent / 100), rect(a.currentProbePercent / 100)});
    const double offset = scale3 ? rect(std::hypot(vOut, a.offsetDivisions * *scale3) - vOut) / vOut : 0.0;
    t.resistorEfficiency = rss({gainV, gainI, 2 * c.uVoltageRatio, 2 * offset, rect(a.resistorPercent / 100),
                                std::fabs(std::tan(phiIn)) * lag});
    // Against the calibration's own ratio on the node: the same resistor
    // cancels, another adds both tolerances; the lag cancels where the output
    // angle is the node's.
    const double resistors = std::fabs(ohms - c.loadOhms) < 1e-9 ? 0.0 : std::sqrt(2.0) * rect(a.resistorPercent / 100);
    const double nodeLag = std::fabs(std::tan(phiOut) - std::tan(radians(c.nodeAngleDegrees))) * lag;
    t.ratio = rss({resistors, c.uResistorFactor, c.uVoltageRatio, c.uCurrentRatio, offset,
                   std::fabs(std::tan(phiOut)) * radians(c.uPhaseDegrees), nodeLag});
    return t;
}

constexpr const char* MisfitWords = "calibration does not fit this bench: ";

// A calibrated estimate against its own uncalibrated estimate: they measure
// the same thing, so they must agree within their combined U.
std::string disagreement(const char* what, std::optional<double> calibrated, const Expanded& uCalibrated,
                         std::optional<double> plain, std::optional<double> uPlain) {
    if (!calibrated || !plain || !uCalibrated.number() || !uPlain) {
        return {};
    }
    const double U = std::hypot(*uCalibrated.number(), *uPlain);
    const double apart = std::fabs(*calibrated - *plain);
    if (apart <= U) {
        return {};
    }
    return std::string(MisfitWords) + "calibrated " + what + " " + formatted("%.2f", *calibrated) + " lies " +
           formatted("%.2f", apart) + " from the uncalibrated " + formatted("%.2f", *plain) + " (U " +
           formatted("%.2f", U) + ")";
}

// The two calibrated estimates share the calibration and the input power;
// their ratio rests on R and the output current's own terms, so a channel
// that is not what it was when calibrated shows as a ratio away from 1.
void checkFit(PassOutcome::Calibrated& out, const PassOutcome& pass, const ChannelCalibration& c, double uRatio) {
    if (c.resistorFactor && out.phaseEfficiency && out.resistorEfficiency && *out.resistorEfficiency != 0) {
        out.ratio = *out.phaseEfficiency / *out.resistorEfficiency / *c.resistorFactor;
        out.uRatio = uRatio;
        const double apart = std::fabs(*out.ratio - 1);
        if (apart > uRatio) {
            out.misfit = std::string(MisfitWords) + "its estimates differ by " + formatted("%.2f", apart * 100) +
                         " % (U " + formatted("%.2f", uRatio * 100) + " %)";
            return;
        }
    }
    const auto& u = pass.uncertainty;
    out.misfit = disagreement("phase angle efficiency", out.phaseEfficiency, out.uPhaseEfficiency,
                              pass.figures.PhaseEfficiency, u[Quantity::PhaseEfficiency].number());
    if (out.misfit.empty()) {
        out.misfit = disagreement("load resistor efficiency", out.resistorEfficiency, out.uResistorEfficiency,
                                  pass.figures.ResistorEfficiency, u[Quantity::ResistorEfficiency].number());
    }
}

} // namespace

PassOutcome::Calibrated calibratedFigures(const PassOutcome& pass, const std::optional<ChannelCalibration>& c,
                                          int maxDays, QDate today) {
    PassOutcome::Calibrated out;
    if (!c) {
        return out;
    }
    if (const std::string why = whyUncalibrated(*c, pass, maxDays, today); !why.empty()) {
        out.calibration = "uncalibrated: " + why;
        return out;
    }
    out.calibration = c->name();
    out.applied = true;
    const auto r = nodeReading(pass);
    const auto phiIn = r ? angleOf(r->v1, r->i2, r->p12) : std::nullopt;
    const auto phiOut = r ? angleOf(r->v3, r->i4, r->p34) : std::nullopt;
    if (!phiIn || !phiOut || r->p12 == 0) {
        return out;
    }
    // The output as CH1 and CH2 would have read it.
    const double vOut = c->voltageRatio * r->v3;
    const double iOut = c->currentRatio * r->i4;
    const double angle = *phiOut + radians(c->phaseDegrees);
    const double pOut = vOut * iOut * std::cos(angle);
    out.outputVoltage = vOut;
    out.outputCurrent = iOut;
    out.outputPower = pOut;
    out.outputReactive = vOut * iOut * std::sin(angle);
    out.phaseEfficiency = pOut / r->p12 * 100;
    const auto ohms = pass.figures.LoadResistance;
    if (ohms && *ohms > 0) {
        out.resistorEfficiency = vOut * vOut / (*ohms * r->p12) * 100;
    }
    const auto scale3 = parseNumber(pass.scopeSetUp.channels[2].scale);
    const CalibratedTerms t = calibratedTerms(*c, pass.accuracy, *phiIn, angle, vOut,
                                              positive(scale3) ? scale3 : std::nullopt, ohms.value_or(0));
    const bool clipped =
        std::any_of(pass.uncertainty.clipped.begin(), pass.uncertainty.clipped.end(), [](bool b) { return b; });
    const auto expanded = [&](std::optional<double> value, double relative, bool phaseDependent) {
        Expanded e;
        if (!value) {
            return e;
        }
        e.state = clipped                        ? Expanded::State::Clipped
                  : phaseDependent && t.unusable ? Expanded::State::Unusable
                                                 : Expanded::State::Number;
        e.U = pass.accuracy.coverage * std::fabs(*value) * relative;
        return e;
    };
    out.uPhaseEfficiency = expanded(out.phaseEfficiency, t.phaseEfficiency, true);
    out.uResistorEfficiency = expanded(out.resistorEfficiency, t.resistorEfficiency, false);
    checkFit(out, pass, *c, t.ratio * pass.accuracy.coverage);
    return out;
}

PassOutcome::Calibrated calibratedFigures(const PassOutcome& pass, const std::vector<ChannelCalibration>& kept,
                                          int maxDays, QDate today) {
    const CalibrationFound found = calibrationFor(kept, pass, maxDays, today);
    if (found.calibration != nullptr) {
        return calibratedFigures(pass, std::optional<ChannelCalibration>(*found.calibration), maxDays, today);
    }
    PassOutcome::Calibrated out;
    if (!found.why.empty()) {
        out.calibration = "uncalibrated: " + found.why;
    }
    return out;
}
