#include "CharacterisationModel.h"
#include "NumberText.h"

using namespace CharacterisationModel;

std::optional<CharacterisationPoint> characterisationPoint(const std::vector<PassOutcome>& passes, double supplyVolts,
                                                           const std::string& load) {
    Mean pIn, qIn, pOut, qOut, vOut, iOut, loss;
    bool calibrated = !passes.empty();
    double scale = 0;
    for (const PassOutcome& p : passes) {
        calibrated = calibrated && p.calibrated.applied && p.calibrated.misfit.empty() && p.calibrated.outputPower;
    }
    for (const PassOutcome& p : passes) {
        const auto& v = p.values;
        if (p.ending != PassOutcome::Ending::Complete || !v[PassOutcome::InputVoltage] ||
            !v[PassOutcome::InputCurrent] || !v[PassOutcome::InputPower] || !v[PassOutcome::OutputVoltage] ||
            !v[PassOutcome::OutputCurrent] || !v[PassOutcome::OutputPower]) {
            continue;
        }
        const double in = *v[PassOutcome::InputPower];
        const double sIn = *v[PassOutcome::InputVoltage] * *v[PassOutcome::InputCurrent];
        const auto& c = p.calibrated;
        const double out = calibrated ? *c.outputPower : *v[PassOutcome::OutputPower];
        const double volts = calibrated ? *c.outputVoltage : *v[PassOutcome::OutputVoltage];
        const double amps = calibrated ? *c.outputCurrent : *v[PassOutcome::OutputCurrent];
        const double reactive = calibrated ? std::fabs(c.outputReactive.value_or(0))
                                           : std::sqrt(std::max(0.0, volts * amps * volts * amps - out * out));
        pIn.add(in);
        qIn.add(std::sqrt(std::max(0.0, sIn * sIn - in * in)));
        pOut.add(out);
        qOut.add(reactive);
        vOut.add(volts);
        iOut.add(amps);
        loss.add(in - out);
        scale = parseNumber(p.scopeSetUp.channels[2].scale).value_or(scale);
    }
    if (pIn.n == 0) {
        return std::nullopt;
    }
    CharacterisationPoint point;
    point.supplyVolts = supplyVolts;
    point.load = load;
    point.passes = pIn.n;
    point.pIn = pIn.mean();
    point.qIn = qIn.mean();
    point.pOut = pOut.mean();
    point.qOut = qOut.mean();
    point.vOut = vOut.mean();
    point.iOut = iOut.mean();
    point.uLoss = std::max(loss.uMean(), std::hypot(resolution(point.pIn), resolution(point.pOut)));
    point.uVOut = std::max(vOut.uMean(), resolution(point.vOut));
    point.uIOut = std::max(iOut.uMean(), resolution(point.iOut));
    point.outputScale = scale;
    point.calibrated = calibrated;
    return point;
}
