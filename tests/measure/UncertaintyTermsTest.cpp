#include "FigureCatalogue.h"
#include "MeasuringSession.h"
#include "NumberText.h"
#include "PointPicks.h"
#include "TestRig.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <tuple>

// Every figure's U95, one declared accuracy term at a time, against a Monte
// Carlo of that term on the simulated bench: the bench's channels get errors
// drawn uniformly within the declared bound (as a real bench's within its
// data sheet), and the spread of each figure over the draws is what its U
// must say. A term computed in the wrong unit, dropped or counted twice
// moves the U far from the spread.

namespace {

struct OnePass : SimSession {
    explicit OnePass(const SimBench& bench, const Accuracy& accuracy) : SimSession(bench) {
        session.accuracy = accuracy;
        why = pickPoint(session, PointPicks{"10.0", "9.4", "100", "", "SPLIT-FLUX TRANSFORMER #1"});
        session.passListeners.push_back([this](const PassOutcome& p) { pass = p; });
        session.startCalculation();
    }
    std::optional<PassOutcome> pass;
    std::string why;
};

Accuracy nothingDeclared() {
    Accuracy a;
    a.gainPercent = a.offsetDivisions = a.voltageProbePercent = a.currentProbePercent = a.phaseLagDegrees =
        a.resistorPercent = 0;
    return a;
}

struct Term {
    const char* name;
    double Accuracy::*field;
    double bound;
    // The bench's errors for one draw of this term alone.
    SimBench::Errors (*draw)(std::mt19937&, double bound);
};

double within(std::mt19937& r, double halfWidth) {
    return std::uniform_real_distribution<double>(-halfWidth, halfWidth)(r);
}

const Term Terms[]{
    {"scope gain", &Accuracy::gainPercent, 2.0,
     [](std::mt19937& r, double b) {
         SimBench::Errors e;
         for (double& g : e.gain) {
             g = within(r, b / 100);
         }
         return e;
     }},
    {"voltage probe", &Accuracy::voltageProbePercent, 2.0,
     [](std::mt19937& r, double b) {
         SimBench::Errors e;
         e.gain[0] = within(r, b / 100);
         e.gain[2] = within(r, b / 100);
         return e;
     }},
    {"current probe", &Accuracy::currentProbePercent, 3.0,
     [](std::mt19937& r, double b) {
         SimBench::Errors e;
         e.gain[1] = within(r, b / 100);
         e.gain[3] = within(r, b / 100);
         return e;
     }},
    {"current probe lag", &Accuracy::phaseLagDegrees, 2.0,
     [](std::mt19937& r, double b) {
         SimBench::Errors e;
         e.lagDegrees[1] = within(r, b);
         e.lagDegrees[3] = within(r, b);
         return e;
     }},
};

} // namespace

TEST(UncertaintyTerms, EveryFiguresUAgreesWithAMonteCarloOfEachTerm) {
    constexpr int Draws = 300;
    SimBench exact;
    exact.noiseDivisions = 0;
    exact.conditions = {10.0, 60.0, 9.4, 100.0};
    int compared = 0;
    for (const Term& term : Terms) {
        Accuracy only = nothingDeclared();
        only.*term.field = term.bound;
        const OnePass declared(exact, only);
        ASSERT_TRUE(declared.pass && declared.pass->ending == PassOutcome::Ending::Complete)
            << term.name << ": " << declared.why;
        std::map<std::string, std::vector<double>> values;
        std::mt19937 random(17);
        for (int n = 0; n < Draws; ++n) {
            SimBench bench = exact;
            bench.errors = term.draw(random, term.bound);
            const OnePass drawn(bench, only);
            ASSERT_TRUE(drawn.pass.has_value());
            for (const CatalogueFigure& c : figureCatalogue()) {
                if (const auto v = c.number(*drawn.pass); v && c.hasDeclaredU()) {
                    values[c.title].push_back(*v);
                }
            }
            // The record keeps the estimates' difference as a size,
            // 200 |r - 1| / (r + 1); its U is the signed difference's (the
            // size of a difference near nothing spreads less than the
            // difference itself).
            const auto& f = drawn.pass->figures;
            const double r = *f.PhaseEfficiency / *f.ResistorEfficiency;
            values["percent efficiency difference (%)"].back() = 200 * (r - 1) / (r + 1);
        }
        for (const CatalogueFigure& c : figureCatalogue()) {
            if (!c.hasDeclaredU() || values[c.title].size() != Draws) {
                continue;
            }
            const auto& v = values[c.title];
            double mean = 0, square = 0;
            for (double x : v) {
                mean += x / Draws;
            }
            for (double x : v) {
                square += (x - mean) * (x - mean) / (Draws - 1);
            }
            // k = 2 on the spread, as on the declared U.
            const double spread = 2 * std::sqrt(square);
            const double U = c.U(*declared.pass).value_or(0);
            // The answers' five digits and the sampling of the spread (300
            // draws: a few per cent) are what the two may differ by; an
            // angle from P / (V I) carries the digits' 1e-4 over tan(phi),
            // some 0.03 degrees here, which no declared term holds.
            const double digits = c.unit() == "degrees" ? 0.05 : 2e-4 * std::fabs(mean) + 1e-9;
            EXPECT_NEAR(U, spread, 0.2 * std::max(U, spread) + digits)
                << c.title << " with only the " << term.name << " declared: U95 " << U << " against the spread's "
                << spread;
            ++compared;
        }
    }
    EXPECT_GE(compared, 4 * 10) << "every figure with a U, for each term";
}

// The load resistor's tolerance, which the simulated bench cannot draw, held
// against the GUM by hand: P = V^2 / R and eta_R = P / Pin move with R's
// relative u alone (rectangular: tolerance / sqrt 3), k = 2; no other figure
// moves with it.
TEST(UncertaintyTerms, TheResistorsToleranceAgainstTheGumByHand) {
    SimBench exact;
    exact.noiseDivisions = 0;
    exact.conditions = {10.0, 60.0, 9.4, 100.0};
    Accuracy only = nothingDeclared();
    only.resistorPercent = 1.0;
    const OnePass declared(exact, only);
    ASSERT_TRUE(declared.pass && declared.pass->ending == PassOutcome::Ending::Complete) << declared.why;
    const double relative = 2 * 0.01 / std::sqrt(3.0);
    for (const CatalogueFigure& c : figureCatalogue()) {
        if (!c.hasDeclaredU()) {
            continue;
        }
        const auto v = c.number(*declared.pass);
        const double U = c.U(*declared.pass).value_or(0);
        const bool moves = c.title == "resistor real output power (W)" || c.title == "load resistor efficiency (%)" ||
                           c.title == "load resistor output power factor";
        if (v && moves) {
            EXPECT_NEAR(U, std::fabs(*v) * relative, 1e-9 + 1e-6 * std::fabs(*v)) << c.title;
        } else if (c.title != "percent efficiency difference (%)") {
            EXPECT_EQ(U, 0.0) << c.title << " does not rest on R";
        }
    }
}

// The scope's offset, which the bench cannot draw either, against the
// README's formula for a channel's rms reading X on a scale s: a = offset
// divisions x s, u = (sqrt(X^2 + a^2) - X) / sqrt 3, k = 2.
TEST(UncertaintyTerms, TheOffsetAgainstTheReadmesFormula) {
    SimBench exact;
    exact.noiseDivisions = 0;
    exact.conditions = {10.0, 60.0, 9.4, 100.0};
    Accuracy only = nothingDeclared();
    only.offsetDivisions = 0.05;
    const OnePass declared(exact, only);
    ASSERT_TRUE(declared.pass && declared.pass->ending == PassOutcome::Ending::Complete) << declared.why;
    const PassOutcome& p = *declared.pass;
    for (const auto& [title, value, channel] : {std::tuple{"input voltage (V rms)", PassOutcome::InputVoltage, 0},
                                                {"input current (A rms)", PassOutcome::InputCurrent, 1},
                                                {"output voltage (V rms)", PassOutcome::OutputVoltage, 2},
                                                {"output current (A rms)", PassOutcome::OutputCurrent, 3}}) {
        const double X = *p.values[value];
        const auto scale = parseNumber(p.scopeSetUp.channels[static_cast<std::size_t>(channel)].scale);
        ASSERT_TRUE(scale.has_value()) << title;
        const double a = 0.05 * *scale;
        const CatalogueFigure* c = catalogueFigure(title);
        ASSERT_NE(c, nullptr) << title;
        EXPECT_NEAR(c->U(p).value_or(0), 2 * (std::hypot(X, a) - X) / std::sqrt(3.0), 1e-9)
            << title << " on " << *scale;
    }
}
