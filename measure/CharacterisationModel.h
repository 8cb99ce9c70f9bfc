#pragma once

// The fit's own pieces the characterisation's files share: one supply's
// parameters, their U by the gradient, what the answers resolve.

#include "CharacterisationFit.h"
#include "RunningMean.h"
#include "SmallMatrix.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace CharacterisationModel {

// What the scope's five-digit answers resolve, as a standard uncertainty.
inline double resolution(double value) {
    return std::fabs(value) * 1e-4 / std::sqrt(3.0);
}

using Mean = RunningMean;

// The parameters of one supply's models, in the order of the columns.
enum Parameter { P0, A, REq, V20, ROut, Bend, ParameterCount };

// A supply's parameters from the joint vector.
// The output voltage falls with the current: V2 = V20 - R_out I - c I^2 (a
// straight line is not close enough at the answers' five digits).
struct Params {
    double p0 = 0, a = 0, r = 0, v20 = 0, rOut = 0, c = 0;
    double volts(double current) const { return v20 - rOut * current - c * current * current; }
    double voltsSlope(double current) const { return rOut + 2 * c * current; }
};

// U of a function of the supply's parameters, by its numerical gradient.
template <class F> double uncertaintyOf(F f, const Params& q, const SmallMatrix& cov) {
    const double base = f(q);
    std::vector<double> g(ParameterCount);
    for (int k = 0; k < ParameterCount; ++k) {
        Params d = q;
        double* field = k == P0     ? &d.p0
                        : k == A    ? &d.a
                        : k == REq  ? &d.r
                        : k == V20  ? &d.v20
                        : k == ROut ? &d.rOut
                                    : &d.c;
        const double step = std::max(1e-7, std::fabs(*field) * 1e-5);
        *field += step;
        g[static_cast<std::size_t>(k)] = (f(d) - base) / step;
    }
    return std::sqrt(std::max(0.0, quadratic(cov, g)));
}

// The efficiency curve of a supply's fit, its best load and the
// efficiencies at the rated fractions, each with its U (k times u).
void fillCurve(SupplyFit& fit, const std::vector<CharacterisationPoint>& pts, const FitOptions& o, double k);

} // namespace CharacterisationModel
