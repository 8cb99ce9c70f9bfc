#include "CharacterisationPlots.h"

#include "CharacterisationTexts.h"

#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

namespace {

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// A row of the parameters' table: its name, its figure of a supply, the
// decimals it is shown with and the circuit's truth it goes with (if any).
struct TableRow {
    QString name;
    std::function<std::optional<Estimate>(const SupplyFit&)> value;
    int decimals;
    double CircuitTruthAt::*truth;
};

std::vector<TableRow> tableRows() {
    const auto e = [](Estimate SupplyFit::*f) {
        return [f](const SupplyFit& s) -> std::optional<Estimate> { return s.*f; };
    };
    const auto plain = [](double SupplyFit::*f) {
        return [f](const SupplyFit& s) -> std::optional<Estimate> { return Estimate{s.*f, NAN}; };
    };
    std::vector<TableRow> rows{
        {QStringLiteral("no-load loss P0 (W)"), e(&SupplyFit::p0), 4, &CircuitTruthAt::noLoadLoss},
        {QStringLiteral("R_eq, referred to the output (ohms)"), e(&SupplyFit::rEq), 4,
         &CircuitTruthAt::referredResistance},
        {QStringLiteral("linear term a (W/A)"), e(&SupplyFit::a), 4, nullptr},
        {QStringLiteral("gain mismatch input/output (%)"), e(&SupplyFit::mismatchPercent), 2, nullptr},
        {QStringLiteral("no-load output V20 (V)"), e(&SupplyFit::v20), 4, nullptr},
        {QStringLiteral("output resistance R_out (ohms)"), e(&SupplyFit::rOut), 4, nullptr},
        {QStringLiteral("output bend c (V/A squared)"), e(&SupplyFit::bend), 4, nullptr},
        {QStringLiteral("best efficiency (%)"), e(&SupplyFit::bestEfficiency), 3, &CircuitTruthAt::bestEfficiency},
        {QStringLiteral("best load (ohms)"), e(&SupplyFit::bestLoadOhms), 3, &CircuitTruthAt::bestLoadOhms},
        {QStringLiteral("best output current (A)"), e(&SupplyFit::bestCurrent), 4, nullptr},
        {QStringLiteral("best output power (W)"), e(&SupplyFit::bestOutput), 3, nullptr},
        {QStringLiteral("loss chi2 (its 95 % limit)"), plain(&SupplyFit::chi2), 2, nullptr},
        {QStringLiteral("two-term chi2 (its 95 % limit)"), plain(&SupplyFit::twoTermChi2), 2, nullptr},
        {QStringLiteral("voltage chi2 (its 95 % limit)"), plain(&SupplyFit::voltageChi2), 2, nullptr}};
    for (const double fraction : {0.25, 0.5, 0.75, 1.0}) {
        rows.push_back({QStringLiteral("efficiency at %1 % of rated (%)").arg(fraction * 100),
                        [fraction](const SupplyFit& s) {
                            for (const SupplyFit::AtFraction& f : s.atFractions) {
                                if (f.fraction == fraction) {
                                    return std::optional<Estimate>(f.efficiency);
                                }
                            }
                            return std::optional<Estimate>();
                        },
                        3, nullptr});
    }
    rows.push_back({QStringLiteral("average of the rated fractions (%)"),
                    [](const SupplyFit& s) { return s.averageOfFractions; }, 3, nullptr});
    return rows;
}

} // namespace

void CharacterisationPlots::fillTable(const Characterisation& c,
                                      const std::vector<std::pair<double, CircuitTruthAt>>& truths) {
    using Row = TableRow;
    const std::vector<Row> rows = tableRows();
    const auto limitOf = [](const QString& name, const SupplyFit& s) -> std::optional<double> {
        if (name.startsWith(QStringLiteral("loss chi2")))
            return s.chi2Limit;
        if (name.startsWith(QStringLiteral("two-term")))
            return s.twoTermChi2Limit;
        if (name.startsWith(QStringLiteral("voltage chi2")))
            return s.voltageChi2Limit;
        return std::nullopt;
    };
    const bool withTruth = !truths.empty();
    const int perSupply = withTruth ? 3 : 2;
    table_->clear();
    table_->setColumnCount(1 + perSupply * static_cast<int>(c.supplies.size()));
    QStringList headers{QStringLiteral("figure")};
    for (const SupplyFit& s : c.supplies) {
        headers << QStringLiteral("at %1").arg(volts(s.supplyVolts)) << QStringLiteral("U95");
        if (withTruth) {
            headers << QStringLiteral("simulated truth");
        }
    }
    table_->setHorizontalHeaderLabels(headers);
    lines_ = QStringList{headers.join(QLatin1Char('\t'))};
    std::vector<Row> shown;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(shown), [&c](const Row& r) {
        return std::any_of(c.supplies.begin(), c.supplies.end(),
                           [&r](const SupplyFit& s) { return r.value(s).has_value(); });
    });
    const bool core = c.core.has_value();
    table_->setRowCount(static_cast<int>(shown.size()) + (core ? 2 : 0));
    for (std::size_t r = 0; r < shown.size(); ++r) {
        QStringList texts{shown[r].name};
        for (std::size_t n = 0; n < c.supplies.size(); ++n) {
            const SupplyFit& s = c.supplies[n];
            const auto v = shown[r].value(s);
            const auto limit = limitOf(shown[r].name, s);
            texts << (v ? QString::number(v->value, 'f', shown[r].decimals) : QString());
            texts << (limit                      ? QStringLiteral("(%1)").arg(*limit, 0, 'f', 2)
                      : v && std::isfinite(v->U) ? QString::number(v->U, 'f', shown[r].decimals)
                                                 : QString());
            if (withTruth) {
                const auto t = std::find_if(truths.begin(), truths.end(),
                                            [&s](const auto& p) { return p.first == s.supplyVolts; });
                texts << (shown[r].truth != nullptr && t != truths.end()
                              ? QString::number(t->second.*(shown[r].truth), 'f', shown[r].decimals)
                              : QString());
            }
        }
        for (int col = 0; col < texts.size(); ++col) {
            table_->setItem(static_cast<int>(r), col, cell(texts[col]));
        }
        lines_ << texts.join(QLatin1Char('\t'));
    }
    if (core) {
        const int r = static_cast<int>(shown.size());
        const QStringList p0{QStringLiteral("core loss at %1 (W)").arg(volts(c.core->referenceVolts)),
                             QString::number(c.core->p0AtReference.value, 'f', 4),
                             QString::number(c.core->p0AtReference.U, 'f', 4)};
        const QStringList n{QStringLiteral("core loss grows as V^n: n"),
                            QString::number(c.core->exponent.value, 'f', 3),
                            QString::number(c.core->exponent.U, 'f', 3)};
        for (int col = 0; col < 3; ++col) {
            table_->setItem(r, col, cell(p0[col]));
            table_->setItem(r + 1, col, cell(n[col]));
        }
        lines_ << p0.join(QLatin1Char('\t')) << n.join(QLatin1Char('\t'));
    }
    table_->resizeColumnsToContents();
}
