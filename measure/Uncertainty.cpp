#include "Uncertainty.h"

#include "NumberText.h"
#include "PassOutcome.h"
#include "UncertaintyTerms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using namespace UncertaintyTerms;
constexpr double ScreenDivisions = 4; // either side of the centre

bool usable(double v) {
    return std::isfinite(v) && v != 0;
}

// One side of the transformer as its two channels and their real power saw
// it, with the standard uncertainty of each.
struct Side {
    double V = 0, I = 0, P = 0, S = 0;
    double uV = 0, uI = 0;          // absolute
    double gainV = 0, gainI = 0;    // relative: gain and probe of each channel
    double offsetV = 0;             // absolute, of the voltage channel
    double uPgain = 0, uPphase = 0; // absolute, of P
    double phi = 0;                 // radians, from P / S
    bool unusable = false, lowPowerFactor = false, clipped = false;
    double uS() const { return S * rss({uV / V, uI / I}); }
    double uP() const { return rss({uPgain, uPphase}); }
};

bool clipped(double rms, const ChannelScales& scales, Channel c) {
    const auto& scale = scales.scale[c];
    return scale && *scale > 0 && std::sqrt(2.0) * std::fabs(rms) / *scale > ScreenDivisions;
}

// An offset of up to a = divisions x scale under a sine of rms X reads as
// sqrt(X^2 + a^2): the rms moves by at most that minus X, however large a
// is next to the reading.
double offsetOf(double rms, const Accuracy& a, const ChannelScales& scales, Channel c) {
    const auto& scale = scales.scale[c];
    if (!scale) {
        return 0.0;
    }
    const double limit = a.offsetDivisions * std::fabs(*scale);
    return rect(std::hypot(rms, limit) - std::fabs(rms));
}

Side sideOf(double V, double I, double P, const Accuracy& a, const ChannelScales& scales, Channel volts, Channel amps) {
    Side s;
    s.V = V;
    s.I = I;
    s.P = P;
    s.S = V * I;
    s.gainV = rss({rect(a.gainPercent / 100), rect(a.voltageProbePercent / 100)});
    s.gainI = rss({rect(a.gainPercent / 100), rect(a.currentProbePercent / 100)});
    s.offsetV = offsetOf(V, a, scales, volts);
    s.uV = rss({V * s.gainV, s.offsetV});
    s.uI = rss({I * s.gainI, offsetOf(I, a, scales, amps)});
    s.uPgain = std::fabs(P) * rss({s.gainV, s.gainI});
    const double pf = usable(s.S) ? std::clamp(P / s.S, -1.0, 1.0) : 1.0;
    s.phi = std::acos(pf);
    // The lag moves the real power by S (cos(phi +- d) - cos phi): the exact
    // form, taken at the larger side.
    const double d = radians(a.phaseLagDegrees);
    const double shift = std::max(std::fabs(std::cos(s.phi + d) - pf), std::fabs(std::cos(s.phi - d) - pf));
    s.uPphase = rect(std::fabs(s.S) * shift);
    s.unusable = std::fabs(phasePowerError(pf, a.phaseLagDegrees)) > UnusablePhaseTerm;
    s.lowPowerFactor = s.uPphase > s.uPgain;
    s.clipped = clipped(V, scales, volts) || clipped(I, scales, amps);
    return s;
}

std::string percent(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", fraction * 100);
    return text;
}

class Filler {
  public:
    Filler(PassUncertainty& u, double k) : u_(u), k_(k) {}
    // U = k u for a figure that has a number; its state otherwise.
    void set(Quantity q, const std::optional<double>& figure, double standard, bool unusable = false,
             bool clippedSide = false) {
        Expanded& e = u_[q];
        if (!figure || !std::isfinite(*figure)) {
            e.state = Expanded::State::None;
        } else if (clippedSide) {
            e.state = Expanded::State::Clipped;
        } else if (!std::isfinite(standard)) {
            e.state = Expanded::State::None; // a channel read zero: no relative term
        } else if (unusable) {
            e.state = Expanded::State::Unusable;
        } else {
            e.state = Expanded::State::Number;
            e.U = k_ * std::fabs(standard);
        }
    }

  private:
    PassUncertainty& u_;
    double k_;
};

void warnLowPowerFactor(std::string& warnings, const char* side, const Side& s) {
    if (!s.lowPowerFactor) {
        return;
    }
    if (!warnings.empty()) {
        warnings += "; ";
    }
    const double P = std::fabs(s.P);
    warnings += std::string("low ") + side + " power factor: phase term " + percent(usable(P) ? s.uPphase / P : 0) +
                " outweighs gain terms " + percent(usable(P) ? s.uPgain / P : 0) +
                (s.unusable ? " (phase-dependent figures unusable)" : "");
}

void warnClipped(std::string& warnings, const std::array<bool, ChannelCount>& clippedChannels) {
    for (int c = 0; c < ChannelCount; ++c) {
        if (clippedChannels[static_cast<std::size_t>(c)]) {
            warnings += (warnings.empty() ? "" : "; ") + std::string("CH") + std::to_string(c + 1) +
                        " clipped: its peak lies beyond the screen";
        }
    }
}

} // namespace

double phasePowerError(double pf, double degrees) {
    const double phi = std::acos(std::clamp(pf, -1.0, 1.0));
    return std::tan(phi) * radians(degrees);
}

double phasePowerErrorExact(double pf, double degrees) {
    const double phi = std::acos(std::clamp(pf, -1.0, 1.0));
    return std::cos(phi + radians(degrees)) / std::cos(phi) - 1;
}

namespace {

// What the two sides and the load resistor give the figures' U.
struct Sides {
    Side in, out;
    double uR = 0;  // the resistor's, relative
    double lag = 0; // the lag's, radians
    bool clipped() const { return in.clipped || out.clipped; }
};

void fillChannelValues(Filler& fill, const Measurements& m, const Sides& s,
                       const std::array<bool, ChannelCount>& clip) {
    using Q = Quantity;
    fill.set(Q::InputVoltage, m.InputVoltage, s.in.uV, false, clip[Ch1]);
    fill.set(Q::InputCurrent, m.InputCurrent, s.in.uI, false, clip[Ch2]);
    fill.set(Q::InputPower, m.InputPower, s.in.uP(), s.in.unusable, s.in.clipped);
    fill.set(Q::OutputVoltage, m.OutputVoltage, s.out.uV, false, clip[Ch3]);
    fill.set(Q::OutputCurrent, m.OutputCurrent, s.out.uI, false, clip[Ch4]);
    fill.set(Q::OutputPower, m.OutputPower, s.out.uP(), s.out.unusable, s.out.clipped);
}

void fillSideFigures(Filler& fill, const Figures& f, const Sides& s, const Accuracy& a) {
    using Q = Quantity;
    fill.set(Q::ApparentInputPower, f.ApparentInputPower, s.in.uS(), false, s.in.clipped);
    fill.set(Q::ApparentOutputPower, f.ApparentOutputPower, s.out.uS(), false, s.out.clipped);
    // The angle comes from P / S, whose gains cancel: the lag is its U.
    fill.set(Q::InputPhaseAngle, f.InputPhaseAngle, rect(a.phaseLagDegrees), false, s.in.clipped);
    fill.set(Q::OutputPhaseAngle, f.OutputPhaseAngle, rect(a.phaseLagDegrees), false, s.out.clipped);
    // Q = S sin(phi): dQ = sin(phi) dS + P dphi.
    const auto reactive = [&s](const std::optional<double>& q, const Side& side) {
        return q ? rss({*q * side.uS() / side.S, side.P * s.lag}) : 0.0;
    };
    fill.set(Q::ReactiveInputPower, f.ReactiveInputPower, reactive(f.ReactiveInputPower, s.in), s.in.unusable,
             s.in.clipped);
    fill.set(Q::ReactiveOutputPower, f.ReactiveOutputPower, reactive(f.ReactiveOutputPower, s.out), s.out.unusable,
             s.out.clipped);
    const double multiplier = rss({s.in.uS() / s.in.S, s.out.uS() / s.out.S});
    fill.set(Q::ApparentMultiplier, f.ApparentMultiplier, f.ApparentMultiplier.value_or(0) * multiplier, false,
             s.clipped());
    fill.set(Q::ApparentMultiplierEfficiency, f.ApparentMultiplierEfficiency,
             f.ApparentMultiplierEfficiency.value_or(0) * multiplier, false, s.clipped());
}

// The two estimates: Pout / Pin and Vout^2 / (R Pin), and what comes of them.
void fillEstimates(Filler& fill, const Figures& f, const Sides& s) {
    using Q = Quantity;
    const Side& in = s.in;
    const Side& out = s.out;
    const double uPin = in.uP() / std::fabs(in.P);
    const double uVout2 = 2 * out.uV / std::fabs(out.V);
    fill.set(Q::PhaseEfficiency, f.PhaseEfficiency,
             f.PhaseEfficiency.value_or(0) * rss({uPin, out.uP() / std::fabs(out.P)}), in.unusable || out.unusable,
             s.clipped());
    fill.set(Q::ResistorOutputPower, f.ResistorOutputPower, f.ResistorOutputPower.value_or(0) * rss({uVout2, s.uR}),
             false, out.clipped);
    fill.set(Q::ResistorEfficiency, f.ResistorEfficiency, f.ResistorEfficiency.value_or(0) * rss({uVout2, s.uR, uPin}),
             in.unusable, s.clipped());
    fill.set(Q::PhaseOutputPowerFactor, f.PhaseOutputPowerFactor, out.uPphase / std::fabs(out.S), out.unusable,
             out.clipped);
    fill.set(Q::ResistorOutputPowerFactor, f.ResistorOutputPowerFactor,
             f.ResistorOutputPowerFactor.value_or(0) * rss({out.uV / out.V, out.uI / out.I, s.uR}), false, out.clipped);
}

// Their ratio Pout R / Vout^2 shares nothing of the input: the output
// current's gain and probe, the output voltage's once (its square over the
// power's one), R and the output lag.
void fillEstimateRatio(Filler& fill, PassUncertainty& u, const Figures& f, const Sides& s, double k) {
    const Side& out = s.out;
    if (!f.PhaseEfficiency || !f.ResistorEfficiency || *f.ResistorEfficiency == 0 || out.clipped || out.unusable) {
        return;
    }
    const double r = *f.PhaseEfficiency / *f.ResistorEfficiency;
    const double rel =
        rss({out.gainI, out.gainV, 2 * out.offsetV / std::fabs(out.V), s.uR, out.uPphase / std::fabs(out.P)});
    if (!std::isfinite(r) || !std::isfinite(rel)) {
        return;
    }
    u.estimateRatio = k * rel;
    u.estimatesAgree = std::fabs(r - 1) <= *u.estimateRatio;
    // The record's difference, 200 |r - 1| / (r + 1) per cent.
    fill.set(Quantity::EfficiencyDifference, f.EfficiencyDifference, 400 / ((r + 1) * (r + 1)) * r * rel);
}

} // namespace

PassUncertainty uncertaintyOf(const Measurements& m, const Figures& f, const Accuracy& a, const ChannelScales& scales) {
    PassUncertainty u;
    const Sides s{sideOf(m.InputVoltage, m.InputCurrent, m.InputPower, a, scales, Ch1, Ch2),
                  sideOf(m.OutputVoltage, m.OutputCurrent, m.OutputPower, a, scales, Ch3, Ch4),
                  rect(a.resistorPercent / 100), rect(radians(a.phaseLagDegrees))};
    u.clipped = {clipped(m.InputVoltage, scales, Ch1), clipped(m.InputCurrent, scales, Ch2),
                 clipped(m.OutputVoltage, scales, Ch3), clipped(m.OutputCurrent, scales, Ch4)};
    u.inputLowPowerFactor = s.in.lowPowerFactor;
    u.outputLowPowerFactor = s.out.lowPowerFactor;
    Filler fill(u, a.coverage);
    fillChannelValues(fill, m, s, u.clipped);
    fillSideFigures(fill, f, s, a);
    fillEstimates(fill, f, s);
    fillEstimateRatio(fill, u, f, s, a.coverage);
    warnLowPowerFactor(u.warnings, "input", s.in);
    warnLowPowerFactor(u.warnings, "output", s.out);
    warnClipped(u.warnings, u.clipped);
    return u;
}

std::string uncertaintyText(const Expanded& u) {
    switch (u.state) {
    case Expanded::State::None:
        return {};
    case Expanded::State::Unusable:
        return "unusable";
    case Expanded::State::Clipped:
        return "clipped";
    case Expanded::State::Number:
        break;
    }
    // Two significant digits, a trailing zero kept (9.0, not 9); from 100 on
    // the whole number (%g would write 1e+02).
    char text[32];
    if (u.U >= 99.5) {
        std::snprintf(text, sizeof text, "\u00b1%.0f", u.U);
        return text;
    }
    std::snprintf(text, sizeof text, "\u00b1%#.2g", u.U);
    std::string s = text;
    if (s.back() == '.') {
        s.pop_back();
    }
    return s;
}

PassUncertainty passUncertainty(const PassOutcome& pass) {
    Measurements m;
    const auto value = [&pass](PassOutcome::Value v) { return pass.values[v].value_or(0); };
    m.InputVoltage = value(PassOutcome::InputVoltage);
    m.InputCurrent = value(PassOutcome::InputCurrent);
    m.InputPower = value(PassOutcome::InputPower);
    m.OutputVoltage = value(PassOutcome::OutputVoltage);
    m.OutputCurrent = value(PassOutcome::OutputCurrent);
    m.OutputPower = value(PassOutcome::OutputPower);
    ChannelScales scales;
    for (int c = 0; c < ChannelCount; ++c) {
        const auto scale = parseNumber(pass.scopeSetUp.channels[static_cast<std::size_t>(c)].scale);
        if (scale && std::isfinite(*scale) && *scale > 0) {
            scales.scale[static_cast<std::size_t>(c)] = *scale;
        }
    }
    PassUncertainty u = uncertaintyOf(m, pass.figures, pass.accuracy, scales);
    // A value the pass did not reach has no U.
    const std::pair<PassOutcome::Value, Quantity> reached[]{
        {PassOutcome::InputVoltage, Quantity::InputVoltage},   {PassOutcome::InputCurrent, Quantity::InputCurrent},
        {PassOutcome::InputPower, Quantity::InputPower},       {PassOutcome::OutputVoltage, Quantity::OutputVoltage},
        {PassOutcome::OutputCurrent, Quantity::OutputCurrent}, {PassOutcome::OutputPower, Quantity::OutputPower}};
    for (const auto& [v, q] : reached) {
        if (!pass.values[v]) {
            u[q] = Expanded{};
        }
    }
    return u;
}
