#include "SimBench.h"
#include "SimScope.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <complex>
#include <vector>

namespace {

using Samples = std::vector<double>;

struct Channel {
    Samples samples;
    bool valid = true;
};

// The probe factor attached to a channel, and the one the scope is set to.
double attachedFactor(const TransformerModel& t, int channel) {
    const std::array<double, 4> attached{t.ch1Probe, t.ch2CurrentProbe, t.ch3Probe, t.ch4CurrentProbe};
    return attached[static_cast<std::size_t>(channel)];
}
double setFactor(const SimChannel& ch, int channel) {
    return channel == 1 || channel == 3 ? ch.currentProbe : ch.probe;
}

Channel sample(const SimBench& bench, const SimScope& scope, int index, std::complex<double> phasor,
               std::mt19937& noise) {
    const SimChannel& ch = scope.channels[static_cast<std::size_t>(index)];
    // A wrong probe factor scales the reading by the ratio, as on a real scope.
    std::complex<double> shown = phasor * (setFactor(ch, index) / attachedFactor(bench.transformer, index));
    const auto i = static_cast<std::size_t>(index);
    shown *= (1 + bench.errors.gain[i]) * std::polar(1.0, -bench.errors.lagDegrees[i] * M_PI / 180);
    if (ch.invert) {
        shown = -shown;
    }
    const double sigma = bench.noiseDivisions * ch.scale / std::sqrt(std::max(1, scope.numAverages));
    std::normal_distribution<double> gaussian(0.0, sigma);
    const int n = SimBench::SamplesPerPeriod * SimBench::Periods;
    Channel out;
    out.samples.resize(static_cast<std::size_t>(n));
    const double amplitude = std::sqrt(2.0) * std::abs(shown);
    const double phase = std::arg(shown);
    for (int k = 0; k < n; ++k) {
        const double angle = 2 * M_PI * k / SimBench::SamplesPerPeriod + phase;
        const double v = amplitude * std::sin(angle) + gaussian(noise);
        out.samples[static_cast<std::size_t>(k)] = v;
        if (std::fabs(v / ch.scale + ch.position) > SimBench::DigitiserDivisions) {
            out.valid = false;
        }
    }
    return out;
}

double rms(const Samples& s) {
    double sum = 0;
    for (double v : s) {
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(s.size()));
}

double mean(const Samples& s) {
    double sum = 0;
    for (double v : s) {
        sum += v;
    }
    return sum / static_cast<double>(s.size());
}

std::string squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// "CH1 * CH2" and the like: two channels and an operator.
struct MathDefinition {
    int a = -1;
    int b = -1;
    char op = 0;
};
std::optional<MathDefinition> parseDefinition(const std::string& text) {
    const std::string s = squeezed(text);
    if (s.size() != 7 || s.compare(0, 2, "CH") != 0 || s.compare(4, 2, "CH") != 0) {
        return std::nullopt;
    }
    MathDefinition d{s[2] - '1', s[6] - '1', s[3]};
    if (d.a < 0 || d.a > 3 || d.b < 0 || d.b > 3 || (d.op != '*' && d.op != '+' && d.op != '-')) {
        return std::nullopt;
    }
    return d;
}

} // namespace

SimBench::Errors drawBenchErrors(unsigned seed, double gainPercent, double voltageProbePercent,
                                 double currentProbePercent, double lagDegrees) {
    std::mt19937 random(seed);
    const auto within = [&random](double halfWidth) {
        return std::uniform_real_distribution<double>(-halfWidth, halfWidth)(random);
    };
    SimBench::Errors e;
    for (std::size_t c = 0; c < 4; ++c) {
        const bool current = c == 1 || c == 3;
        e.gain[c] = (1 + within(gainPercent / 100)) *
                        (1 + within((current ? currentProbePercent : voltageProbePercent) / 100)) -
                    1;
        e.lagDegrees[c] = current ? within(lagDegrees) : 0;
    }
    return e;
}

SimBench::Errors redrawChannel(const SimBench::Errors& errors, std::size_t channel, unsigned seed, double gainPercent,
                               double voltageProbePercent, double currentProbePercent, double lagDegrees) {
    const SimBench::Errors fresh =
        drawBenchErrors(seed, gainPercent, voltageProbePercent, currentProbePercent, lagDegrees);
    SimBench::Errors swapped = errors;
    swapped.gain.at(channel) = fresh.gain.at(channel);
    swapped.lagDegrees.at(channel) = fresh.lagDegrees.at(channel);
    return swapped;
}

std::optional<double> benchMeasurement(const SimBench& bench, const SimScope& scope, const SimSlot& slot,
                                       std::mt19937& noise) {
    const CircuitSolution c = solve(bench.transformer, bench.conditions);
    const std::array<std::complex<double>, 4> phasors =
        bench.probesOnOneNode
            ? std::array<std::complex<double>, 4>{c.outputVoltage, c.outputCurrent, c.outputVoltage, c.outputCurrent}
            : std::array<std::complex<double>, 4>{c.inputVoltage, c.inputCurrent, c.outputVoltage, c.outputCurrent};
    const auto channel = [&](int index) {
        return sample(bench, scope, index, phasors[static_cast<std::size_t>(index)], noise);
    };

    if (slot.type == "FREQUENCY") {
        return channel(0).valid ? std::optional<double>(bench.conditions.frequency) : std::nullopt;
    }
    Samples samples;
    if (slot.source == "MATH") {
        const auto d = parseDefinition(scope.mathDefinition);
        if (!d) {
            return std::nullopt;
        }
        const Channel a = channel(d->a);
        const Channel b = channel(d->b);
        if (!a.valid || !b.valid) {
            return std::nullopt;
        }
        samples.resize(a.samples.size());
        for (std::size_t k = 0; k < samples.size(); ++k) {
            const double x = a.samples[k];
            const double y = b.samples[k];
            samples[k] = d->op == '*' ? x * y : d->op == '+' ? x + y : x - y;
            if (std::fabs(samples[k] / scope.mathScale + scope.mathPosition) > SimBench::DigitiserDivisions) {
                return std::nullopt;
            }
        }
    } else {
        const std::string& src = slot.source;
        if (src.size() != 3 || src.compare(0, 2, "CH") != 0 || src[2] < '1' || src[2] > '4') {
            return std::nullopt;
        }
        Channel ch = channel(src[2] - '1');
        if (!ch.valid) {
            return std::nullopt;
        }
        samples = std::move(ch.samples);
    }
    if (slot.type == "CRMS" || slot.type == "RMS") {
        return rms(samples);
    }
    if (slot.type == "MEAN") {
        return mean(samples);
    }
    return std::nullopt;
}
