#include "FigureCatalogue.h"
#include "LimitSet.h"
#include "ResultsTable.h"

#include <gtest/gtest.h>
#include <variant>

// The figures the catalogue computes beyond the result boxes, by hand. (Their
// U against the simulated bench's drawn errors and its truth is held with
// every other figure's in the uncertainty terms' and the headless tests.)

namespace {

Expanded number(double U) {
    return {Expanded::State::Number, U};
}

// A pass with its real powers and their U as the bench would give them.
PassOutcome passWith(std::optional<double> in, Expanded uIn, std::optional<double> out, Expanded uOut) {
    PassOutcome p;
    p.values[PassOutcome::InputPower] = in;
    p.values[PassOutcome::OutputPower] = out;
    p.uncertainty[Quantity::InputPower] = uIn;
    p.uncertainty[Quantity::OutputPower] = uOut;
    computeMoreFigures(p);
    return p;
}

} // namespace

// Power loss: Pin - Pout; its U by GUM 5.1.2 for two inputs apart,
// U = sqrt(U_in^2 + U_out^2) (100 W +- 4 less 90 W +- 3 is 10 W +- 5); a
// power clipped or unusable leaves the loss so; without both powers, none.
TEST(FigureCatalogue, PowerLossAndItsUByHand) {
    const CatalogueFigure* loss = catalogueFigure("power loss (W)");
    ASSERT_NE(loss, nullptr);
    const struct {
        const char* what;
        PassOutcome pass;
        std::optional<double> value;
        Expanded::State state;
        double U;
    } cases[]{
        {"both measured", passWith(100, number(4), 90, number(3)), 10, Expanded::State::Number, 5},
        {"output clipped", passWith(100, number(4), 90, {Expanded::State::Clipped, 0}), 10, Expanded::State::Clipped,
         0},
        {"input unusable", passWith(100, {Expanded::State::Unusable, 0}, 90, number(3)), 10, Expanded::State::Unusable,
         0},
        {"output not reached", passWith(100, number(4), std::nullopt, {}), std::nullopt, Expanded::State::None, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loss->number(c.pass), c.value) << c.what;
        ASSERT_NE(loss->expanded(c.pass), nullptr) << c.what;
        EXPECT_EQ(loss->expanded(c.pass)->state, c.state) << c.what;
        EXPECT_NEAR(loss->expanded(c.pass)->U, c.U, 1e-12) << c.what;
    }
}

// A limit set may name it and it gets its verdict; the record keeps its
// value, U95 and verdict after all the columns that were there before it.
TEST(FigureCatalogue, PowerLossHasAVerdictAndTheRecordsLastColumns) {
    const auto set = limitSetFromJson(
        R"json({"name": "losses", "version": "1", "rule": "guard-band", "limits": {"power loss (W)": {"upper": 12}}})json");
    ASSERT_TRUE(std::holds_alternative<LimitSet>(set)) << std::get<std::string>(set);
    // Guard-band, w = U = 2.5 W: pass to 9.5, conditional to 12 and 14.5.
    const struct {
        double out;
        Verdict verdict;
    } cases[]{{95, Verdict::Pass}, {90, Verdict::ConditionalPass}, {86, Verdict::ConditionalFail}, {80, Verdict::Fail}};
    for (const auto& c : cases) {
        const PassOutcome p = passWith(100, number(1.5), c.out, number(2));
        EXPECT_EQ(judgePass(p, std::get<LimitSet>(set)).verdict, c.verdict) << "loss " << 100 - c.out << " +- 2.5";
    }
    const std::string header = ResultsTable::header();
    const std::string tail = "power loss (W),U95 power loss (W),verdict power loss (W)";
    ASSERT_GE(header.size(), tail.size() + 2);
    EXPECT_EQ(header.substr(header.size() - tail.size() - 2), tail + "\r\n");
}
